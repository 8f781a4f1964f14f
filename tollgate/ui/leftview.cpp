#include "leftview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>

#include "zarn10treecustomer.h"
#include "zarn10treemedia.h"
#include "zarn30uicontext.h"

namespace {
const int kSubmenuTree = 1;
}

CLeftView::CLeftView(CZARN30Doc &doc, FilterDialogPresenter &filterDialog,
                     std::function<std::string()> customerFilter, QWidget *parent)
    : QTreeView(parent),
      m_doc(doc),
      m_model(this),
      m_commands(doc, m_model, this, filterDialog, std::move(customerFilter)) {
    setObjectName("CLeftView");
    setAccessibleName("Movement tree");
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setModel(&m_model);
    m_model.SetSelection(selectionModel());
    m_model.onExpand = [this](const QModelIndex &index) { expand(index); };
    QStyle *look = style();
    m_model.SetIcons(
        {look->standardIcon(QStyle::SP_DriveNetIcon), look->standardIcon(QStyle::SP_DirHomeIcon),
         look->standardIcon(QStyle::SP_DriveCDIcon), look->standardIcon(QStyle::SP_DirIcon)});
    m_model.highlighted = [](void *data) {
        auto *node = static_cast<CZARN10TreeShared *>(data);
        if (!node) {
            return false;
        }
        if (node->kind == kZarnTreeCustomer) {
            return static_cast<CZARN10TreeCustomer *>(node)->highlightCount != 0;
        }
        return node->kind == kZarnTreeMedia && static_cast<CZARN10TreeMedia *>(node)->highlight;
    };
    doc.AddView(this);
}

CLeftView::~CLeftView() {
    m_doc.RemoveView(this);
}

void CLeftView::OnUpdate(zarn::View *, intptr_t hint) {
    if (hint == zarn::kHintConnectionChanged) {
        Rebuild();
    }
}

void CLeftView::Rebuild() {
    m_commands.Rebuild();
}

void CLeftView::OnCommand(int command) {
    switch (command) {
        case kCmdTreeAdd:
            m_commands.AddToList();
            break;
        case kCmdTreeRebuild:
            Rebuild();
            break;
        case kCmdTreeQueueBlank:
            m_commands.QueueBlankShipList();
            break;
        case kCmdTreePrintBlankQueue:
            m_commands.PrintBlankShipListQueue();
            break;
        default:
            break;
    }
}

void CLeftView::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Space:
            m_commands.contextItem = 0;  // the selected item
            m_commands.AddToList();
            return;
        case Qt::Key_F5:
            Rebuild();
            return;
        case Qt::Key_F10:
            if (onStartScan) {
                onStartScan();
            }
            return;
        default:
            QTreeView::keyPressEvent(event);
    }
}

void CLeftView::contextMenuEvent(QContextMenuEvent *event) {
    // The mouse's menu is for the node under it; the keyboard's (Menu key, Shift+F10) for the
    // current node, never one right-clicked before.
    const bool mouse = event->reason() == QContextMenuEvent::Mouse;
    const QModelIndex node = mouse ? indexAt(event->pos()) : currentIndex();
    m_commands.contextItem = m_model.ItemOf(node);
    m_commands.contextNode =
        static_cast<CZARN10TreeShared *>(m_model.ItemData(m_commands.contextItem));
    if (!node.isValid()) {
        return;
    }
    ShowTreeMenu(mouse ? event->globalPos() : viewport()->mapToGlobal(visualRect(node).center()));
}

void CLeftView::ShowTreeMenu(QPoint globalPosition) {
    std::unique_ptr<QMenuBar> bar = zarn::LoadMenuResource(kMenuResource);
    QMenu *tree = bar && bar->actions().size() > kSubmenuTree ? bar->actions()[kSubmenuTree]->menu()
                                                              : nullptr;
    if (!tree) {
        return;
    }
    for (QAction *action : tree->actions()) {
        if (zarn::CommandOf(action) == kCmdTreeQueueBlank) {
            action->setEnabled(m_commands.CanQueueBlankShipList());
        } else if (zarn::CommandOf(action) == kCmdTreePrintBlankQueue) {
            action->setEnabled(m_commands.CanPrintBlankShipListQueue());
        }
    }
    if (QAction *chosen = tree->exec(globalPosition)) {
        OnCommand(zarn::CommandOf(chosen));
    }
}
