/* Columnar reports as fixed-width text, comma-separated values or a paginated PDF document.
 *
 * The caller keeps one ReportWriter (usually on its stack), fills it column by column and then
 * feeds it row by row. Every operation is reached through the function pointers in the record,
 * so a caller never branches on the output form:
 *
 *     ReportWriter report;
 *     ReportInit(&report);                       // form chosen by ZARNREPORTFORMAT
 *     report.AddColumn(&report, 10, "Volume", 0);
 *     report.AddColumn(&report, 8, "Count", ZARN_COLUMN_NUMERIC | ZARN_COLUMN_RIGHT);
 *     report.PrintHeader(&report, NULL, "Volumes", NULL);
 *     report.PrintRow(&report, "%s|%d", "A00001", 1200);
 *     report.PrintTrailer(&report);
 *     report.Close(&report);
 *
 * Operations return 0 on success and nonzero on failure (an errno value where one applies). */
#ifndef ZARN_SUPPORTLIB_REPORTWRITER_H
#define ZARN_SUPPORTLIB_REPORTWRITER_H

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_REPORT_TEXT 0
#define ZARN_REPORT_CSV 2
#define ZARN_REPORT_PDF 4

#define ZARN_COLUMN_RIGHT 1   /* right-aligned */
#define ZARN_COLUMN_NUMERIC 2 /* shown with thousands separators */
#define ZARN_COLUMN_HIDDEN 4

#define ZARN_REPORT_MAX_COLUMNS 32
#define ZARN_REPORT_LINE_SIZE 2048 /* the total width must stay below it */
#define ZARN_REPORT_ROW_SIZE 512   /* a formatted row; longer rows are cut */
#define ZARN_REPORT_TITLE_SIZE 128
#define ZARN_REPORT_DELETE_LIST_SIZE 128
#define ZARN_REPORT_NOTES_MAX 2047
#define ZARN_REPORT_PATH_SIZE 261

typedef struct ReportColumn {
    unsigned width;  /* characters */
    unsigned offset; /* in the line: the total width before the column was added */
    int flags;
    float x;          /* PDF points */
    float drawnWidth; /* PDF points */
    char title[ZARN_REPORT_TITLE_SIZE];
} ReportColumn;

typedef struct ReportPdfState ReportPdfState;

typedef struct ReportWriter ReportWriter;
typedef void (*ReportBeforeFn)(ReportWriter *report);

struct ReportWriter {
    int columnCount;
    unsigned hiddenWidth; /* sum of the widths of hidden columns */
    int format;           /* ZARN_REPORT_TEXT, ZARN_REPORT_CSV or ZARN_REPORT_PDF */
    char *title;          /* owned */
    char *notes;          /* owned */
    char line[ZARN_REPORT_LINE_SIZE];
    ReportColumn columns[ZARN_REPORT_MAX_COLUMNS];
    char columnDeleteList[ZARN_REPORT_DELETE_LIST_SIZE];
    FILE *output;        /* standard output after ReportInit; the caller's stream is not closed */
    ReportPdfState *pdf; /* owned */
    int rowCount;
    int rowOnPage; /* 0: the next PDF row starts a page */
    int rowsPerPage;
    int64_t creationTime;
    unsigned headerDone;

    int (*AddColumn)(ReportWriter *report, unsigned width, const char *title, int flags);
    int (*PrintRow)(ReportWriter *report, const char *format, ...)
        __attribute__((format(printf, 2, 3)));
    int (*Close)(ReportWriter *report);
    int (*PrintHeader)(ReportWriter *report, ReportBeforeFn before, const char *description,
                       const char *notesFormat, ...) __attribute__((format(printf, 4, 5)));
    int (*PrintTrailer)(ReportWriter *report);
    int (*PrintUnderline)(ReportWriter *report);
    int (*NewPage)(ReportWriter *report);
    int (*SetOrientation)(ReportWriter *report, int orientation); /* 0 portrait, 1 landscape */
    int (*SetPageSize)(ReportWriter *report, int pageSize);       /* letter 0 ... executive 7 */
    int (*SetOutputFile)(ReportWriter *report, const char *path);
    int (*SetLogo)(ReportWriter *report, const char *path);
    int (*GetResult)(ReportWriter *report);

    unsigned totalWidth; /* sum over all columns of width + 1 */
    int saveResult;      /* the PDF save's result, kept here because Close frees the PDF state */
    /* The file a PDF was saved to (ZARNPDFOUTPUTPATH may name another than the caller's);
     * empty until then. */
    char savedPath[ZARN_REPORT_PATH_SIZE];
};

/* Zeroes the record, installs the operations, sets the output to standard output and applies
 * ZARNREPORTFORMAT ("text", "csv", "pdf") and ZARNREPORTCOLUMNDELETE ("2,5": 1-based columns to
 * hide). Returns 0, or ENOMEM. */
int ReportInit(ReportWriter *report);

#ifdef __cplusplus
}
#endif

#endif
