// The report record: initialisation, columns, and the operations every form shares.
#include "reportwriter.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "datecalc.h"
#include "reportinternal.h"
#include "zarnclock.h"

using namespace zarn::report;

namespace {

const Keyword kFormats[] = {
    {"text", ZARN_REPORT_TEXT}, {"csv", ZARN_REPORT_CSV}, {"pdf", ZARN_REPORT_PDF}};

char *Duplicate(const char *text) {
    return text ? strdup(text) : nullptr;
}

// "2,5": the 1-based columns to hide. Numbers outside 1..31, or naming no column, are ignored;
// a column named twice is hidden once.
void ApplyColumnDeleteList(ReportWriter *report) {
    const char *item = report->columnDeleteList;
    while (*item != '\0') {
        char *end = nullptr;
        const long number = std::strtol(item, &end, 10);
        if (end != item && number >= 1 && number <= 31 && number <= report->columnCount) {
            ReportColumn &column = report->columns[number - 1];
            if (!(column.flags & ZARN_COLUMN_HIDDEN)) {
                column.flags |= ZARN_COLUMN_HIDDEN;
                report->hiddenWidth += column.width;
            }
        }
        const char *comma = std::strchr(item, ',');
        if (comma == nullptr) {
            break;
        }
        item = comma + 1;
    }
}

int AddColumn(ReportWriter *report, unsigned width, const char *title, int flags) {
    if (report->columnCount >= ZARN_REPORT_MAX_COLUMNS) {
        return E2BIG;
    }
    if (width >= ZARN_REPORT_LINE_SIZE || report->totalWidth + width + 1 >= ZARN_REPORT_LINE_SIZE) {
        return ERANGE;
    }
    ReportColumn &column = report->columns[report->columnCount++];
    column = ReportColumn{};
    column.width = width;
    column.offset = report->totalWidth;
    column.flags = flags;
    zarn::CopyCut(column.title, sizeof column.title, title ? title : "");
    report->totalWidth += width + 1;
    if (flags & ZARN_COLUMN_HIDDEN) {
        report->hiddenWidth += width;
    }
    return 0;
}

int PrintRow(ReportWriter *report, const char *format, ...) {
    char row[ZARN_REPORT_ROW_SIZE];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(row, sizeof row, format ? format : "", arguments);
    va_end(arguments);
    if (length < 0) {
        row[0] = '\0';
    }
    const std::vector<std::string_view> fields = SplitFields(row);
    switch (report->format) {
        case ZARN_REPORT_CSV:
            return CsvRow(report, fields);
        case ZARN_REPORT_PDF:
            return PdfRow(report, fields);
        default:
            return TextRow(report, fields);
    }
}

int Close(ReportWriter *report) {
    int result = 0;
    if (report->format == ZARN_REPORT_PDF && report->pdf) {
        result = PdfClose(report);
        report->saveResult = result;
    } else if (report->output && std::fflush(report->output) != 0) {
        result = EIO;
    }
    if (report->output && std::ferror(report->output)) {
        result = EIO;
    }
    std::free(report->title);
    std::free(report->notes);
    report->title = nullptr;
    report->notes = nullptr;
    delete report->pdf;
    report->pdf = nullptr;
    return result;
}

int PrintHeader(ReportWriter *report, ReportBeforeFn before, const char *description,
                const char *notesFormat, ...) {
    if (!(report->headerDone & 1u)) {
        report->headerDone |= 1u;
        if (report->columnDeleteList[0] != '\0') {
            ApplyColumnDeleteList(report);
        }
        if (report->format == ZARN_REPORT_PDF) {
            const int failed = PdfSetUp(report);
            if (failed) {
                return failed;
            }
        }
    }
    char notes[ZARN_REPORT_NOTES_MAX + 1] = "";
    const bool hasNotes = notesFormat != nullptr && notesFormat[0] != '\0';
    if (hasNotes) {
        va_list arguments;
        va_start(arguments, notesFormat);
        std::vsnprintf(notes, sizeof notes, notesFormat, arguments);
        va_end(arguments);
    }
    switch (report->format) {
        case ZARN_REPORT_CSV:
            return CsvHeader(report);
        case ZARN_REPORT_PDF:
            std::free(report->title);
            std::free(report->notes);
            report->title = Duplicate(description ? description : "");
            report->notes = hasNotes ? Duplicate(notes) : nullptr;
            return 0;
        default:
            return TextHeader(report, before, description, hasNotes ? notes : nullptr);
    }
}

int PrintUnderline(ReportWriter *report) {
    switch (report->format) {
        case ZARN_REPORT_CSV:
            return Write(report, "\n");
        case ZARN_REPORT_PDF:
            return 0;
        default:
            return TextUnderline(report);
    }
}

// The trailer is the underline again: a closing rule in text, an empty line in CSV.
int PrintTrailer(ReportWriter *report) {
    return PrintUnderline(report);
}

int NewPage(ReportWriter *report) {
    report->rowCount = 0;
    report->rowOnPage = 0;
    return 0;
}

int SetOrientation(ReportWriter *report, int orientation) {
    if (!report->pdf || orientation < 0 || orientation > 1) {
        return EINVAL;
    }
    report->pdf->orientation = orientation;
    return 0;
}

int SetPageSize(ReportWriter *report, int pageSize) {
    if (!report->pdf || pageSize < 0 || pageSize > 7) {
        return EINVAL;
    }
    report->pdf->pageSize = pageSize;
    return 0;
}

int SetOutputFile(ReportWriter *report, const char *path) {
    if (!report->pdf) {
        return EINVAL;
    }
    return CopyPath(report->pdf->outputPath, sizeof report->pdf->outputPath, path);
}

int SetLogo(ReportWriter *report, const char *path) {
    if (!report->pdf || path == nullptr) {
        return EINVAL;
    }
    struct stat status {};
    if (stat(path, &status) != 0) {
        return errno ? errno : ENOENT;
    }
    if (!S_ISREG(status.st_mode)) {
        return static_cast<int>(status.st_mode);
    }
    return CopyPath(report->pdf->logoPath, sizeof report->pdf->logoPath, path);
}

int GetResult(ReportWriter *report) {
    return report->pdf ? static_cast<int>(report->pdf->result) : report->saveResult;
}

}  // namespace

extern "C" int ReportInit(ReportWriter *report) {
    std::memset(report, 0, sizeof *report);
    report->pdf = new (std::nothrow) ReportPdfState;
    report->creationTime = ZarnNow();
    report->AddColumn = AddColumn;
    report->PrintRow = PrintRow;
    report->Close = Close;
    report->PrintHeader = PrintHeader;
    report->PrintTrailer = PrintTrailer;
    report->PrintUnderline = PrintUnderline;
    report->NewPage = NewPage;
    report->SetOrientation = SetOrientation;
    report->SetPageSize = SetPageSize;
    report->SetOutputFile = SetOutputFile;
    report->SetLogo = SetLogo;
    report->GetResult = GetResult;
    report->output = stdout;
    if (const char *format = std::getenv("ZARNREPORTFORMAT")) {
        report->format = KeywordValue(format, kFormats, std::size(kFormats));
    }
    if (const char *deleteList = std::getenv("ZARNREPORTCOLUMNDELETE")) {
        zarn::CopyCut(report->columnDeleteList, sizeof report->columnDeleteList, deleteList);
    }
    return report->pdf ? 0 : ENOMEM;
}
