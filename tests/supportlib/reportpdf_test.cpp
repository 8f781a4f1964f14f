#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "pdfprobe.h"
#include "reportwriter.h"
#include "supportfixtures.h"

using namespace zarn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char kCreated[] = "Monday, December 07, 2026 - 10:30:00";

class PdfReportTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    ScopedEnvironment format{"ZARNREPORTFORMAT", "pdf"};
    ScopedEnvironment noDelete{"ZARNREPORTCOLUMNDELETE", "4"};
    ScopedEnvironment noLogo{"ZARNPDFLOGOPATH", nullptr};
    ScopedEnvironment noOutput{"ZARNPDFOUTPUTPATH", nullptr};
    ScopedEnvironment noOrientation{"ZARNPDFORIENTATION", nullptr};
    ScopedEnvironment noPageSize{"ZARNPDFPAGESIZE", nullptr};
    TempDir folder;
    std::string pdf = (folder.Path() / "volumes.pdf").string();
    ReportWriter report{};

    void SetUp() override {
        if (!PdfToolsAvailable()) {
            GTEST_SKIP() << "poppler-utils and zbar-tools are needed to read PDFs back";
        }
        ASSERT_EQ(ReportInit(&report), 0);
        ASSERT_EQ(report.format, ZARN_REPORT_PDF);
    }

    void Begin() {
        report.AddColumn(&report, 10, "Volume", 0);
        report.AddColumn(&report, 9, "Count", ZARN_COLUMN_NUMERIC | ZARN_COLUMN_RIGHT);
        report.AddColumn(&report, 12, "Location", 0);
        report.AddColumn(&report, 8, "Secret", 0);
        ASSERT_EQ(report.PrintHeader(&report, nullptr, "Volume List", "Customer %s", "ACME"), 0);
    }

    // Writes rows until the page is full, plus extra rows; returns the rows per page.
    int WriteFullPagePlus(int extra) {
        report.PrintRow(&report, "V0001|1234567|VAULT 1|hidden0");
        const int perPage = report.rowsPerPage;
        for (int row = 2; row <= perPage + extra; ++row) {
            report.PrintRow(&report, "V%04d|%d|VAULT %d|hidden%d", row, row * 1000, row, row);
        }
        return perPage;
    }

    void Finish() { ASSERT_EQ(report.Close(&report), 0); }

    // A one-row report with the given logo, its first page rendered.
    PageImage OneRowPageWithLogo(const std::string &logo) {
        EXPECT_EQ(report.SetLogo(&report, logo.c_str()), 0);
        report.SetOutputFile(&report, pdf.c_str());
        Begin();
        report.PrintRow(&report, "V1|1|A");
        Finish();
        return PdfRenderPage(pdf, 1);
    }
};

TEST_F(PdfReportTest, AFullPageStaysOnePage) {
    report.SetOutputFile(&report, pdf.c_str());
    Begin();
    const int perPage = WriteFullPagePlus(0);
    EXPECT_GT(perPage, 40);
    Finish();
    EXPECT_EQ(PdfPageCount(pdf), 1);

    const std::string text = PdfPageText(pdf, 1);
    EXPECT_THAT(text, HasSubstr("Volume List"));
    EXPECT_THAT(text, HasSubstr("Customer ACME"));
    EXPECT_THAT(text, HasSubstr(std::string("Production Time: ") + kCreated));
    EXPECT_THAT(text, HasSubstr("1,234,567"));
    EXPECT_THAT(text, HasSubstr("VAULT " + std::to_string(perPage)));
    EXPECT_THAT(text, HasSubstr("Page 1"));
    EXPECT_THAT(text, Not(HasSubstr("hidden")));
    EXPECT_THAT(text, Not(HasSubstr("Secret")));
    EXPECT_THAT(PdfPageQrCodes(pdf, 1), ElementsAre(std::string("1;Volume List;") + kCreated));
}

TEST_F(PdfReportTest, OneMoreRowStartsAFreshPage) {
    report.SetOutputFile(&report, pdf.c_str());
    Begin();
    const int perPage = WriteFullPagePlus(1);
    Finish();
    ASSERT_EQ(PdfPageCount(pdf), 2);

    const std::string second = PdfPageText(pdf, 2);
    for (const char *expected :
         {"Volume List", "Customer ACME", "Volume", "Count", "Location", "Page 2"}) {
        EXPECT_THAT(second, HasSubstr(expected));
    }
    char last[16];
    std::snprintf(last, sizeof last, "V%04d", perPage + 1);
    EXPECT_THAT(second, HasSubstr(last));
    EXPECT_THAT(PdfPageText(pdf, 1), Not(HasSubstr("VAULT " + std::to_string(perPage + 1))));
    EXPECT_THAT(PdfPageQrCodes(pdf, 2), ElementsAre(std::string("2;Volume List;") + kCreated));
}

TEST_F(PdfReportTest, TitleBandStartsAtTheLeftMarginWithoutALogo) {
    const PageImage page = OneRowPageWithLogo(folder.WriteFile("logo.jpg", "not a jpeg"));
    ASSERT_GT(page.width, 0);
    EXPECT_THAT(page.Pixel(12, 45), ElementsAre(10, 65, 105));   // band colour at the margin
    EXPECT_THAT(page.Pixel(5, 45), ElementsAre(255, 255, 255));  // nothing left of it
}

TEST_F(PdfReportTest, ALogoPushesTheTitleBandRight) {
    const PageImage page =
        OneRowPageWithLogo(std::string(ZARN_RESOURCES_DIR) + "/Kestrava_Logo.jpg");
    ASSERT_GT(page.width, 0);
    EXPECT_THAT(page.Pixel(186, 45), ElementsAre(255, 255, 255));  // the gap after the logo
    EXPECT_THAT(page.Pixel(190, 45), ElementsAre(10, 65, 105));
    EXPECT_THAT(PdfPageQrCodes(pdf, 1), ElementsAre(std::string("1;Volume List;") + kCreated));
}

TEST_F(PdfReportTest, EnvironmentOverridesPathSizeAndOrientation) {
    const std::string chosen = (folder.Path() / "chosen.pdf").string();
    ScopedEnvironment output("ZARNPDFOUTPUTPATH", chosen.c_str());
    ScopedEnvironment size("ZARNPDFPAGESIZE", "a4");
    ScopedEnvironment orientation("ZARNPDFORIENTATION", "LANDSCAPE");
    report.SetOutputFile(&report, pdf.c_str());
    Begin();
    Finish();
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(PdfPageCount(chosen), 1) << "a report without rows still has its page";
    EXPECT_THAT(CommandOutput("pdfinfo " + chosen), HasSubstr("841.89 x 595.276 pts (A4)"));
}

TEST_F(PdfReportTest, WithoutAnyPathTheReportIsNamedAfterItsCreationTime) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    Begin();
    report.PrintRow(&report, "V1|1|A");
    Finish();
    std::filesystem::current_path(previous);
    EXPECT_EQ(PdfPageCount((folder.Path() / "Report-2026-12-07-10-30-00.pdf").string()), 1);
}

TEST_F(PdfReportTest, AFailedSaveIsReported) {
    const std::string unwritable = (folder.Path() / "missing" / "r.pdf").string();
    report.SetOutputFile(&report, unwritable.c_str());
    Begin();
    report.PrintRow(&report, "V1|1|A");
    EXPECT_NE(report.Close(&report), 0);
    EXPECT_NE(report.GetResult(&report), 0) << "kept after Close";
}

}  // namespace
