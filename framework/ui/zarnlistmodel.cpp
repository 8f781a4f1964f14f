#include "zarnlistmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cstring>

namespace zarn {
namespace {

QColor ColourOf(int32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

CZARNListModel::CZARNListModel(ListSource *source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source) {}

int CZARNListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size() - m_gapSize);
}

int CZARNListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_source->ColumnCount();
}

QVariant CZARNListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
        return {};
    }
    const int item = ItemAt(index.row());
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(m_source->CellText(item, column));
        case Qt::ForegroundRole: {
            // A colour of the source's own, else the palette's (a dark theme stays dark).
            const CellStyle style = m_source->Style(item, column);
            return style.text >= 0 ? QVariant(QBrush(ColourOf(style.text))) : QVariant();
        }
        case Qt::BackgroundRole: {
            const CellStyle style = m_source->Style(item, column);
            if (style.background >= 0 && style.background != 0xFFFFFF) {
                return QBrush(ColourOf(style.background));
            }
            // Only cells in the list's own colours are shaded in the sorted column: a step off
            // the palette's base, lighter or darker as the theme is.
            const bool plain = style.text <= 0;
            if (!plain || column != m_sortedColumn) {
                return {};
            }
            const QColor base = QGuiApplication::palette().color(QPalette::Base);
            return QBrush(base.lightness() > 128 ? base.darker(104) : base.lighter(130));
        }
        case Qt::FontRole: {
            const CellStyle style = m_source->Style(item, column);
            if (!style.strikeOut && !style.bold && !style.underline) {
                return {};
            }
            QFont font;
            font.setStrikeOut(style.strikeOut);
            font.setBold(style.bold);
            font.setUnderline(style.underline);
            return font;
        }
        case Qt::DecorationRole: {
            if (column != 0) {
                return {};
            }
            const int image = m_source->Style(item, 0).image;
            return image >= 0 && image < static_cast<int>(m_icons.size())
                       ? QVariant(m_icons[static_cast<size_t>(image)])
                       : QVariant();
        }
        default:
            return {};
    }
}

QVariant CZARNListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return QString::fromStdString(m_source->ColumnTitle(section));
}

void CZARNListModel::SetRows(std::vector<int> rows, RowOrder order) {
    CloseGap();
    m_order = order;
    m_identities.clear();
    for (int item : m_rows) {
        m_identities.push_back(m_identityOfItem[static_cast<size_t>(item)]);
    }
    std::vector<uintptr_t> identities;
    identities.reserve(rows.size());
    for (int item : rows) {
        identities.push_back(m_source->ItemIdentity(item));
    }
    if (identities == m_identities) {
        m_rows = std::move(rows);  // the same items in the same order (a refresh of cells)
    } else {
        std::unordered_map<uintptr_t, int> wanted;
        wanted.reserve(rows.size());
        for (size_t row = 0; row < rows.size(); ++row) {
            wanted.emplace(identities[row], static_cast<int>(row));
        }
        RemoveRowsNotIn(wanted);
        InsertRowsOf(rows, identities);
        ReorderTo(std::move(rows), std::move(identities));
    }
    m_shown.assign(static_cast<size_t>(std::max(m_source->ItemCount(), 0)), 0);
    m_identityOfItem.assign(m_shown.size(), 0);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        MarkShown(m_rows[row], true);
        KeepIdentity(m_rows[row], m_identities[row]);
    }
    m_identities = {};
    m_indexStale = true;
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

// Runs of rows whose items are no longer wanted, last run first.
void CZARNListModel::RemoveRowsNotIn(const std::unordered_map<uintptr_t, int> &wanted) {
    int end = static_cast<int>(m_rows.size());
    while (end > 0) {
        if (wanted.count(m_identities[static_cast<size_t>(end - 1)])) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && !wanted.count(m_identities[static_cast<size_t>(first - 1)])) {
            --first;
        }
        beginRemoveRows({}, first, end - 1);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
        m_identities.erase(m_identities.begin() + first, m_identities.begin() + end);
        endRemoveRows();
        end = first;
    }
}

