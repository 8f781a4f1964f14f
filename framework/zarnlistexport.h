// Writing a list's rows to files: CSV, fixed-width text and PDF through the report writer,
// XML and an Excel workbook. Every export covers the given items in the given order and every
// column in column order.
#ifndef ZARN_FRAMEWORK_ZARNLISTEXPORT_H
#define ZARN_FRAMEWORK_ZARNLISTEXPORT_H

#include <string>
#include <vector>

#include "zarnlistsource.h"

namespace zarn {

struct ColumnLayout {
    std::vector<std::string> titles;
    // In characters: the longest of the title and the column's text in every row of the list.
    std::vector<unsigned> widths;
};
ColumnLayout GetColumnLayout(const ListSource &source, const std::vector<int> &allItems);

// One XML element "<name><![CDATA[text]]></name>" that every XML 1.0 parser reads back as
// text: "]]>" is split across sections, a carriage return is written as a character
// reference, characters XML cannot hold are dropped, bytes that are not UTF-8 become U+FFFD.
std::string XmlElement(const std::string &title, const std::string &text);
// A title as an element name: letters (of any script), digits and "_" kept, anything else "_",
// and a leading "_" when the name would be empty or start with a digit.
std::string XmlName(const std::string &title);

// What an Excel cell holds of a text: cleaned as XML cells are, and cut with a visible mark
// (" [cut]") to the 32,767 characters a cell can hold.
std::string ExcelCell(const std::string &text);

// Each writes the file whole or not at all (a temporary file beside it, renamed when complete)
// and returns 0, kExportOpenFailed when the file could not be created, or an errno value when
// writing it failed (why, when given, says more).
constexpr int kExportOpenFailed = -1;
int WriteCsv(const std::string &path, const ListSource &source, const std::vector<int> &items);
int WriteXml(const std::string &path, const ListSource &source, const std::vector<int> &items);
int WriteExcel(const std::string &path, const ListSource &source, const std::vector<int> &items,
               std::string *why = nullptr);

struct ReportExport {
    std::string path;
    std::string description;
    std::string notes;
    int pdf = 0;  // 0: text (unless ZARNREPORTFORMAT says otherwise), 1: PDF
    int landscape = 0;
    int pageSize = 0;
    std::string logo;
    std::string excludedColumns;  // "3,4,8": 1-based columns left out
    std::string written;          // out: the file written (ZARNPDFOUTPUTPATH may move a PDF)
};
// Text and PDF through the report writer: 0, kExportOpenFailed for a text file that could not
// be created, else the writer's result.
int WriteReport(ReportExport &report, const ListSource &source, const std::vector<int> &allItems,
                const std::vector<int> &items);

}  // namespace zarn

#endif
