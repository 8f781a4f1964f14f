// A list's column filters (wildcard patterns typed into its header) and its sort state (the
// header's arrow and the direction, which is not reset when the column changes).
#ifndef ZARN_FRAMEWORK_ZARNLISTFILTERS_H
#define ZARN_FRAMEWORK_ZARNLISTFILTERS_H

#include <map>
#include <string>

#include "zarnfilter.h"

namespace zarn {

class CZARNListFilters {
public:
    // Stores the column's pattern (an empty one matches everything); true when it changed.
    bool Set(int column, const std::string &pattern);
    const std::string &Pattern(int column) const;
    bool Any() const;
    // 1 when the column has no filter, an empty pattern, or the text matches.
    int Matches(int column, const std::string &text) const;
    // The same for printf-formatted text (at most 1023 characters).
    int ColumnFilterMatches(int column, const char *format, ...) const
        __attribute__((format(printf, 3, 4)));
    const std::map<int, CZARNFilter> &All() const { return m_filters; }

private:
    std::map<int, CZARNFilter> m_filters;
};

enum class SortArrow { None, Up, Down };

class CZARNListSort {
public:
    // Moves the arrow to column; returns it.
    int SetSortColumn(int column);
    // Flips the direction; returns the new ascending flag.
    int ToggleSortDirection();
    // No column sorted and no arrow: the source's own order.
    void Clear();
    int Column() const { return m_column; }
    int Ascending() const { return m_ascending; }
    SortArrow ArrowOn(int column) const;

private:
    int m_ascending = 0;
    int m_column = -2;  // -2: no column has the arrow
    SortArrow m_arrow = SortArrow::None;
};

}  // namespace zarn

#endif
