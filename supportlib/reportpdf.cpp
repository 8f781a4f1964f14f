// The PDF form, drawn with libharu: pages with a title band, notes, a column header band,
// zebra rows, a footer and a QR code naming the page.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "datecalc.h"
#include "packeddate.h"
#include "reportinternal.h"
#include "utf8sequence.h"

namespace zarn::report {
namespace {

const Keyword kOrientations[] = {{"portrait", 0}, {"landscape", 1}};
const Keyword kPageSizes[] = {{"letter", 0}, {"legal", 1}, {"A3", 2}, {"A4", 3},
                              {"A5", 4},     {"B4", 5},    {"B5", 6}, {"executive", 7}};
const char kBanner[] = "Kestrava - tape media management";
constexpr float kTitleBandHeight = 30;
constexpr float kTitleFontSize = 18;
constexpr float kTextFontSize = 8;

void HPDF_STDCALL PrintError(HPDF_STATUS error, HPDF_STATUS detail, void *userData) {
    std::printf("Error PDF Object: error_no=%04X, detail_no=%u\n", static_cast<unsigned>(error),
                static_cast<unsigned>(detail));
    // The report goes on: clear the error so later drawing is not refused, but remember it.
    ReportPdfState *pdf = static_cast<ReportPdfState *>(userData);
    pdf->lastError = error;
    HPDF_ResetError(pdf->document);
}

std::string CreationText(const ReportWriter *report, const char *format) {
    char text[ZARN_DATE_TEXT_SIZE];
    return FormatTime64(text, sizeof text, report->creationTime, format);
}

// Text for the page: control characters as spaces; with the Unicode font every character
// as it is (malformed UTF-8 as "?"), with Helvetica (no glyphs beyond ASCII) "?" for each
// character beyond ASCII rather than stray symbols.
std::string PdfText(const ReportPdfState &pdf, std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            shown += c < 32 ? ' ' : static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (pdf.unicode && length > 0) {
            shown.append(text, i, length);
        } else {
            shown += '?';  // one mark per character
        }
        i += length > 0 ? length : 1;
    }
    return shown;
}

// The first pair of Unicode TrueType faces installed (Liberation Sans first: it has
// Helvetica's metrics), loaded for UTF-8 text; false when none is.
bool LoadUnicodeFonts(ReportPdfState &pdf) {
    static const char *const kFaces[][2] = {
        {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
         "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"},
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
         "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    };
    for (const auto &face : kFaces) {
        if (access(face[0], R_OK) != 0 || access(face[1], R_OK) != 0) {
            continue;
        }
        HPDF_UseUTFEncodings(pdf.document);
        HPDF_SetCurrentEncoder(pdf.document, "UTF-8");
        const char *regular = HPDF_LoadTTFontFromFile(pdf.document, face[0], HPDF_TRUE);
        const char *bold = HPDF_LoadTTFontFromFile(pdf.document, face[1], HPDF_TRUE);
        if (regular && bold) {
            pdf.font = HPDF_GetFont(pdf.document, regular, "UTF-8");
            pdf.boldFont = HPDF_GetFont(pdf.document, bold, "UTF-8");
            pdf.unicode = pdf.font && pdf.boldFont;
            if (pdf.unicode) {
                return true;
            }
        }
    }
    return false;
}

void ApplyEnvironmentPath(char *path, std::size_t size, const char *variable) {
    const char *value = std::getenv(variable);
    if (value && CopyPath(path, size, value) != 0) {
        std::printf("%s is longer than %zu characters and is ignored\n", variable, size - 1);
    }
}

void ApplyEnvironment(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    ApplyEnvironmentPath(pdf.logoPath, sizeof pdf.logoPath, "ZARNPDFLOGOPATH");
    ApplyEnvironmentPath(pdf.outputPath, sizeof pdf.outputPath, "ZARNPDFOUTPUTPATH");
    if (pdf.outputPath[0] == '\0') {
        const std::string name = "Report-" + CreationText(report, "%Y-%m-%d-%H-%M-%S") + ".pdf";
        CopyPath(pdf.outputPath, sizeof pdf.outputPath, name.c_str());
    }
    if (const char *orientation = std::getenv("ZARNPDFORIENTATION")) {
        pdf.orientation = KeywordValue(orientation, kOrientations, std::size(kOrientations));
    }
    if (const char *pageSize = std::getenv("ZARNPDFPAGESIZE")) {
        pdf.pageSize = KeywordValue(pageSize, kPageSizes, std::size(kPageSizes));
    }
}

void DrawText(HPDF_Page page, HPDF_Font font, float size, float x, float y,
              const std::string &text) {
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, font, size);
    HPDF_Page_TextOut(page, x, y, text.c_str());
    HPDF_Page_EndText(page);
}

void FillRectangle(HPDF_Page page, float gray, float x, float y, float width, float height) {
    HPDF_Page_SetGrayFill(page, gray);
    HPDF_Page_Rectangle(page, x, y, width, height);
    HPDF_Page_Fill(page);
}

float TableWidth(const ReportPdfState &pdf) {
    return HPDF_Page_GetWidth(pdf.page) - pdf.marginLeft - pdf.marginRight;
}

void LoadLogoOnce(ReportPdfState &pdf) {
    if (pdf.firstPageDone) {
        return;
    }
    pdf.firstPageDone = true;
    if (pdf.logoPath[0] != '\0') {
        pdf.logo = HPDF_LoadJpegImageFromFile(pdf.document, pdf.logoPath);
    }
    if (pdf.logo == nullptr) {
        pdf.logoWidth = 0;
    }
}

// The title band and the notes; returns the y of the production-time line.
float DrawTitleArea(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    const float width = HPDF_Page_GetWidth(pdf.page);
    const float top = HPDF_Page_GetHeight(pdf.page) - pdf.marginTop;
    if (pdf.logo) {
        HPDF_Page_DrawImage(pdf.page, pdf.logo, pdf.marginLeft, top - pdf.logoHeight, pdf.logoWidth,
                            pdf.logoHeight);
    }
    pdf.titleX = pdf.marginLeft + (pdf.logo ? pdf.logoWidth + 20 : 0);
    pdf.titleWidth = width - pdf.marginRight - pdf.titleX;
    HPDF_Page_SetRGBFill(pdf.page, 0.039f, 0.254f, 0.412f);
    HPDF_Page_Rectangle(pdf.page, pdf.titleX, top - kTitleBandHeight, pdf.titleWidth,
                        kTitleBandHeight);
    HPDF_Page_Fill(pdf.page);
    HPDF_Page_SetRGBFill(pdf.page, 1, 1, 1);
    DrawText(pdf.page, pdf.boldFont, kTitleFontSize, pdf.titleX + 10,
             top - kTitleBandHeight + (kTitleBandHeight - kTitleFontSize) / 2 + 3,
             PdfText(pdf, report->title ? report->title : ""));

    HPDF_Page_SetGrayFill(pdf.page, 0);
    float y = top - 45;
    if (report->notes && *report->notes) {
        DrawText(pdf.page, pdf.font, kTextFontSize, pdf.marginLeft, y, PdfText(pdf, report->notes));
        y -= 15;
    }
    DrawText(pdf.page, pdf.font, kTextFontSize, pdf.marginLeft, y,
             "Production Time: " + CreationText(report, ZARN_DEFAULT_TIME_FORMAT));
    return y;
}

void DrawFooter(ReportPdfState &pdf) {
    const float right = HPDF_Page_GetWidth(pdf.page) - pdf.marginRight;
    HPDF_Page_SetLineWidth(pdf.page, 1);
    HPDF_Page_SetGrayStroke(pdf.page, 0);
    HPDF_Page_MoveTo(pdf.page, pdf.marginLeft, pdf.marginBottom);
    HPDF_Page_LineTo(pdf.page, right, pdf.marginBottom);
    HPDF_Page_Stroke(pdf.page);

    const float y = pdf.marginBottom - 10;
    HPDF_Page_SetGrayFill(pdf.page, 0);
    HPDF_Page_SetFontAndSize(pdf.page, pdf.font, kTextFontSize);
    if (pdf.marginBottom > 20) {
        const float bannerWidth = HPDF_Page_TextWidth(pdf.page, kBanner);
        DrawText(pdf.page, pdf.font, kTextFontSize,
                 pdf.marginLeft + (right - pdf.marginLeft - bannerWidth) / 2, y, kBanner);
    }
    const std::string page = "Page " + std::to_string(pdf.pageNumber);
    DrawText(pdf.page, pdf.font, kTextFontSize, right - HPDF_Page_TextWidth(pdf.page, page.c_str()),
             y, page);
}

// Where a column's text starts: at its x, or so that it ends 5 points inside its right edge.
float TextX(const ReportPdfState &pdf, const ReportColumn &column, const std::string &text) {
    if (!(column.flags & ZARN_COLUMN_RIGHT)) {
        return column.x;
    }
    return column.x + column.drawnWidth - 5 - HPDF_Page_TextWidth(pdf.page, text.c_str());
}

// Draws the visible cells of a row (or the titles) at baseline y.
void DrawCells(ReportWriter *report, float y, const std::vector<std::string> &cells) {
    ReportPdfState &pdf = *report->pdf;
    HPDF_Page_SetGrayFill(pdf.page, 0);
    HPDF_Page_BeginText(pdf.page);
    HPDF_Page_SetFontAndSize(pdf.page, pdf.font, kTextFontSize);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const ReportColumn &column = report->columns[i];
        if (column.flags & ZARN_COLUMN_HIDDEN || cells[i].empty()) {
            continue;
        }
        const std::string text = PdfText(pdf, cells[i]);  // cut to the column already
        HPDF_Page_TextOut(pdf.page, TextX(pdf, column, text), y, text.c_str());
    }
    HPDF_Page_EndText(pdf.page);
}

