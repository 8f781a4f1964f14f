// What the report writer's forms share inside the library.
#ifndef ZARN_SUPPORTLIB_REPORTINTERNAL_H
#define ZARN_SUPPORTLIB_REPORTINTERNAL_H

#include <hpdf.h>

#include <string>
#include <string_view>
#include <vector>

#include "reportwriter.h"

struct ReportPdfState {
    HPDF_Doc document = nullptr;
    HPDF_Page page = nullptr;
    HPDF_Image logo = nullptr;
    float logoWidth = 158;
    float logoHeight = 39;
    float marginTop = 30;
    float marginBottom = 30;
    float marginLeft = 10;
    float marginRight = 10;
    float rowHeight = 12;
    float titleX = 0;
    float titleWidth = 0;
    HPDF_Font boldFont = nullptr;
    HPDF_Font font = nullptr;
    bool unicode = false;  // a TrueType font with UTF-8 text; else Helvetica, ASCII only
    float firstRowY = 0;
    char logoPath[ZARN_REPORT_PATH_SIZE] = "";
    char outputPath[ZARN_REPORT_PATH_SIZE] = "";
    bool firstPageDone = false;
    int orientation = 0;
    int pageSize = 0;
    float scale = 1;
    HPDF_STATUS result = 0;
    HPDF_STATUS lastError = 0;  // the error handler clears libharu's own record of it
    unsigned pageNumber = 0;
};

namespace zarn::report {

struct Keyword {
    const char *word;
    int value;
};

// The value of the keyword that equals text without regard to case (lengths must be equal), or
// 0 when none does.
int KeywordValue(const char *text, const Keyword *keywords, std::size_t count);

// A row's fields, split at "|".
std::vector<std::string_view> SplitFields(std::string_view row);

// What a column shows for a field, cut to its width: numeric columns with thousands separators
// unless the field begins with "?"; a number wider than its column shows as "#" marks.
// The bytes of text's first count characters (UTF-8: a lead byte and its continuation bytes);
// characters, when given, says how many characters that is.
std::size_t CharacterPrefix(std::string_view text, std::size_t count, std::size_t *characters);
std::string ColumnText(const ReportColumn &column, std::string_view field);

// Copies a value into a fixed buffer; 0, or ENAMETOOLONG when it does not fit (nothing copied).
int CopyPath(char *to, std::size_t size, const char *path);

// Writes text to the report's stream; 0, or EIO once the stream has failed.
int Write(ReportWriter *report, std::string_view text);

// The forms.
int TextHeader(ReportWriter *report, ReportBeforeFn before, const char *description,
               const char *notes);
int TextUnderline(ReportWriter *report);
int TextRow(ReportWriter *report, const std::vector<std::string_view> &fields);
int CsvHeader(ReportWriter *report);
int CsvRow(ReportWriter *report, const std::vector<std::string_view> &fields);

int PdfSetUp(ReportWriter *report);
int PdfRow(ReportWriter *report, const std::vector<std::string_view> &fields);
int PdfClose(ReportWriter *report);

// Draws the QR code of text into the 80 x 80 point square at the page's top right.
void PdfDrawQrCode(HPDF_Page page, const std::string &text);

}  // namespace zarn::report

#endif
