#include "zarn30treecommands.h"

#include <QElapsedTimer>

#include <cstdio>

#include "zarn10treerepository.h"
#include "zarnclock.h"
#include "zarnstationlog.h"

const char kOldTreeQuestion[] =
    "The Customer Tree has not been refreshed for 10 minutes, do you want to re-build it?";
const char kAddAllCustomersQuestion[] = "You are sure you want add all Customers to the list?";

namespace {
const int64_t kOldTreeSeconds = 10 * 60;

void LogTreeBuilt(const CZARN10TreeRoot &root, const std::string &filter, qint64 milliseconds) {
    long long volumes = 0, moves = 0;
    for (const auto &[id, customer] : root.customers) {
        volumes += customer->volumeCount;
        moves += customer->moveCount;
    }
    qCInfo(lcTree).noquote() << "tree built:" << root.customers.size() << "customers," << volumes
                             << "volumes," << moves << "due to move, in" << milliseconds << "ms,"
                             << (filter.empty()
                                     ? QString("no customer filter")
                                     : "customer filter " + QString::fromStdString(filter));
}

}  // namespace

CZARN30TreeCommands::CZARN30TreeCommands(CZARN30Doc &doc, zarn::TreeControl &control,
                                         zarn::View *self, FilterDialogPresenter &filterDialog,
                                         std::function<std::string()> customerFilter)
    : m_doc(doc),
      m_control(control),
      m_self(self),
      m_filterDialog(filterDialog),
      m_customerFilter(std::move(customerFilter)) {}

CZARN10TreeShared *CZARN30TreeCommands::NodeOf(zarn::TreeControl::Item item) const {
    return static_cast<CZARN10TreeShared *>(m_control.ItemData(item));
}

void CZARN30TreeCommands::Rebuild() {
    if (!m_doc.CanRebuild()) {
        return;  // the tree, its selection and what is open stay as they are
    }
    m_control.BeginRebuild();
    RebuildTree();
    m_control.EndRebuild();
}

void CZARN30TreeCommands::RebuildTree() {
    m_doc.oldTreeWarned = 0;
    m_control.DeleteAllItems();
    contextItem = 0;
    contextNode = nullptr;
    if (m_doc.treeRoot) {
        m_doc.ResetLists(1);
        m_doc.UpdateAllViews(m_self, zarn::kHintConnectionChanged);
        m_doc.DeleteTree();
    }
    CZARNFilter customers;
    customers.pattern = m_customerFilter ? m_customerFilter() : "";
    m_doc.SetContainer(0, "");
    CZARN10ProgressWnd progress(2, nullptr);
    QElapsedTimer took;
    took.start();
    m_doc.treeRoot =
        std::make_unique<CZARN10TreeRoot>(&m_doc.server, 3, &progress, &m_control, &customers);
    m_doc.treeRoot->FillTreeCtrl(m_control, m_doc.settings.hideNoMove);
    LogTreeBuilt(*m_doc.treeRoot, customers.pattern, took.elapsed());
    const std::vector<zarn::TreeControl::Item> top = m_control.Children(0);
    if (!top.empty()) {
        m_control.Expand(top.front());
    }
}

bool CZARN30TreeCommands::OldTreeRebuilt() {
    if (m_doc.oldTreeWarned || !m_doc.treeRoot ||
        ZarnNow() <= m_doc.treeRoot->buildTime + kOldTreeSeconds) {
        return false;
    }
    m_doc.oldTreeWarned = 1;
    if (m_doc.Ui().MessageBox(kOldTreeQuestion, "Old Customer Tree",
                              zarn::kBoxYesNo | zarn::kBoxIconQuestion) != zarn::kAnswerYes) {
        return false;
    }
    Rebuild();
    return true;
}

bool CZARN30TreeCommands::FilterAccepts(const CZARN10TreeShared &node) {
    m_doc.filters.LoadDirections(node);
    return m_filterDialog.Run(m_doc.filters);
}

