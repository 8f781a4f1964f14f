#include "zarnlistfilters.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "zarnlistsource.h"

namespace zarn {

bool CZARNListFilters::Set(int column, const std::string &pattern) {
    CZARNFilter &filter = m_filters[column];
    if (filter.pattern == pattern) {
        return false;
    }
    filter.pattern = pattern;
    return true;
}

const std::string &CZARNListFilters::Pattern(int column) const {
    static const std::string none;
    const auto found = m_filters.find(column);
    return found == m_filters.end() ? none : found->second.pattern;
}

bool CZARNListFilters::Any() const {
    return std::any_of(m_filters.begin(), m_filters.end(),
                       [](const auto &entry) { return !entry.second.pattern.empty(); });
}

int CZARNListFilters::Matches(int column, const std::string &text) const {
    const auto found = m_filters.find(column);
    if (found == m_filters.end() || found->second.pattern.empty()) {
        return 1;
    }
    return FilterMatches(found->second, text.c_str());
}

int CZARNListFilters::ColumnFilterMatches(int column, const char *format, ...) const {
    const auto found = m_filters.find(column);
    if (found == m_filters.end() || found->second.pattern.empty()) {
        return 1;
    }
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return FilterMatches(found->second, text);
}

int CZARNListSort::SetSortColumn(int column) {
    if (m_column == -2) {
        m_arrow = SortArrow::Down;
    } else {
        m_arrow = SortArrow::None;
    }
    m_column = column;
    return column;
}

int CZARNListSort::ToggleSortDirection() {
    m_ascending = m_ascending ? 0 : 1;
    m_arrow = m_ascending ? SortArrow::Up : SortArrow::Down;
    return m_ascending;
}

void CZARNListSort::Clear() {
    m_column = -2;
    m_ascending = 0;
    m_arrow = SortArrow::None;
}

SortArrow CZARNListSort::ArrowOn(int column) const {
    return column == m_column ? m_arrow : SortArrow::None;
}

std::vector<int> ListSource::Rows(const CZARNListFilters &filters) {
    std::vector<int> rows;
    const int count = ItemCount();
    rows.reserve(static_cast<size_t>(count));
    for (int item = 0; item < count; ++item) {
        if (Shows(item, filters)) {
            rows.push_back(item);
        }
    }
    return rows;
}

bool ListSource::Shows(int item, const CZARNListFilters &filters) {
    for (const auto &[column, filter] : filters.All()) {
        if (!filter.pattern.empty() && !FilterMatches(filter, CellText(item, column).c_str())) {
            return false;
        }
    }
    return true;
}

bool RowOrder::Before(const ListSource &source, int a, int b) const {
    if (column < 0) {
        return a < b;
    }
    const SortKey keyA = source.Key(a, column);
    const SortKey keyB = source.Key(b, column);
    if (keyA != keyB) {
        return ascending ? keyA < keyB : keyB < keyA;
    }
    return a < b;
}

void SortRows(const ListSource &source, std::vector<int> &rows, int column, int ascending) {
    if (column < 0 || column >= source.ColumnCount()) {
        return;
    }
    std::vector<std::pair<SortKey, int>> keyed;
    keyed.reserve(rows.size());
    for (int item : rows) {
        keyed.emplace_back(source.Key(item, column), item);
    }
    // Equal keys by item number, whatever order the rows came in.
    std::sort(keyed.begin(), keyed.end(), [ascending](const auto &a, const auto &b) {
        if (a.first != b.first) {
            return ascending ? a.first < b.first : b.first < a.first;
        }
        return a.second < b.second;
    });
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = keyed[i].second;
    }
}

}  // namespace zarn