void PlaceColumns(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    unsigned visibleWidth = 0;
    for (int i = 0; i < report->columnCount; ++i) {
        if (!(report->columns[i].flags & ZARN_COLUMN_HIDDEN)) {
            visibleWidth += report->columns[i].width;
        }
    }
    pdf.scale = visibleWidth ? TableWidth(pdf) / static_cast<float>(visibleWidth) : 0;
    float x = pdf.marginLeft + 5;
    for (int i = 0; i < report->columnCount; ++i) {
        ReportColumn &column = report->columns[i];
        if (!(column.flags & ZARN_COLUMN_HIDDEN)) {
            column.x = x;
            column.drawnWidth = static_cast<float>(column.width) * pdf.scale;
            x += column.drawnWidth;
        }
    }
}

void StartPage(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    LoadLogoOnce(pdf);
    ++pdf.pageNumber;
    pdf.page = HPDF_AddPage(pdf.document);
    HPDF_Page_SetSize(pdf.page, static_cast<HPDF_PageSizes>(pdf.pageSize),
                      static_cast<HPDF_PageDirection>(pdf.orientation));

    const float productionY = DrawTitleArea(report);
    const float headerTop = productionY - 15;
    FillRectangle(pdf.page, 0.8f, pdf.marginLeft, headerTop - pdf.rowHeight, TableWidth(pdf),
                  pdf.rowHeight);
    PlaceColumns(report);
    DrawFooter(pdf);
    PdfDrawQrCode(pdf.page, std::to_string(pdf.pageNumber) + ";" +
                                (report->title ? report->title : "") + ";" +
                                CreationText(report, ZARN_DEFAULT_TIME_FORMAT));

    std::vector<std::string> titles;
    for (int i = 0; i < report->columnCount; ++i) {
        titles.emplace_back(report->columns[i].title);
    }
    DrawCells(report, headerTop - pdf.rowHeight + 3, titles);

    pdf.firstRowY = headerTop - 2 * pdf.rowHeight;
    const int rows = static_cast<int>((pdf.firstRowY - pdf.marginBottom) / pdf.rowHeight);
    report->rowsPerPage = rows < 1 ? 1 : rows;
}

}  // namespace