void CZARN30TreeCommands::AddToList() {
    if (contextItem == 0) {
        const zarn::TreeControl::Item selected = m_control.SelectedItem();
        if (selected == 0) {
            return;
        }
        contextItem = selected;
        contextNode = NodeOf(selected);
        if (!contextNode) {
            return;
        }
    }
    if (!contextNode || OldTreeRebuilt()) {
        return;
    }
    m_doc.changedLocationCount = 0;
    CZARN10ProgressWnd progress(2, nullptr);
    progress.SetTitle("Adding to List");
    m_continue = 1;
    switch (contextNode->kind) {
        case kZarnTreeRoot:
            if (!FilterAccepts(*contextNode) ||
                m_doc.Ui().MessageBox(kAddAllCustomersQuestion, "Add all Customers?",
                                      zarn::kBoxYesNo | zarn::kBoxIconQuestion) !=
                    zarn::kAnswerYes) {
                return;
            }
            progress.Start();
            progress.SetLine1("Adding Server");
            for (zarn::TreeControl::Item customer : m_control.Children(contextItem)) {
                if (!m_continue) {
                    break;
                }
                AddCustomer(customer, progress);
            }
            break;
        case kZarnTreeCustomer:
            if (!FilterAccepts(*contextNode)) {
                return;
            }
            progress.Start();
            AddCustomer(contextItem, progress);
            break;
        case kZarnTreeMedia:
            if (!FilterAccepts(*contextNode)) {
                return;
            }
            progress.Start();
            AddMedia(contextItem, progress);
            break;
        default: {
            auto *repository = static_cast<CZARN10TreeRepository *>(contextNode);
            if (repository->isOrigin) {
                // Every volume of one origin: no filters, no progress window of its own.
                m_continue = m_doc.AddRepository(repository, &progress, 0);
                break;
            }
            if (!FilterAccepts(*contextNode)) {
                return;
            }
            progress.Start();
            progress.SetLine1("Adding Repository");
            for (zarn::TreeControl::Item origin : m_control.Children(contextItem)) {
                if (!m_continue) {
                    break;
                }
                AddRepositoryItem(origin, progress);
            }
        }
    }
    ChangeWarning();
    progress.Stop();
    m_doc.UpdateAllViews(m_self, zarn::kHintListsChanged);
}

void CZARN30TreeCommands::AddCustomer(zarn::TreeControl::Item item, CZARN10ProgressWnd &progress) {
    progress.SetLine1("Adding Customer");
    for (zarn::TreeControl::Item media : m_control.Children(item)) {
        if (!m_continue) {
            return;
        }
        AddMedia(media, progress);
    }
}

void CZARN30TreeCommands::AddMedia(zarn::TreeControl::Item item, CZARN10ProgressWnd &progress) {
    progress.SetLine1("Adding Media");
    for (zarn::TreeControl::Item destination : m_control.Children(item)) {
        if (!m_continue) {
            return;
        }
        AddRepositoryItem(destination, progress);
    }
}

void CZARN30TreeCommands::AddRepositoryItem(zarn::TreeControl::Item item,
                                            CZARN10ProgressWnd &progress) {
    auto *node = static_cast<CZARN10TreeRepository *>(NodeOf(item));
    if (!node) {
        return;
    }
    if (node->isOrigin) {
        m_continue = m_doc.AddRepository(node, &progress, 1);
        return;
    }
    for (zarn::TreeControl::Item origin : m_control.Children(item)) {
        if (!m_continue) {
            return;
        }
        auto *child = static_cast<CZARN10TreeRepository *>(NodeOf(origin));
        if (child) {
            m_continue = m_doc.AddRepository(child, &progress, 1);
        }
    }
}

void CZARN30TreeCommands::ChangeWarning() {
    if (m_doc.changedLocationCount == 0) {
        return;
    }
    char text[160];
    std::snprintf(text, sizeof text,
                  "%u of the volumes added to the list have changed location since the tree build",
                  static_cast<unsigned>(m_doc.changedLocationCount));
    m_doc.Ui().MessageBox(text, "Change Warning", zarn::kBoxOkCancel | zarn::kBoxIconWarning);
}

void CZARN30TreeCommands::QueueBlankShipList() {
    if (!contextNode) {
        m_doc.Ui().MessageBox("Nothing Selected....", "Kestrava Tollgate", zarn::kBoxOk);
        return;
    }
    if (contextNode->kind != kZarnTreeMedia) {
        m_doc.Ui().MessageBox("Must select Media Type", "Kestrava Tollgate", zarn::kBoxOk);
        return;
    }
    m_doc.QueueBlankShipList(static_cast<CZARN10TreeMedia *>(contextNode));
}

void CZARN30TreeCommands::PrintBlankShipListQueue() {
    m_doc.PrintBlankShipListQueue();
}

bool CZARN30TreeCommands::CanQueueBlankShipList() const {
    return contextNode && contextNode->kind == kZarnTreeMedia;
}

bool CZARN30TreeCommands::CanPrintBlankShipListQueue() const {
    return !m_doc.blankShipListQueue.empty();
}
