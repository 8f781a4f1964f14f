#include "zarnlistmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace zarn {
namespace {

QColor ColourOf(int32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

CZARNListModel::CZARNListModel(ListSource *source, QObject *parent)
    : QAbstractTableModel(parent), m_source(source) {}

int CZARNListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
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
            const CellStyle style = m_source->Style(item, column);
            return QBrush(style.text >= 0 ? ColourOf(style.text) : QColor(Qt::black));
        }
        case Qt::BackgroundRole: {
            const CellStyle style = m_source->Style(item, column);
            const int32_t background = style.background >= 0 ? style.background : 0xFFFFFF;
            // Only cells still black on white are shaded in the sorted column.
            const bool plain = style.text <= 0 && background == 0xFFFFFF;
            return QBrush(
                ColourOf(plain && column == m_sortedColumn ? kSortedColumnShade : background));
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

void CZARNListModel::SetRows(std::vector<int> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_rowOfItem.assign(static_cast<size_t>(std::max(m_source->ItemCount(), 0)), -1);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const int item = m_rows[row];
        if (item >= 0 && static_cast<size_t>(item) < m_rowOfItem.size()) {
            m_rowOfItem[static_cast<size_t>(item)] = static_cast<int>(row);
        }
    }
    endResetModel();
}

int CZARNListModel::RowOf(int item) const {
    return item >= 0 && static_cast<size_t>(item) < m_rowOfItem.size()
               ? m_rowOfItem[static_cast<size_t>(item)]
               : -1;
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
    m_rowOfItem.clear();
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
