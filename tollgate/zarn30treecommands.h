// What the tree view decides, without the view: rebuilding the movement tree, adding the
// chosen node's volumes to the To-Scan list through the "Add Filters" dialog, and the blank
// ship list queue. The tree view forwards its keys, menu commands and hints here.
#ifndef ZARN_TOLLGATE_ZARN30TREECOMMANDS_H
#define ZARN_TOLLGATE_ZARN30TREECOMMANDS_H

#include <functional>
#include <string>

#include "zarn30doc.h"
#include "zarntreecontrol.h"

// TREE menu commands.
constexpr int kCmdTreeAdd = 32816;
constexpr int kCmdTreeRebuild = 32820;
constexpr int kCmdTreeQueueBlank = 32819;
constexpr int kCmdTreePrintBlankQueue = 32818;

// The "Add Filters" dialog, run modally over the document's filters; true for OK.
class FilterDialogPresenter {
public:
    virtual ~FilterDialogPresenter() = default;
    virtual bool Run(CZARN30Filters &filters) = 0;
};

class CZARN30TreeCommands {
public:
    // self: the tree view, left out of the hints it causes; customerFilter: the options bar's.
    CZARN30TreeCommands(CZARN30Doc &doc, zarn::TreeControl &control, zarn::View *self,
                        FilterDialogPresenter &filterDialog,
                        std::function<std::string()> customerFilter);

    void Rebuild();
    void AddToList();
    void QueueBlankShipList();
    void PrintBlankShipListQueue();
    bool CanQueueBlankShipList() const;
    bool CanPrintBlankShipListQueue() const;

    // The node the last right-click or keyboard add worked on; item 0: the selected item.
    zarn::TreeControl::Item contextItem = 0;
    CZARN10TreeShared *contextNode = nullptr;

private:
    void RebuildTree();
    bool OldTreeRebuilt();
    bool FilterAccepts(const CZARN10TreeShared &node);
    void AddCustomer(zarn::TreeControl::Item item, CZARN10ProgressWnd &progress);
    void AddMedia(zarn::TreeControl::Item item, CZARN10ProgressWnd &progress);
    void AddRepositoryItem(zarn::TreeControl::Item item, CZARN10ProgressWnd &progress);
    void ChangeWarning();
    CZARN10TreeShared *NodeOf(zarn::TreeControl::Item item) const;

    CZARN30Doc &m_doc;
    zarn::TreeControl &m_control;
    zarn::View *m_self;
    FilterDialogPresenter &m_filterDialog;
    std::function<std::string()> m_customerFilter;
    int m_continue = 1;
};

extern const char kOldTreeQuestion[];
extern const char kAddAllCustomersQuestion[];

#endif
