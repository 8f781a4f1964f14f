// The movement tree's items as a Qt model: a vector of nodes filled through the tree-control
// interface, so that a tree of a million volumes (a few thousand items) costs little, and the
// view shows it without copying.
#ifndef ZARN_TOLLGATE_UI_ZARN30TREEMODEL_H
#define ZARN_TOLLGATE_UI_ZARN30TREEMODEL_H

#include <QAbstractItemModel>
#include <QIcon>
#include <QItemSelectionModel>

#include <vector>

#include "zarntreecontrol.h"

class CZARN30TreeModel : public QAbstractItemModel, public zarn::TreeControl {
public:
    explicit CZARN30TreeModel(QObject *parent = nullptr);

    // The tree control.
    void DeleteAllItems() override;
    Item InsertItem(const std::string &text, int image, int selectedImage, Item parent,
                    void *data) override;
    void SetItemBold(Item item, bool bold) override;
    std::vector<Item> Children(Item parent) const override;
    void *ItemData(Item item) const override;
    void SortChildren(Item parent, const std::function<bool(void *, void *)> &less) override;
    Item SelectedItem() const override;
    void Expand(Item item) override;

    // The Qt model.
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Around anything that fills or empties the tree: the view sees one reset. Changes made
    // outside are told to the view as they happen (a reset, inserted rows, a new order).
    void BeginRebuild() override;
    void EndRebuild() override;

    Item ItemOf(const QModelIndex &index) const;
    QModelIndex IndexOf(Item item) const;
    void SetSelection(QItemSelectionModel *selection) { m_selection = selection; }
    // Called to show an item's children.
    std::function<void(const QModelIndex &)> onExpand;
    void SetIcons(std::vector<QIcon> icons) { m_icons = std::move(icons); }
    // Items drawn white on dark purple: the highlighted customers and media.
    std::function<bool(void *data)> highlighted;

private:
    struct Node {
        std::string text;
        int image = 0;
        bool bold = false;
        void *data = nullptr;
        Item parent = 0;
        int row = 0;  // position among the parent's children
        std::vector<Item> children;
    };
    // The node of an item, or none for one that is not (or no longer) in the tree: the view
    // may hold an index older than the last rebuild.
    const Node *NodeAt(Item item) const;
    Node *NodeAt(Item item);
    bool Filling() const { return m_fillDepth > 0; }

    std::vector<Node> m_nodes;
    std::vector<Item> m_toExpand;
    int m_fillDepth = 0;
    QItemSelectionModel *m_selection = nullptr;
    std::vector<QIcon> m_icons;
};

#endif