// The rows whose items are not shown yet: where they belong when the rows shown keep their
// order, else at the end (the new order follows as a layout change).
void CZARNListModel::InsertRowsOf(const std::vector<int> &rows,
                                  const std::vector<uintptr_t> &identities) {
    std::unordered_map<uintptr_t, int> shown;
    shown.reserve(m_identities.size());
    for (size_t row = 0; row < m_identities.size(); ++row) {
        shown.emplace(m_identities[row], static_cast<int>(row));
    }
    // The rows shown keep their order when they come in the same order in the new rows.
    int previous = -1;
    bool sameOrder = true;
    for (uintptr_t identity : identities) {
        const auto found = shown.find(identity);
        if (found != shown.end()) {
            sameOrder = sameOrder && found->second > previous;
            previous = found->second;
        }
    }
    const auto insert = [&](int at, size_t from, size_t to) {
        beginInsertRows({}, at, at + static_cast<int>(to - from) - 1);
        m_rows.insert(m_rows.begin() + at, rows.begin() + static_cast<long>(from),
                      rows.begin() + static_cast<long>(to));
        m_identities.insert(m_identities.begin() + at, identities.begin() + static_cast<long>(from),
                            identities.begin() + static_cast<long>(to));
        endInsertRows();
    };
    if (!sameOrder) {
        std::vector<int> added;
        std::vector<uintptr_t> addedIdentities;
        for (size_t row = 0; row < rows.size(); ++row) {
            if (!shown.count(identities[row])) {
                added.push_back(rows[row]);
                addedIdentities.push_back(identities[row]);
            }
        }
        if (!added.empty()) {
            const int at = static_cast<int>(m_rows.size());
            beginInsertRows({}, at, at + static_cast<int>(added.size()) - 1);
            m_rows.insert(m_rows.end(), added.begin(), added.end());
            m_identities.insert(m_identities.end(), addedIdentities.begin(), addedIdentities.end());
            endInsertRows();
        }
        return;
    }
    // In the same order, the new rows are runs between rows already shown.
    for (size_t row = 0; row < rows.size();) {
        if (shown.count(identities[row])) {
            ++row;
            continue;
        }
        size_t end = row;
        while (end < rows.size() && !shown.count(identities[end])) {
            ++end;
        }
        insert(static_cast<int>(row), row, end);
        row = end;
    }
}

