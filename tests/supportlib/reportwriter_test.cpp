#include "reportwriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "supportfixtures.h"

using namespace zarn::test;

namespace {

// A report whose text and CSV output is collected in memory.
class ReportTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    ScopedEnvironment noFormat{"ZARNREPORTFORMAT", nullptr};
    ScopedEnvironment noDelete{"ZARNREPORTCOLUMNDELETE", nullptr};
    ReportWriter report{};
    char *buffer = nullptr;
    size_t size = 0;

    void Start() {
        ASSERT_EQ(ReportInit(&report), 0);
        report.output = open_memstream(&buffer, &size);
    }
    void TearDown() override {
        if (report.output && report.output != stdout) {
            std::fclose(report.output);
        }
        std::free(buffer);
    }
    void AddVolumeColumns() {
        report.AddColumn(&report, 10, "Volume", 0);
        report.AddColumn(&report, 9, "Count", ZARN_COLUMN_NUMERIC | ZARN_COLUMN_RIGHT);
        report.AddColumn(&report, 6, "Note", 0);
    }
    std::string Output() {
        std::fflush(report.output);
        return std::string(buffer, size);
    }
};

const char kProduction[] = "    Production Time: Monday, December 07, 2026 - 10:30:00 (CET)\n";

TEST_F(ReportTest, TextFormWritesTheHeaderBlockTitlesAndRows) {
    Start();
    AddVolumeColumns();
    EXPECT_EQ(report.totalWidth, 28u);
    EXPECT_EQ(report.columns[1].offset, 11u);
    ASSERT_EQ(report.PrintHeader(&report, nullptr, "Volumes", "Run %d of %s", 7, "North"), 0);
    report.PrintRow(&report, "%s|%d|%s", "A00001", 1234567, "ok");
    report.PrintRow(&report, "B2|0|cut here");
    report.PrintRow(&report, "C3|?unknown|");
    report.PrintRow(&report, "D4|-1234");
    report.PrintRow(&report, "E5|12345678901|x|extra field");
    report.PrintTrailer(&report);
    EXPECT_EQ(report.Close(&report), 0);

    EXPECT_EQ(Output(), std::string("\n"
                                    "             System: Kestrava\n"
                                    " Report Description: Volumes\n"
                                    "       Report Notes: Run 7 of North\n") +
                            kProduction +
                            "       Report Width: 28 bytes\n"
                            "\n"
                            "Volume     Count     Note   \n"
                            "---------- --------- ------ \n"
                            "A00001     1,234,567 ok     \n"
                            "B2                 0 cut he \n"
                            "C3          ?unknown        \n"
                            "D4            -1,234        \n"
                            "E5         ######### x      \n"
                            "---------- --------- ------ \n");
}

TEST_F(ReportTest, TextFormLeavesOutNotesWhenThereAreNoneAndCallsBefore) {
    Start();
    report.AddColumn(&report, 4, "Id", 0);
    const char *emptyNotes = "";  // empty notes count as none
    report.PrintHeader(
        &report, [](ReportWriter *r) { std::fputs("-- before --", r->output); }, "Customers", "%s",
        emptyNotes);
    EXPECT_EQ(Output(), std::string("\n"
                                    "             System: Kestrava\n"
                                    " Report Description: Customers\n") +
                            kProduction +
                            "       Report Width: 5 bytes\n"
                            "\n"
                            "-- before --\n"
                            "Id   \n"
                            "---- \n");
}

TEST_F(ReportTest, DeleteListHidesColumnsAndShiftsLaterOnesLeft) {
    ScopedEnvironment deleteList("ZARNREPORTCOLUMNDELETE", "2,40,2,x,0");
    Start();
    AddVolumeColumns();
    report.PrintHeader(&report, nullptr, "Volumes", nullptr);
    report.PrintRow(&report, "A00001|1234567|ok");
    EXPECT_EQ(report.hiddenWidth, 9u);
    // The line keeps the total width less the hidden widths (19), so after the last visible
    // column comes one more space for the hidden column's separator.
    EXPECT_EQ(Output(), std::string("\n"
                                    "             System: Kestrava\n"
                                    " Report Description: Volumes\n") +
                            kProduction +
                            "       Report Width: 28 bytes\n"
                            "      Report Hidden: 9 bytes\n"
                            "\n"
                            "Volume     Note    \n"
                            "---------- ------ \n"
                            "A00001     ok      \n");
}

