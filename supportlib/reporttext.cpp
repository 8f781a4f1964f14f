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

// A column's place in the line once hidden columns before it have been taken out.
unsigned VisibleOffset(const ReportWriter *report, int index) {
    unsigned offset = report->columns[index].offset;
    for (int i = 0; i < index; ++i) {
        if (IsHidden(report->columns[i])) {
            offset -= report->columns[i].width + 1;
        }
    }
    return offset;
}

// Starts report->line as a run of spaces as long as the visible line; returns that length.
unsigned BlankLine(ReportWriter *report) {
    const unsigned length = report->totalWidth - report->hiddenWidth;
    std::memset(report->line, ' ', length);
    report->line[length] = '\0';
    return length;
}

// Puts text into the column's place, cut to its width, against its right edge if asked.
void Place(ReportWriter *report, int index, const std::string &text, bool alignRight) {
    const ReportColumn &column = report->columns[index];
    const std::size_t length = std::min<std::size_t>(text.size(), column.width);
    unsigned at = VisibleOffset(report, index);
    if (alignRight) {
        at += column.width - static_cast<unsigned>(length);
    }
    std::memcpy(report->line + at, text.data(), length);
}

int WriteLine(ReportWriter *report, unsigned length) {
    return Write(report, std::string_view(report->line, length)) | Write(report, "\n");
}

std::string HeaderBlock(const ReportWriter *report, const char *description, const char *notes) {
    char now[ZARN_DATE_TEXT_SIZE];
    FormatTime64(now, sizeof now, ZarnNow(), "%A, %B %d, %Y - %H:%M:%S (%Z)");
    std::string block = "\n             System: Kestrava\n";
    block += " Report Description: " + std::string(description ? description : "") + "\n";
    if (notes) {
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
    const unsigned length = BlankLine(report);
    for (int i = 0; i < report->columnCount; ++i) {
        if (!IsHidden(report->columns[i])) {
            Place(report, i, report->columns[i].title, false);
        }
    }
    failed |= WriteLine(report, length);
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
    const unsigned length = BlankLine(report);
    const std::size_t count = std::min<std::size_t>(fields.size(), report->columnCount);
    for (std::size_t i = 0; i < count; ++i) {
        const ReportColumn &column = report->columns[i];
        if (!IsHidden(column)) {
            Place(report, static_cast<int>(i), ColumnText(column, fields[i]),
                  (column.flags & ZARN_COLUMN_RIGHT) != 0);
        }
    }
    return WriteLine(report, length);
}

}  // namespace zarn::report
