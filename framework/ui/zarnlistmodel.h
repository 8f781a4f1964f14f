// The model under every list: the source's cell texts produced on demand for the rows the
// list shows (item numbers of the source), the sorted column shaded where a cell still has
// the palette's colours, and one row's change signalled without resetting the rest.
#ifndef ZARN_FRAMEWORK_UI_ZARNLISTMODEL_H
#define ZARN_FRAMEWORK_UI_ZARNLISTMODEL_H

#include <QAbstractTableModel>
#include <QIcon>

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "zarnlistsource.h"

namespace zarn {

class CZARNListModel : public QAbstractTableModel {
public:
    explicit CZARNListModel(ListSource *source, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Shows these items, in this order. Rows whose item (by its identity) is gone are removed,
    // new ones inserted, a new order is a layout change and every shown row's cells are told
    // changed: the views keep their selection, current row and scroll position.
    // The rows come in the given order, which later single-row changes keep.
    void SetRows(std::vector<int> rows, RowOrder order = {});
    const std::vector<int> &Rows() const {
        CloseGap();
        return m_rows;
    }
    int ItemAt(int row) const { return m_rows[Physical(row)]; }
    // The row showing the item, or -1; found by the rows' order, not by walking them.
    int RowOf(int item) const;
    // An item that changed: its row added where the order puts it, taken away, moved or
    // redrawn, as shown says; the other rows, the selection and the scroll position stay.
    void PlaceItem(int item, bool shown);
    // One item's cells changed.
    void ItemChanged(int item);
    // The columns or the whole source changed.
    void SourceReset();
    void SetSortedColumn(int column);
    void SetIcons(std::vector<QIcon> icons) { m_icons = std::move(icons); }
    ListSource &Source() const { return *m_source; }

private:
    void RemoveRowsNotIn(const std::unordered_map<uintptr_t, int> &wanted);
    void InsertRowsOf(const std::vector<int> &rows, const std::vector<uintptr_t> &identities);
    void ReorderTo(std::vector<int> rows, std::vector<uintptr_t> identities);
    void IndexItems() const;
    // The first row whose item does not come before the item in the rows' order.
    int LowerBound(int item) const;
    bool InPlace(int row) const;
    void InsertRow(int row, int item);
    void RemoveRow(int row);
    void MarkShown(int item, bool shown);
    // Rows come and go at a gap of unused places in m_rows, moved to where the change is: a
    // scan near the last one moves a few places, not the rows after it (a million at most).
    std::size_t Physical(int row) const {
        const std::size_t logical = static_cast<std::size_t>(row);
        return logical < m_gapStart ? logical : logical + m_gapSize;
    }
    void MoveGapTo(std::size_t row);
    void CloseGap() const;
    void KeepIdentity(int item, uintptr_t identity);

    ListSource *m_source;
    mutable std::vector<int> m_rows;
    mutable std::size_t m_gapStart = 0;
    mutable std::size_t m_gapSize = 0;
    // Each shown item's identity as it was when shown, by item: a row coming or going moves
    // nothing here. The rows' identities in order are made only while SetRows compares them.
    std::vector<uintptr_t> m_identityOfItem;
    std::vector<uintptr_t> m_identities;
    std::vector<char> m_shown;  // item -> shown in a row
    RowOrder m_order;
    // item -> row, -1 when not shown; made again when asked for after rows came or went (it is
    // needed only when a sorted column's keys changed under the rows).
    mutable std::vector<int> m_rowOfItem;
    mutable bool m_indexStale = true;
    int m_sortedColumn = -1;
    std::vector<QIcon> m_icons;
};

}  // namespace zarn

#endif