int PdfSetUp(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    pdf.document = HPDF_New(PrintError, &pdf);
    if (pdf.document == nullptr) {
        return ENOMEM;
    }
    HPDF_SetCompressionMode(pdf.document, HPDF_COMP_ALL);
    ApplyEnvironment(report);
    if (!LoadUnicodeFonts(pdf)) {
        pdf.boldFont = HPDF_GetFont(pdf.document, "Helvetica-Bold", nullptr);
        pdf.font = HPDF_GetFont(pdf.document, "Helvetica", nullptr);
    }
    return 0;
}

int PdfRow(ReportWriter *report, const std::vector<std::string_view> &fields) {
    ReportPdfState &pdf = *report->pdf;
    if (pdf.document == nullptr) {
        return EINVAL;  // rows before the header have no document to go to
    }
    ++report->rowCount;
    if (report->rowOnPage == 0) {
        StartPage(report);
    }
    const int index = ++report->rowOnPage;
    const float y = pdf.firstRowY - static_cast<float>(index - 1) * pdf.rowHeight;
    if (index % 2 == 1) {
        FillRectangle(pdf.page, 0.98f, pdf.marginLeft, y, TableWidth(pdf), pdf.rowHeight);
    }
    std::vector<std::string> cells;
    const std::size_t count = std::min<std::size_t>(fields.size(), report->columnCount);
    for (std::size_t i = 0; i < count; ++i) {
        cells.push_back(ColumnText(report->columns[i], fields[i]));
    }
    DrawCells(report, y + 3, cells);
    if (report->rowOnPage >= report->rowsPerPage) {
        report->rowOnPage = 0;
    }
    return 0;
}

int PdfClose(ReportWriter *report) {
    ReportPdfState &pdf = *report->pdf;
    if (pdf.document == nullptr) {
        return 0;
    }
    if (pdf.pageNumber == 0) {
        StartPage(report);  // a report without rows still shows its title and columns
    }
    if (pdf.outputPath[0] != '\0') {
        // Saved beside its place and renamed when whole: a failed save leaves no half file.
        const std::string partial = std::string(pdf.outputPath) + ".partial";
        pdf.lastError = 0;
        pdf.result = HPDF_SaveToFile(pdf.document, partial.c_str());
        if (pdf.result == HPDF_OK) {
            pdf.result = pdf.lastError;
        }
        if (pdf.result == HPDF_OK && std::rename(partial.c_str(), pdf.outputPath) != 0) {
            pdf.result = errno ? errno : EIO;
        }
        if (pdf.result == HPDF_OK) {
            CopyPath(report->savedPath, sizeof report->savedPath, pdf.outputPath);
        } else {
            std::remove(partial.c_str());
        }
    }
    HPDF_Free(pdf.document);
    pdf.document = nullptr;
    return static_cast<int>(pdf.result);
}

}  // namespace zarn::report
