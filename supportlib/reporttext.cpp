// The fixed-width text form: header block, title line, underline and rows.
#include <cstring>
#include <string>

#include "packeddate.h"
#include "reportinternal.h"
#include "zarnclock.h"

namespace zarn::report {
namespace {

bool IsHidden(const ReportColumn &column) {
    return (column.flags & ZARN_COLUMN_HIDDEN) != 0;
}

// A line of the visible columns: each text cut to its column's width in characters and padded
// to it (against the right edge if asked), a space after each column, and the line end. Made
// in one string without a copy per cell: a report of 100,000 rows makes 800,000 of them.
std::string ComposeLine(const ReportWriter *report, const std::vector<std::string_view> &texts,
                        bool alignByColumn) {
    std::string line;
    line.reserve(static_cast<std::size_t>(report->totalWidth) + 2);
    std::size_t lineCharacters = 0;
    for (int i = 0; i < report->columnCount; ++i) {
        const ReportColumn &column = report->columns[i];
        if (IsHidden(column)) {
            continue;
        }
        const std::string_view text =
            static_cast<std::size_t>(i) < texts.size() ? texts[i] : std::string_view();
        std::size_t characters = 0;
        const std::size_t bytes = CharacterPrefix(text, column.width, &characters);
        const std::size_t padding = column.width - characters;
        const bool right = alignByColumn && (column.flags & ZARN_COLUMN_RIGHT) != 0;
        if (right) {
            line.append(padding, ' ');
        }
        line.append(text.substr(0, bytes));
        if (!right) {
            line.append(padding, ' ');
        }
        line += ' ';
        lineCharacters += column.width + 1;
    }
    // As long as the report's visible width says, whatever the line's bytes.
    const std::size_t width = report->totalWidth - report->hiddenWidth;
    if (lineCharacters < width) {
        line.append(width - lineCharacters, ' ');
    }
    line += '\n';
    return line;
}

std::string HeaderBlock(const ReportWriter *report, const char *description, const char *notes) {
    char now[ZARN_DATE_TEXT_SIZE];
    FormatTime64(now, sizeof now, ZarnNow(), "%A, %B %d, %Y - %H:%M:%S (%Z)");
    std::string block = "\n             System: Kestrava\n";
    block += " Report Description: " + std::string(description ? description : "") + "\n";
    if (notes && *notes) {  // the line is there only when there are notes
        block += "       Report Notes: " + std::string(notes) + "\n";
    }
    block += "    Production Time: " + std::string(now) + "\n";
    block += "       Report Width: " + std::to_string(report->totalWidth) + " bytes\n";
    if (report->hiddenWidth != 0) {
        block += "      Report Hidden: " + std::to_string(report->hiddenWidth) + " bytes\n";
    }
    return block + "\n";
}

}  // namespace

int TextHeader(ReportWriter *report, ReportBeforeFn before, const char *description,
               const char *notes) {
    int failed = Write(report, HeaderBlock(report, description, notes));
    if (before) {
        before(report);
        failed |= Write(report, "\n");
    }
    std::vector<std::string_view> titles;
    for (int i = 0; i < report->columnCount; ++i) {
        titles.emplace_back(report->columns[i].title);
    }
    failed |= Write(report, ComposeLine(report, titles, false));
    return failed | TextUnderline(report);
}

int TextUnderline(ReportWriter *report) {
    std::string underline;
    for (int i = 0; i < report->columnCount; ++i) {
        if (!IsHidden(report->columns[i])) {
            underline.append(report->columns[i].width, '-');
            underline += ' ';
        }
    }
    return Write(report, underline + "\n");
}

int TextRow(ReportWriter *report, const std::vector<std::string_view> &fields) {
    ++report->rowCount;
    const std::size_t count = std::min<std::size_t>(fields.size(), report->columnCount);
    // Numbers are grouped into texts of their own; other fields are cut where they stand. The
    // places are kept from row to row: a report of 100,000 rows allocates none per row.
    thread_local std::vector<std::string> numbers;
    thread_local std::vector<std::string_view> texts;
    numbers.resize(count);
    texts.assign(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        if (report->columns[i].flags & ZARN_COLUMN_NUMERIC) {
            numbers[i] = ColumnText(report->columns[i], fields[i]);
            texts[i] = numbers[i];
        }
    }
    return Write(report, ComposeLine(report, texts, true));
}

}  // namespace zarn::report
