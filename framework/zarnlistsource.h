// What a list shows: an owner-data source of rows whose cell texts are made on demand, so that
// a list of 100,000 rows never copies them. The list control keeps only row numbers.
#ifndef ZARN_FRAMEWORK_ZARNLISTSOURCE_H
#define ZARN_FRAMEWORK_ZARNLISTSOURCE_H

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "zarnlistfilters.h"

namespace zarn {

// Colours as 0xRRGGBB; -1 = the list's default (black on white).
struct CellStyle {
    int32_t text = -1;
    int32_t background = -1;
    bool strikeOut = false;
    bool bold = false;
    bool underline = false;
    int image = -1;  // the row's icon, first column only
};

using SortKey = std::variant<int64_t, std::string>;

class ListSource {
public:
    virtual ~ListSource() = default;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnTitle(int column) const = 0;
    // Width in pixels the list starts with.
    virtual int ColumnWidth(int) const { return 100; }
    // Items the source holds; rows refer to them by number.
    virtual int ItemCount() const = 0;
    virtual std::string CellText(int item, int column) const = 0;
    virtual CellStyle Style(int, int) const { return {}; }
    // What a column sorts by: its text unless the source knows better (numbers, dates).
    virtual SortKey Key(int item, int column) const { return CellText(item, column); }
    // The items to show, in order, given the list's column filters; by default every item
    // whose cells pass the filters. Sources with rules of their own (hidden states) override.
    virtual std::vector<int> Rows(const CZARNListFilters &filters);
    // Whether the item is one of Rows(filters), asked for an item that changed so that the
    // list updates its row alone: by default whether its cells pass the filters.
    virtual bool Shows(int item, const CZARNListFilters &filters);
    // What stays the same for an item while the source changes around it (its number may not:
    // a list that is sorted or emptied renumbers its items). The list keeps a row's selection
    // and place by it across refreshes.
    virtual uintptr_t ItemIdentity(int item) const { return static_cast<uintptr_t>(item); }
};

// The order of a list's rows: by one column's keys (descending when ascending is 0), items of
// equal keys by their numbers; by item number alone when column is negative. A total order, so
// that a row's place can be found again without walking the list.
struct RowOrder {
    int column = -1;
    int ascending = 1;
    bool Before(const ListSource &source, int a, int b) const;
};

// The items of rows put in the order of one column's keys (see RowOrder).
void SortRows(const ListSource &source, std::vector<int> &rows, int column, int ascending);

}  // namespace zarn

#endif
