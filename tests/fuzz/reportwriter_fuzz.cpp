// The text and CSV report forms over arbitrary column widths, delete lists and rows.
// Input: byte 0 picks the form and the column count, then one byte per column width, then the
// delete list up to a newline, then rows, one per line. Every text row must come out exactly as
// wide as the visible line in characters (a well-formed UTF-8 sequence one, any other byte
// one), whatever the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "reportwriter.h"
#include "utf8sequence.h"

namespace {

struct Input {
    const uint8_t *data;
    size_t size;
    size_t at = 0;

    bool Empty() const { return at >= size; }
    uint8_t Byte() { return Empty() ? 0 : data[at++]; }
    std::string Line() {
        std::string line;
        while (!Empty() && data[at] != '\n') {
            line += static_cast<char>(data[at++]);
        }
        ++at;
        return line;
    }
};

// Characters of a line as a terminal shows them.
size_t Characters(std::string_view line) {
    size_t characters = 0;
    for (size_t at = 0; at < line.size(); ++characters) {
        const size_t length = zarn::Utf8SequenceLength(line, at);
        at += length != 0 ? length : 1;
    }
    return characters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input input{data, size};
    const uint8_t first = input.Byte();
    ReportWriter report;
    if (ReportInit(&report) != 0) {
        return 0;
    }
    report.format = (first & 1) ? ZARN_REPORT_CSV : ZARN_REPORT_TEXT;
    char *buffer = nullptr;
    size_t length = 0;
    report.output = open_memstream(&buffer, &length);

    const int columns = (first >> 1) % 40;  // past the limit of 32 on purpose
    for (int i = 0; i < columns; ++i) {
        const unsigned width = input.Byte() * 9u;  // up to 2295: past the line size on purpose
        report.AddColumn(&report, width, "Title, \"quoted\"", input.Byte() & 7);
    }
    const std::string deleteList = input.Line();
    std::strncpy(report.columnDeleteList, deleteList.c_str(), sizeof report.columnDeleteList - 1);
    report.PrintHeader(&report, nullptr, "Fuzz", "%s", "notes");
    std::fflush(report.output);
    const size_t headerEnd = length;

    while (!input.Empty()) {
        const std::string row = input.Line();
        report.PrintRow(&report, "%s", row.c_str());
        std::fflush(report.output);
    }
    report.Close(&report);
    std::fclose(report.output);

    if (report.format == ZARN_REPORT_TEXT) {
        const size_t visible = report.totalWidth - report.hiddenWidth;
        for (size_t at = headerEnd; at < length;) {
            const char *end =
                static_cast<const char *>(std::memchr(buffer + at, '\n', length - at));
            if (end == nullptr ||
                Characters(std::string_view(buffer + at,
                                            static_cast<size_t>(end - (buffer + at)))) != visible) {
                std::abort();  // a row of the wrong width: columns would shift
            }
            at = static_cast<size_t>(end - buffer) + 1;
        }
    }
    std::free(buffer);
    return 0;
}
