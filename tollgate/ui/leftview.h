// The left pane: the movement tree. It forwards its keys (space adds, F5 rebuilds, F10 starts
// scanning), the TREE context menu and the document's hint 1 to the tree commands, and draws
// highlighted customers and media white on dark purple.
#ifndef ZARN_TOLLGATE_UI_LEFTVIEW_H
#define ZARN_TOLLGATE_UI_LEFTVIEW_H

#include <QTreeView>

#include <functional>

#include "zarn30treecommands.h"
#include "zarn30treemodel.h"
#include "zarnmenus.h"

class CLeftView : public QTreeView, public zarn::View, public zarn::CommandTarget {
public:
    CLeftView(CZARN30Doc &doc, FilterDialogPresenter &filterDialog,
              std::function<std::string()> customerFilter, QWidget *parent = nullptr);
    ~CLeftView() override;

    void OnUpdate(zarn::View *sender, intptr_t hint) override;
    void OnCommand(int command) override;
    void Rebuild();
    CZARN30TreeCommands &Commands() { return m_commands; }
    CZARN30TreeModel &TreeModel() { return m_model; }
    // F10: the main window starts scanning.
    std::function<void()> onStartScan;
    void ShowTreeMenu(QPoint globalPosition);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    CZARN30Doc &m_doc;
    CZARN30TreeModel m_model;
    CZARN30TreeCommands m_commands;
};

#endif
