// Receipt runs printed to PDF files through the same drawing as on paper, read back as text
// and as pictures: grid rows, totals against the counts, a customer per page run, the prompt
// once per customer, and a picture file that does not load.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPageSize>
#include <QPdfWriter>

#include <regex>

#include "pdfprobe.h"
#include "recordingtreecontrol.h"
#include "serverfixture.h"
#include "supportfixtures.h"
#include "windowfixture.h"
#include "zarn10progresswnd.h"
#include "zarn10treecustomer.h"
#include "zarn10treemedia.h"
#include "zarn10treerepository.h"
#include "zarn10treeroot.h"
#include "zarn30printer.h"
#include "zarnadmin.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::HasSubstr;

namespace {

class ReceiptPrinterTest : public ::testing::Test {
protected:
    TempDir folder;
    TestServer server{Backend::SQLite};
    std::unique_ptr<CZARN10MFC> station;
    std::unique_ptr<CZARN10TreeRoot> root;
    RecordingTreeControl control;
    std::vector<std::string> prompted, messages;

    void SetUp() override {
        if (!PdfToolsAvailable()) {
            GTEST_SKIP() << "poppler-utils missing";
        }
        server.BuildSmallWorld();
        for (int i = 0; i < 24; ++i) {
            char serial[8];
            std::snprintf(serial, sizeof serial, "G%05d", i);
            PutVolume(server.Admin(), MakeVolume("ACME", serial, {"LIB1", 10 + i}, {"VLT1", 40}));
        }
        PutVolume(server.Admin(), MakeVolume("BETA", "B00002", {"LIB1", 4}, {"VLT1", 5}));
        station = server.Connect();
        ASSERT_NE(station, nullptr);
        CZARN10ProgressWnd progress(2, nullptr);
        root = std::make_unique<CZARN10TreeRoot>(station.get(), 3, &progress, &control, nullptr);
    }
    std::vector<CZARN10TreeVolume *> &Volumes(const char *customer, const char *from,
                                              const char *to) {
        return root->customers.at(customer)
            ->media.at("LTO9")
            ->destinations.at(to)
            ->origins.at(from)
            ->volumes;
    }
    // Prints the items to a PDF and returns its path; the prompt allows no charge.
    std::string Print(const std::vector<const CZARN10TreeVolume *> &items,
                      const std::string &header = "", const std::string &footer = "") {
        const std::string pdf = (folder.Path() / "receipt.pdf").string();
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);  // a printer's
        CZARN30PainterDC dc(writer);
        CZARN30Printer printer(
            station.get(), header, footer, dc,
            [&](CZARN30ReceiptPrompt &prompt) {
                prompted.push_back(prompt.customerLabel);
                prompt.BeginShowing();
                prompt.allowNoCharge = true;
                prompt.shipNotes = "Fragile";
                prompt.boxNumbers = "B-1\r\nB-2";
                std::string ignored;
                EXPECT_EQ(prompt.Confirm(ignored), CZARN30ReceiptPrompt::Outcome::Close);
            },
            [&](const char *caption, const char *) { messages.push_back(caption); });
        EXPECT_TRUE(printer.Started());
        for (const CZARN10TreeVolume *item : items) {
            printer.PrintItem(*item);
        }
        EXPECT_TRUE(printer.Finish());
        return pdf;
    }
};

