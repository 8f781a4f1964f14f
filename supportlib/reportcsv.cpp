// The comma-separated form: a title line and rows, every value followed by a comma.
#include <string>

#include "csvfield.h"
#include "reportinternal.h"

namespace zarn::report {
namespace {

std::string_view TrimmedField(std::string_view field) {
    while (!field.empty() && static_cast<unsigned char>(field.front()) <= 32) {
        field.remove_prefix(1);
    }
    while (!field.empty() && static_cast<unsigned char>(field.back()) <= 32) {
        field.remove_suffix(1);
    }
    return field;
}

}  // namespace

int CsvHeader(ReportWriter *report) {
    std::string line;
    for (int i = 0; i < report->columnCount; ++i) {
        if (!(report->columns[i].flags & ZARN_COLUMN_HIDDEN)) {
            line += CsvField(report->columns[i].title) + ",";
        }
    }
    return Write(report, line + "\n");
}

int CsvRow(ReportWriter *report, const std::vector<std::string_view> &fields) {
    ++report->rowCount;
    std::string line;
    const std::size_t count = std::min<std::size_t>(fields.size(), report->columnCount);
    for (std::size_t i = 0; i < count; ++i) {
        if (!(report->columns[i].flags & ZARN_COLUMN_HIDDEN)) {
            line += CsvField(TrimmedField(fields[i])) + ",";
        }
    }
    return Write(report, line + "\n");
}

}  // namespace zarn::report