// The rows in the new order; persistent indexes (selection, current row) follow their items.
void CZARNListModel::ReorderTo(std::vector<int> rows, std::vector<uintptr_t> identities) {
    if (identities == m_identities) {
        m_rows = std::move(rows);  // the same items; their numbers may have changed
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::unordered_map<uintptr_t, int> rowOf;
    rowOf.reserve(identities.size());
    for (size_t row = 0; row < identities.size(); ++row) {
        rowOf.emplace(identities[row], static_cast<int>(row));
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex &old : before) {
        const auto found = old.row() < static_cast<int>(m_identities.size())
                               ? rowOf.find(m_identities[static_cast<size_t>(old.row())])
                               : rowOf.end();
        after.append(found == rowOf.end() ? QModelIndex()
                                          : createIndex(found->second, old.column()));
    }
    m_rows = std::move(rows);
    m_identities = std::move(identities);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CZARNListModel::IndexItems() const {
    m_rowOfItem.assign(m_shown.size(), -1);
    for (int row = 0; row < rowCount(); ++row) {
        const int item = ItemAt(row);
        if (item >= 0 && static_cast<size_t>(item) < m_rowOfItem.size()) {
            m_rowOfItem[static_cast<size_t>(item)] = static_cast<int>(row);
        }
    }
    m_indexStale = false;
}

int CZARNListModel::LowerBound(int item) const {
    int first = 0;
    int count = rowCount();
    while (count > 0) {
        const int half = count / 2;
        if (m_order.Before(*m_source, ItemAt(first + half), item)) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}

int CZARNListModel::RowOf(int item) const {
    if (item < 0 || static_cast<size_t>(item) >= m_shown.size() || !m_shown[item]) {
        return -1;
    }
    const int at = LowerBound(item);
    if (at < rowCount() && ItemAt(at) == item) {
        return at;
    }
    // The keys of a sorted column changed since the rows were placed.
    if (m_indexStale) {
        IndexItems();
    }
    return m_rowOfItem[static_cast<size_t>(item)];
}

bool CZARNListModel::InPlace(int row) const {
    const int item = ItemAt(row);
    return (row == 0 || m_order.Before(*m_source, ItemAt(row - 1), item)) &&
           (row + 1 >= rowCount() || m_order.Before(*m_source, item, ItemAt(row + 1)));
}

void CZARNListModel::PlaceItem(int item, bool shown) {
    const int row = RowOf(item);
    if (row >= 0 && shown && InPlace(row)) {
        ItemChanged(item);
        return;
    }
    if (row >= 0) {
        RemoveRow(row);
    }
    if (shown) {
        InsertRow(LowerBound(item), item);
    }
}

void CZARNListModel::InsertRow(int row, int item) {
    beginInsertRows({}, row, row);
    MoveGapTo(static_cast<std::size_t>(row));
    if (m_gapSize == 0) {
        constexpr std::size_t kGapGrowth = 64;
        m_rows.insert(m_rows.begin() + static_cast<long>(m_gapStart), kGapGrowth, 0);
        m_gapSize = kGapGrowth;
    }
    m_rows[m_gapStart++] = item;
    --m_gapSize;
    MarkShown(item, true);
    KeepIdentity(item, m_source->ItemIdentity(item));
    m_indexStale = true;
    endInsertRows();
}

void CZARNListModel::RemoveRow(int row) {
    beginRemoveRows({}, row, row);
    MarkShown(ItemAt(row), false);
    MoveGapTo(static_cast<std::size_t>(row));
    ++m_gapSize;  // the row after the gap joins it
    m_indexStale = true;
    endRemoveRows();
}

void CZARNListModel::KeepIdentity(int item, uintptr_t identity) {
    if (item < 0) {
        return;
    }
    if (static_cast<size_t>(item) >= m_identityOfItem.size()) {
        m_identityOfItem.resize(static_cast<size_t>(item) + 1, 0);
    }
    m_identityOfItem[static_cast<size_t>(item)] = identity;
}

void CZARNListModel::MoveGapTo(std::size_t row) {
    if (m_gapSize != 0 && row < m_gapStart) {
        std::memmove(&m_rows[row + m_gapSize], &m_rows[row], (m_gapStart - row) * sizeof(int));
    } else if (m_gapSize != 0 && row > m_gapStart) {
        std::memmove(&m_rows[m_gapStart], &m_rows[m_gapStart + m_gapSize],
                     (row - m_gapStart) * sizeof(int));
    }
    m_gapStart = row;
}

void CZARNListModel::CloseGap() const {
    const auto start = m_rows.begin() + static_cast<long>(m_gapStart);
    m_rows.erase(start, start + static_cast<long>(m_gapSize));
    m_gapStart = 0;
    m_gapSize = 0;
}

void CZARNListModel::MarkShown(int item, bool shown) {
    if (item < 0) {
        return;
    }
    if (static_cast<size_t>(item) >= m_shown.size()) {
        m_shown.resize(static_cast<size_t>(item) + 1, 0);
    }
    m_shown[static_cast<size_t>(item)] = shown ? 1 : 0;
}

void CZARNListModel::ItemChanged(int item) {
    const int row = RowOf(item);
    if (row >= 0 && columnCount() > 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

void CZARNListModel::SourceReset() {
    beginResetModel();
    m_rows.clear();
    m_gapStart = 0;
    m_gapSize = 0;
    m_identities.clear();
    m_identityOfItem.clear();
    m_shown.clear();
    m_rowOfItem.clear();
    m_indexStale = true;
    endResetModel();
}

void CZARNListModel::SetSortedColumn(int column) {
    if (column == m_sortedColumn) {
        return;
    }
    m_sortedColumn = column;
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
    }
}

}  // namespace zarn