TEST_F(ReceiptPrinterTest, AGridOfSerialsWithRowLabelsTotalsAndACustomerPerPageRun) {
    std::vector<const CZARN10TreeVolume *> items;
    int ok = 0;
    for (CZARN10TreeVolume *volume : Volumes("ACME", "LIB1", "VLT1")) {
        volume->state = (items.size() % 3 == 0) ? 0 : 1;  // every third not scanned
        ok += volume->state;
        items.push_back(volume);
    }
    const int total = static_cast<int>(items.size());
    for (CZARN10TreeVolume *volume : Volumes("BETA", "LIB1", "VLT1")) {
        volume->state = 1;
        items.push_back(volume);
    }
    const std::string pdf = Print(items);
    EXPECT_THAT(prompted, ::testing::ElementsAre(::testing::StartsWith("ACME - "),
                                                 ::testing::StartsWith("BETA - ")))
        << "the prompt once per customer";
    EXPECT_THAT(messages, ::testing::ElementsAre("Header Load Failed", "Footer Load Failed"));

    const std::string first = PdfPageText(pdf, 1);
    EXPECT_THAT(first, HasSubstr("Customer ID:"));
    EXPECT_THAT(first, HasSubstr("Media: LTO9"));
    EXPECT_THAT(first, HasSubstr("Moving to: VLT1"));
    EXPECT_THAT(first, HasSubstr("Fragile"));
    EXPECT_THAT(first, HasSubstr("B-2"));
    for (const char *label : {"000000", "000010", "000020"}) {
        EXPECT_THAT(first, HasSubstr(label)) << "row labels count cells";
    }
    EXPECT_THAT(first, ::testing::Not(HasSubstr("000030")));
    EXPECT_THAT(first, HasSubstr("Total Volumes processed=" + std::to_string(total) + ", OK=" +
                                 std::to_string(ok) + ", NotOK=" + std::to_string(total - ok)));
    EXPECT_THAT(first, HasSubstr("Total Volumes processed for Customer=" + std::to_string(total)));
    EXPECT_THAT(first, HasSubstr("Page 1"));
    EXPECT_THAT(first, HasSubstr(kReceiptBanner));
    // The eleventh cell starts the row labelled 000010 with the eleventh serial.
    const std::regex row10("000010\\s+" + std::string(items[10]->volumeSerial));
    EXPECT_TRUE(std::regex_search(first, row10)) << first;

    ASSERT_EQ(PdfPageCount(pdf), 2) << "a new customer starts a new page";
    const std::string second = PdfPageText(pdf, 2);
    EXPECT_THAT(second, HasSubstr("BETA"));
    EXPECT_THAT(second, HasSubstr("Page 1")) << "pages count per customer";
    EXPECT_THAT(second, ::testing::Not(HasSubstr("ACME")));
    const std::string out = ScreenshotPath("receipt-grid.png");
    CommandOutput("pdftoppm -png -r 80 -f 1 -l 1 -singlefile '" + pdf + "' '" +
                  out.substr(0, out.size() - 4) + "'");
}

TEST_F(ReceiptPrinterTest, BlankEntriesPrintHeadersWithoutGridOrTotals) {
    CZARN10TreeVolume &blank = *Volumes("ACME", "LIB1", "VLT1").front();
    blank.blankEntry = 1;
    const std::string pdf = Print({&blank});
    const std::string text = PdfPageText(pdf, 1);
    EXPECT_THAT(text, HasSubstr("Customer ID:"));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("Media:")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("Moving to:")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("Total Volumes")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr(blank.volumeSerial)));
    blank.blankEntry = 0;
}

TEST_F(ReceiptPrinterTest, TheHeaderPictureSpansThePageAndTheTextFollowsIt) {
    QImage picture(400, 40, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 0));
    const std::string header = (folder.Path() / "header.bmp").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(header), "BMP"));
    const std::string pdf = Print({Volumes("ACME", "LIB1", "VLT1").front()}, header, header);
    EXPECT_TRUE(messages.empty());
    const PageImage page = PdfRenderPage(pdf, 1);
    // A4 is 595 points wide, 523 inside the margins: the picture is scaled to that width,
    // 52.3 points high, from the top margin at 36.
    EXPECT_EQ(page.Pixel(40, 30), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(page.Pixel(40, 62), (std::vector<int>{200, 0, 0}));
    EXPECT_EQ(page.Pixel(555, 85), (std::vector<int>{200, 0, 0})) << "across the width";
    EXPECT_EQ(page.Pixel(40, 91), (std::vector<int>{255, 255, 255}))
        << "below the picture comes the text";
    const std::string out = ScreenshotPath("receipt.png");
    CommandOutput("pdftoppm -png -r 60 -f 1 -l 1 -singlefile '" + pdf + "' '" +
                  out.substr(0, out.size() - 4) + "'");
}

}  // namespace
