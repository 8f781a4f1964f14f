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
// to it (against the right edge if asked), a space after each column.
std::string ComposeLine(const ReportWriter *report, const std::vector<std::string> &texts,
                        bool alignByColumn) {
    std::string line;
    for (int i = 0; i < report->columnCount; ++i) {
        const ReportColumn &column = report->columns[i];
        if (IsHidden(column)) {
            continue;
        }
        const std::string_view text =
            static_cast<std::size_t>(i) < texts.size() ? texts[i] : std::string_view();
        std::size_t characters = 0;
        const std::size_t bytes = CharacterPrefix(text, column.width, &characters);
        const std::string padding(column.width - characters, ' ');
        const bool right = alignByColumn && (column.flags & ZARN_COLUMN_RIGHT) != 0;
        line += right ? padding + std::string(text.substr(0, bytes))
                      : std::string(text.substr(0, bytes)) + padding;
        line += ' ';
    }
    // As long as the report's visible width says, whatever the line's bytes.
    const std::size_t width = report->totalWidth - report->hiddenWidth;
    std::size_t characters = 0;
    CharacterPrefix(line, line.size(), &characters);
    return characters < width ? line + std::string(width - characters, ' ') : line;
}

int WriteLine(ReportWriter *report, const std::string &line) {
    return Write(report, line) | Write(report, "\n");
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
    std::vector<std::string> titles;
    for (int i = 0; i < report->columnCount; ++i) {
        titles.emplace_back(report->columns[i].title);
    }
    failed |= WriteLine(report, ComposeLine(report, titles, false));
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
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < count; ++i) {
        texts.push_back(ColumnText(report->columns[i], fields[i]));
    }
    return WriteLine(report, ComposeLine(report, texts, true));
}

}  // namespace zarn::report
