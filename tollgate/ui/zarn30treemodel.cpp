#include "zarn30treemodel.h"

#include <QBrush>
#include <QFont>

#include <algorithm>
#include <utility>

CZARN30TreeModel::CZARN30TreeModel(QObject *parent) : QAbstractItemModel(parent) {
    m_nodes.emplace_back();  // node 0: the invisible top level
}

void CZARN30TreeModel::BeginRebuild() {
    if (m_fillDepth++ == 0) {
        beginResetModel();
    }
}

void CZARN30TreeModel::EndRebuild() {
    if (m_fillDepth == 0 || --m_fillDepth > 0) {
        return;
    }
    endResetModel();
    for (Item item : m_toExpand) {
        if (onExpand) {
            onExpand(IndexOf(item));
        }
    }
    m_toExpand.clear();
}

const CZARN30TreeModel::Node *CZARN30TreeModel::NodeAt(Item item) const {
    return item >= 0 && static_cast<size_t>(item) < m_nodes.size()
               ? &m_nodes[static_cast<size_t>(item)]
               : nullptr;
}

CZARN30TreeModel::Node *CZARN30TreeModel::NodeAt(Item item) {
    return const_cast<Node *>(std::as_const(*this).NodeAt(item));
}

void CZARN30TreeModel::DeleteAllItems() {
    BeginRebuild();
    m_nodes.clear();
    m_nodes.emplace_back();
    m_toExpand.clear();
    EndRebuild();
}

zarn::TreeControl::Item CZARN30TreeModel::InsertItem(const std::string &text, int image, int,
                                                     Item parent, void *data) {
    Node *parentNode = NodeAt(parent);
    if (!parentNode) {
        parent = 0;
        parentNode = &m_nodes.front();
    }
    Node node;
    node.text = text;
    node.image = image;
    node.data = data;
    node.parent = parent;
    node.row = static_cast<int>(parentNode->children.size());
    const Item item = static_cast<Item>(m_nodes.size());
    if (!Filling()) {
        beginInsertRows(IndexOf(parent), node.row, node.row);
    }
    m_nodes.push_back(std::move(node));
    m_nodes[static_cast<size_t>(parent)].children.push_back(item);
    if (!Filling()) {
        endInsertRows();
    }
    return item;
}

void CZARN30TreeModel::SetItemBold(Item item, bool bold) {
    if (Node *node = NodeAt(item); node && item > 0) {
        node->bold = bold;
        if (!Filling()) {
            const QModelIndex changed = IndexOf(item);
            emit dataChanged(changed, changed, {Qt::FontRole});
        }
    }
}

std::vector<zarn::TreeControl::Item> CZARN30TreeModel::Children(Item parent) const {
    const Node *node = NodeAt(parent);
    return node ? node->children : std::vector<Item>();
}

void *CZARN30TreeModel::ItemData(Item item) const {
    const Node *node = item > 0 ? NodeAt(item) : nullptr;
    return node ? node->data : nullptr;
}

void CZARN30TreeModel::SortChildren(Item parent, const std::function<bool(void *, void *)> &less) {
    Node *parentNode = NodeAt(parent);
    if (!parentNode) {
        return;
    }
    if (!Filling()) {
        emit layoutAboutToBeChanged({IndexOf(parent)}, VerticalSortHint);
    }
    const QModelIndexList before = Filling() ? QModelIndexList() : persistentIndexList();
    std::vector<Item> &children = parentNode->children;
    std::stable_sort(children.begin(), children.end(), [&](Item a, Item b) {
        return less(m_nodes[static_cast<size_t>(a)].data, m_nodes[static_cast<size_t>(b)].data);
    });
    for (size_t row = 0; row < children.size(); ++row) {
        m_nodes[static_cast<size_t>(children[row])].row = static_cast<int>(row);
    }
    if (!Filling()) {
        // Persistent indexes (selection, current item) follow their nodes to their new rows.
        QModelIndexList after;
        for (const QModelIndex &index : before) {
            after.append(IndexOf(ItemOf(index)));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({IndexOf(parent)}, VerticalSortHint);
    }
}

zarn::TreeControl::Item CZARN30TreeModel::SelectedItem() const {
    return m_selection ? ItemOf(m_selection->currentIndex()) : 0;
}

void CZARN30TreeModel::Expand(Item item) {
    if (Filling()) {
        m_toExpand.push_back(item);  // once the view has the items
    } else if (onExpand) {
        onExpand(IndexOf(item));
    }
}

zarn::TreeControl::Item CZARN30TreeModel::ItemOf(const QModelIndex &index) const {
    if (!index.isValid() || index.model() != this) {
        return 0;
    }
    const Item item = static_cast<Item>(index.internalId());
    return NodeAt(item) ? item : 0;
}

QModelIndex CZARN30TreeModel::IndexOf(Item item) const {
    const Node *node = item > 0 ? NodeAt(item) : nullptr;
    return node ? createIndex(node->row, 0, static_cast<quintptr>(item)) : QModelIndex();
}

QModelIndex CZARN30TreeModel::index(int row, int column, const QModelIndex &parent) const {
    const Node *parentNode = NodeAt(ItemOf(parent));
    if (Filling() || !parentNode || column != 0 || row < 0 ||
        row >= static_cast<int>(parentNode->children.size())) {
        return {};
    }
    return createIndex(row, 0,
                       static_cast<quintptr>(parentNode->children[static_cast<size_t>(row)]));
}

QModelIndex CZARN30TreeModel::parent(const QModelIndex &child) const {
    const Item item = ItemOf(child);
    return item == 0 ? QModelIndex() : IndexOf(m_nodes[static_cast<size_t>(item)].parent);
}

int CZARN30TreeModel::rowCount(const QModelIndex &parent) const {
    if (Filling() || parent.column() > 0) {
        return 0;
    }
    const Node *node = NodeAt(ItemOf(parent));
    return node ? static_cast<int>(node->children.size()) : 0;
}

int CZARN30TreeModel::columnCount(const QModelIndex &) const {
    return 1;
}

QVariant CZARN30TreeModel::data(const QModelIndex &index, int role) const {
    const Item item = ItemOf(index);
    if (item == 0) {
        return {};
    }
    const Node &node = m_nodes[static_cast<size_t>(item)];
    const bool lit = highlighted && highlighted(node.data);
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(node.text);
        case Qt::DecorationRole:
            return node.image >= 0 && node.image < static_cast<int>(m_icons.size())
                       ? QVariant(m_icons[static_cast<size_t>(node.image)])
                       : QVariant();
        case Qt::FontRole: {
            QFont font;
            font.setBold(node.bold);
            return font;
        }
        case Qt::ForegroundRole:
            return lit ? QVariant(QBrush(Qt::white)) : QVariant();
        case Qt::BackgroundRole:
            return lit ? QVariant(QBrush(QColor(50, 0, 50))) : QVariant();
        default:
            return {};
    }
}