TEST_F(ReportTest, CsvFormQuotesOnlyWhatWouldShiftColumns) {
    ScopedEnvironment format("ZARNREPORTFORMAT", "CSV");
    Start();
    ASSERT_EQ(report.format, ZARN_REPORT_CSV);
    AddVolumeColumns();
    report.AddColumn(&report, 5, "Gone", ZARN_COLUMN_HIDDEN);
    report.PrintHeader(&report, nullptr, "Volumes", "ignored %d", 1);
    report.PrintRow(&report, "  A00001 |1234567|ok|secret");
    report.PrintRow(&report, "B2|?|says \"hi\", twice|x");
    report.PrintRow(&report, "C3|7|two\nlines");
    report.PrintRow(&report, "D4");
    report.PrintTrailer(&report);
    EXPECT_EQ(Output(),
              "Volume,Count,Note,\n"
              "A00001,1234567,ok,\n"
              "B2,?,\"says \"\"hi\"\", twice\",\n"
              "C3,7,\"two\nlines\",\n"
              "D4,\n"
              "\n");
}

TEST_F(ReportTest, FormatKeywordMustMatchWholly) {
    const struct {
        const char *value;
        int format;
    } cases[] = {{"CSV", ZARN_REPORT_CSV},   {"cs", ZARN_REPORT_TEXT},   {"Pdf", ZARN_REPORT_PDF},
                 {"text", ZARN_REPORT_TEXT}, {"csvx", ZARN_REPORT_TEXT}, {"", ZARN_REPORT_TEXT}};
    for (const auto &c : cases) {
        ScopedEnvironment format("ZARNREPORTFORMAT", c.value);
        ReportWriter r;
        ASSERT_EQ(ReportInit(&r), 0);
        EXPECT_EQ(r.format, c.format) << c.value;
        EXPECT_EQ(r.output, stdout);
        r.Close(&r);
    }
}

TEST_F(ReportTest, RefusesColumnsAndWidthsThatWouldOverflow) {
    Start();
    for (int i = 0; i < ZARN_REPORT_MAX_COLUMNS; ++i) {
        ASSERT_EQ(report.AddColumn(&report, 10, "C", 0), 0);
    }
    EXPECT_EQ(report.AddColumn(&report, 1, "one too many", 0), E2BIG);
    EXPECT_EQ(report.columnCount, ZARN_REPORT_MAX_COLUMNS);

    ReportWriter wide;
    ReportInit(&wide);
    EXPECT_EQ(wide.AddColumn(&wide, 2046, "W", 0), 0);
    EXPECT_EQ(wide.AddColumn(&wide, 1, "X", 0), ERANGE);
    EXPECT_EQ(wide.AddColumn(&wide, 4000000000u, "Y", 0), ERANGE);
    EXPECT_EQ(wide.totalWidth, 2047u);
    wide.Close(&wide);

    // A row longer than its buffer is cut (here inside its first field), and the line stays as
    // wide as the report.
    const std::string longField(3000, 'z');
    report.PrintRow(&report, "%s|%s", longField.c_str(), longField.c_str());
    EXPECT_EQ(Output(), std::string(10, 'z') + std::string(report.totalWidth - 10, ' ') + "\n");
}

TEST_F(ReportTest, PathsThatDoNotFitAreRefusedNotCut) {
    Start();
    TempDir folder;
    const std::string tooLong(ZARN_REPORT_PATH_SIZE, 'p');
    EXPECT_EQ(report.SetOutputFile(&report, tooLong.c_str()), ENAMETOOLONG);
    EXPECT_EQ(report.SetOutputFile(&report, (folder.Path() / "r.pdf").c_str()), 0);
    EXPECT_EQ(report.SetLogo(&report, tooLong.c_str()), ENAMETOOLONG);
    EXPECT_EQ(report.SetLogo(&report, (folder.Path() / "missing.jpg").c_str()), ENOENT);
    EXPECT_NE(report.SetLogo(&report, folder.Path().c_str()), 0);  // a folder
    const std::string logo = folder.WriteFile("logo.jpg", "not really a jpeg");
    EXPECT_EQ(report.SetLogo(&report, logo.c_str()), 0);
    EXPECT_EQ(report.SetPageSize(&report, 8), EINVAL);
    EXPECT_EQ(report.SetOrientation(&report, 2), EINVAL);
}

TEST_F(ReportTest, AFailingStreamIsReported) {
    Start();
    std::fclose(report.output);
    report.output = std::fopen("/dev/full", "w");
    ASSERT_NE(report.output, nullptr);
    std::setvbuf(report.output, nullptr, _IONBF, 0);
    report.AddColumn(&report, 4, "Id", 0);
    EXPECT_NE(report.PrintHeader(&report, nullptr, "Ids", nullptr), 0);
    EXPECT_NE(report.PrintRow(&report, "1"), 0);
    EXPECT_NE(report.Close(&report), 0);
}

}  // namespace
