#include "zarn30treemodel.h"

#include <QBrush>
#include <QFont>

#include <algorithm>

CZARN30TreeModel::CZARN30TreeModel(QObject *parent) : QAbstractItemModel(parent) {
    m_nodes.emplace_back();  // node 0: the invisible top level
}

void CZARN30TreeModel::BeginFill() {
    if (!m_filling) {
        m_filling = true;
        beginResetModel();
    }
}

void CZARN30TreeModel::EndFill() {
    if (!m_filling) {
        return;
    }
    m_filling = false;
    endResetModel();
    for (Item item : m_toExpand) {
        if (onExpand) {
            onExpand(IndexOf(item));
        }
    }
    m_toExpand.clear();
}

void CZARN30TreeModel::DeleteAllItems() {
    m_nodes.clear();
    m_nodes.emplace_back();
}

zarn::TreeControl::Item CZARN30TreeModel::InsertItem(const std::string &text, int image, int,
                                                     Item parent, void *data) {
    Node node;
    node.text = text;
    node.image = image;
    node.data = data;
    node.parent = parent;
    node.row = static_cast<int>(m_nodes[static_cast<size_t>(parent)].children.size());
    const Item item = static_cast<Item>(m_nodes.size());
    m_nodes.push_back(std::move(node));
    m_nodes[static_cast<size_t>(parent)].children.push_back(item);
    return item;
}

void CZARN30TreeModel::SetItemBold(Item item, bool bold) {
    m_nodes[static_cast<size_t>(item)].bold = bold;
}

std::vector<zarn::TreeControl::Item> CZARN30TreeModel::Children(Item parent) const {
    return m_nodes[static_cast<size_t>(parent)].children;
}

void *CZARN30TreeModel::ItemData(Item item) const {
    return item > 0 && static_cast<size_t>(item) < m_nodes.size()
               ? m_nodes[static_cast<size_t>(item)].data
               : nullptr;
}

void CZARN30TreeModel::SortChildren(Item parent, const std::function<bool(void *, void *)> &less) {
    std::vector<Item> &children = m_nodes[static_cast<size_t>(parent)].children;
    std::stable_sort(children.begin(), children.end(), [&](Item a, Item b) {
        return less(m_nodes[static_cast<size_t>(a)].data, m_nodes[static_cast<size_t>(b)].data);
    });
    for (size_t row = 0; row < children.size(); ++row) {
        m_nodes[static_cast<size_t>(children[row])].row = static_cast<int>(row);
    }
}

zarn::TreeControl::Item CZARN30TreeModel::SelectedItem() const {
    return m_selection ? ItemOf(m_selection->currentIndex()) : 0;
}

void CZARN30TreeModel::Expand(Item item) {
    if (m_filling) {
        m_toExpand.push_back(item);  // once the view has the items
    } else if (onExpand) {
        onExpand(IndexOf(item));
    }
}

zarn::TreeControl::Item CZARN30TreeModel::ItemOf(const QModelIndex &index) const {
    return index.isValid() ? static_cast<Item>(index.internalId()) : 0;
}

QModelIndex CZARN30TreeModel::IndexOf(Item item) const {
    if (item <= 0 || static_cast<size_t>(item) >= m_nodes.size()) {
        return {};
    }
    return createIndex(m_nodes[static_cast<size_t>(item)].row, 0, static_cast<quintptr>(item));
}

QModelIndex CZARN30TreeModel::index(int row, int column, const QModelIndex &parent) const {
    const Item parentItem = ItemOf(parent);
    const std::vector<Item> &children = m_nodes[static_cast<size_t>(parentItem)].children;
    if (column != 0 || row < 0 || row >= static_cast<int>(children.size())) {
        return {};
    }
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex CZARN30TreeModel::parent(const QModelIndex &child) const {
    const Item item = ItemOf(child);
    return item == 0 ? QModelIndex() : IndexOf(m_nodes[static_cast<size_t>(item)].parent);
}

int CZARN30TreeModel::rowCount(const QModelIndex &parent) const {
    if (m_filling || parent.column() > 0) {
        return 0;
    }
    return static_cast<int>(m_nodes[static_cast<size_t>(ItemOf(parent))].children.size());
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
