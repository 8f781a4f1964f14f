// The model under every list: the source's cell texts produced on demand for the rows the
// list shows (item numbers of the source), the sorted column shaded where a cell still has
// the palette's colours, and one row's change signalled without resetting the rest.
#ifndef ZARN_FRAMEWORK_UI_ZARNLISTMODEL_H
#define ZARN_FRAMEWORK_UI_ZARNLISTMODEL_H

#include <QAbstractTableModel>
#include <QIcon>

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
    void SetRows(std::vector<int> rows);
    const std::vector<int> &Rows() const { return m_rows; }
    int ItemAt(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The row showing the item, or -1.
    int RowOf(int item) const;
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
    void IndexItems();

    ListSource *m_source;
    std::vector<int> m_rows;
    std::vector<uintptr_t> m_identities;  // of the rows' items when they were shown
    std::vector<int> m_rowOfItem;         // item -> row, -1 when not shown
    int m_sortedColumn = -1;
    std::vector<QIcon> m_icons;
};

}  // namespace zarn

#endif
