// The right pane of the main window: the To-Scan, Done and Errors lists on three tabs whose
// labels carry their counts. It answers the document's hints 1 and 2 by refreshing them, and
// hint 3 by updating the rows of the items that changed.
#ifndef ZARN_TOLLGATE_UI_TABVIEW_H
#define ZARN_TOLLGATE_UI_TABVIEW_H

#include <QTabWidget>
#include <QTimer>

#include "scanlists.h"
#include "zarndocument.h"
#include "zarnmenus.h"

class CZARN30TabView : public QTabWidget, public zarn::View, public zarn::CommandTarget {
public:
    CZARN30TabView(CZARN30Doc &doc, CZARN30MainLogic &logic, const CZARN30UiContext &context,
                   QWidget *parent = nullptr);
    ~CZARN30TabView() override;

    void OnUpdate(zarn::View *sender, intptr_t hint) override;
    void OnCommand(int command) override;
    // Message 1333: the lists rebuild their rows.
    void RefreshLists();

    CActiveList *ActiveList() const { return m_active; }
    CScannedList *ScannedList() const { return m_scanned; }
    CErrorList *ErrorList() const { return m_errors; }

private:
    void RenameTabs();
    void UpdateChangedItems();
    CZARN30Doc &m_doc;
    CActiveList *m_active;
    CScannedList *m_scanned;
    CErrorList *m_errors;
    unsigned m_listOrder = 0;  // the document's order the lists last showed
    std::size_t m_errorsShown = 0;
    // The tab labels count every scan; laying out the tab bar for each would cost more than
    // the scan, so a burst renames them once a frame.
    QTimer m_renameTabs;  // the error list's length the Errors list last learnt of
};

#endif
