// Receipt runs printed to PDF files through the same drawing as on paper, read back as text
// and as pictures: grid rows, totals against the counts, a customer per page run, the prompt
// once per customer, and a picture file that does not load.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "pdfprobe.h"
#include "qtreceiptprinter.h"
#include "receiptprintprompt.h"
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
        AddVolumes();
        station = server.Connect();
        ASSERT_NE(station, nullptr);
        CZARN10ProgressWnd progress(2, nullptr);
        root = std::make_unique<CZARN10TreeRoot>(station.get(), 3, &progress, &control, nullptr);
    }
    virtual void AddVolumes() {}
    // Lines of a page's text from the first holding one text to the first holding another.
    static int LinesBetween(const std::string &text, const std::string &from,
                            const std::string &to) {
        const std::size_t start = text.find(from);
        const std::size_t end = text.find(to);
        if (start == std::string::npos || end == std::string::npos || end < start) {
            return -1;
        }
        return static_cast<int>(std::count(text.begin() + static_cast<long>(start),
                                           text.begin() + static_cast<long>(end), '\n'));
    }
    std::vector<CZARN10TreeVolume *> &Volumes(const char *customer, const char *from,
                                              const char *to) {
        return root->customers.at(customer)
            ->media.at("LTO9")
            ->destinations.at(to)
            ->origins.at(from)
            ->volumes;
    }
    std::string boxes = "B-1\r\nB-2";
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
                prompt.boxNumbers = boxes;
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

TEST_F(ReceiptPrinterTest, APictureThatIsNoBitmapIsSaidSoBeforeItsLoadFails) {
    const std::string text = folder.WriteFile("header.bmp", "GIF89a, not a bitmap");
    Print({Volumes("ACME", "LIB1", "VLT1").front()}, text, "");
    EXPECT_THAT(messages, ::testing::ElementsAre(kBitmapLoaderCaption, "Header Load Failed",
                                                 "Footer Load Failed"))
        << "the loader's own box for a file that is no bitmap; an empty path only fails";
}

TEST_F(ReceiptPrinterTest, AnEmptyAddressOrEmptyBoxNumbersStillTakeTheirLine) {
    const CZARN10TreeVolume *item = Volumes("ACME", "LIB1", "VLT1").front();
    boxes = "B-1";
    server.Admin().Run("UPDATE customers SET address = '1 Harbour Road' WHERE id = 'ACME'");
    const int full = LinesBetween(PdfPageText(Print({item}), 1), "Customer ID:", "Media:");
    boxes = "";
    const int noBoxes = LinesBetween(PdfPageText(Print({item}), 1), "Customer ID:", "Media:");
    server.Admin().Run("UPDATE customers SET address = '' WHERE id = 'ACME'");
    const int nothing = LinesBetween(PdfPageText(Print({item}), 1), "Customer ID:", "Media:");
    EXPECT_GT(full, 0);
    EXPECT_EQ(noBoxes, full);
    EXPECT_EQ(nothing, full);
}

TEST_F(ReceiptPrinterTest, AFooterPictureThatDoesNotFitGoesToANewPage) {
    QImage picture(400, 560, QImage::Format_RGB32);  // 732 points high at the page's width
    picture.fill(qRgb(0, 0, 200));
    const std::string footer = (folder.Path() / "footer.bmp").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(footer), "BMP"));
    const std::string pdf = Print({Volumes("ACME", "LIB1", "VLT1").front()}, "", footer);
    ASSERT_EQ(PdfPageCount(pdf), 2);
    const std::vector<int> top = PdfRenderPage(pdf, 2).Pixel(300, 60);
    EXPECT_TRUE(top[0] < 10 && top[1] < 10 && top[2] > 190) << top[0] << "," << top[2];
    EXPECT_EQ(PdfRenderPage(pdf, 1).Pixel(300, 700), (std::vector<int>{255, 255, 255}));
    EXPECT_THAT(PdfPageText(pdf, 2), HasSubstr("Page 2"));
}

class LongReceiptTest : public ReceiptPrinterTest {
    void AddVolumes() override {
        server.Admin().InTransaction([&]() -> uint8_t {
            for (int i = 24; i < 700; ++i) {
                char serial[8];
                std::snprintf(serial, sizeof serial, "G%05d", i);
                PutVolume(server.Admin(), MakeVolume("ACME", serial, {"LIB1", 10}, {"VLT1", 40}));
            }
            return 0;
        });
    }
};

TEST_F(LongReceiptTest, APageBreakInsideTheGridGoesOnWithoutTheColumnNumbers) {
    std::vector<const CZARN10TreeVolume *> items;
    for (CZARN10TreeVolume *volume : Volumes("ACME", "LIB1", "VLT1")) {
        volume->state = 1;
        items.push_back(volume);
    }
    const std::string pdf = Print(items);
    ASSERT_GE(PdfPageCount(pdf), 2);
    const std::regex columns("1\\s+2\\s+3\\s+4\\s+5\\s+6\\s+7\\s+8\\s+9\\s+10");
    const std::string first = PdfPageText(pdf, 1);
    const std::string second = PdfPageText(pdf, 2);
    EXPECT_TRUE(std::regex_search(first, columns));
    EXPECT_FALSE(std::regex_search(second, columns)) << second;
    EXPECT_THAT(second, HasSubstr("Page 2"));
    EXPECT_THAT(second, ::testing::Not(HasSubstr("Moving to:")));
    // The rows go on where the first page stopped.
    // The first row of the new page starts with its own first serial, in the first column:
    // label n, then the n-th item's serial.
    const std::regex label("(\\d{6})([ \\t]+G\\d{5}|G\\d{5}|)");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(second, found, label)) << second;  // the page's first label
    const int row = std::stoi(found[1].str());
    EXPECT_GT(row, 0);
    EXPECT_EQ(row % 10, 0);
    EXPECT_THAT(found[2].str(),
                ::testing::MatchesRegex(
                    "[ \\t]+" + std::string(items.at(static_cast<size_t>(row))->volumeSerial)))
        << "the row's first cell is where it belongs, not under its label";
    const std::string last = PdfPageText(pdf, PdfPageCount(pdf));
    EXPECT_THAT(last, HasSubstr("Total Volumes processed=" + std::to_string(items.size())));
}

// The darkest of a page's pixels in columns from x on (inclusive), as the smallest channel.
int DarkestFrom(const PageImage &page, int x) {
    int darkest = 255;
    for (int y = 0; y < page.height; ++y) {
        for (int column = x; column < page.width; ++column) {
            for (int channel : page.Pixel(column, y)) {
                darkest = std::min(darkest, channel);
            }
        }
    }
    return darkest;
}

TEST_F(ReceiptPrinterTest, NothingIsDrawnOutsideThePrintableWidth) {
    server.Admin().Run(
        "UPDATE customers SET name = 'Acme Insurance and Reinsurance Holdings International'");
    std::vector<const CZARN10TreeVolume *> items;
    for (const char *customer : {"ACME", "BETA"}) {
        for (CZARN10TreeVolume *volume : Volumes(customer, "LIB1", "VLT1")) {
            items.push_back(volume);
        }
    }
    boxes = std::string(120, 'W');  // wider than the page
    const std::string pdf = Print(items);
    const int pages = PdfPageCount(pdf);
    ASSERT_GE(pages, 2);
    for (int page = 1; page <= pages; ++page) {
        // A4 at 72 dpi: 595 points wide, the printable width ends 36 points from the edge.
        EXPECT_GE(DarkestFrom(PdfRenderPage(pdf, page), 595 - 36 + 1), 250) << "page " << page;
    }
    EXPECT_THAT(PdfPageText(pdf, 1), HasSubstr("Preparation Time:"));
}

TEST_F(ReceiptPrinterTest, TheFirstRowOfAGridStandsJustUnderTheColumnRule) {
    const PageImage page = PdfRenderPage(Print({Volumes("ACME", "LIB1", "VLT1").front()}), 1);
    // The rule under the column numbers: the last line dark across the printable width (the
    // customer box's edges come before it).
    int rule = -1;
    for (int y = 0; y < page.height; ++y) {
        int dark = 0;
        for (int x = 40; x < 555; ++x) {
            dark += page.Pixel(x, y)[0] < 128 ? 1 : 0;
        }
        rule = dark > 500 ? y : rule;
    }
    ASSERT_GT(rule, 0);
    int firstInk = -1;  // of the row label "000000" at the left edge
    for (int y = rule + 2; y < page.height && firstInk < 0; ++y) {
        for (int x = 36; x < 80 && firstInk < 0; ++x) {
            firstInk = page.Pixel(x, y)[0] < 128 ? y : -1;
        }
    }
    ASSERT_GT(firstInk, 0);
    // Heading lines are about 11.5 points: a fifth of one and the digits' own top space, not
    // a blank line.
    EXPECT_LT(firstInk - rule, 8) << "rule at " << rule << ", row at " << firstInk;
}

TEST_F(ReceiptPrinterTest, BoxNumbersTypedOnLinesInThePromptPrintOnLines) {
    const std::string pdf = (folder.Path() / "boxes.pdf").string();
    QtReceiptPrinter printer(*station, nullptr);
    printer.afterDialog = [&](QPrinter &device) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromStdString(pdf));
    };
    // The print dialog, then the prompt: typed into as the operator types.
    QTimer answering;
    bool typed = false;
    QObject::connect(&answering, &QTimer::timeout, [&]() {
        QWidget *modal = QApplication::activeModalWidget();
        auto *prompt = dynamic_cast<CReceiptPrintPrompt *>(modal);
        if (prompt && !typed) {
            typed = true;
            auto *boxes = prompt->findChild<QPlainTextEdit *>("boxNumbers");
            boxes->setFocus();
            for (const char *box : {"BOX-001", "BOX-002", "BOX-003"}) {
                QTest::keyClicks(boxes, box);
                QTest::keyClick(boxes, Qt::Key_Return);
            }
            prompt->findChild<QCheckBox *>("allowNoCharge")->setChecked(true);
            QTest::mouseClick(prompt->findChild<QPushButton *>("ok"), Qt::LeftButton);
        } else if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && !prompt) {
            dialog->accept();  // the print dialog
        }
    });
    answering.start(50);
    ASSERT_TRUE(printer.Print({Volumes("ACME", "LIB1", "VLT1").front()}, "", ""));
    ASSERT_TRUE(typed);
    const std::string text = PdfPageText(pdf, 1);
    const std::regex lines("Boxes:\\s+BOX-001\\s*\\n\\s*BOX-002\\s*\\n\\s*BOX-003\\s*\\n");
    EXPECT_TRUE(std::regex_search(text, lines)) << text;
}

// A whole run as it comes off the printer: two customers, a grid across two pages, both
// pictures; the pages side by side are the user guide's picture of a receipt.
TEST_F(LongReceiptTest, TwoCustomersWithPicturesAndAGridAcrossPages) {
    QImage band(400, 30, QImage::Format_RGB32);
    band.fill(qRgb(30, 70, 140));
    QPainter painter(&band);
    painter.setPen(Qt::white);
    painter.drawText(band.rect(), Qt::AlignCenter, "Kestrava Media Services");
    painter.end();
    const std::string header = (folder.Path() / "header.bmp").string();
    ASSERT_TRUE(band.save(QString::fromStdString(header), "BMP"));
    band.fill(qRgb(200, 200, 200));
    const std::string footer = (folder.Path() / "footer.bmp").string();
    ASSERT_TRUE(band.save(QString::fromStdString(footer), "BMP"));
    std::vector<const CZARN10TreeVolume *> items;
    for (const char *customer : {"ACME", "BETA"}) {
        for (CZARN10TreeVolume *volume : Volumes(customer, "LIB1", "VLT1")) {
            volume->state = items.size() % 7 == 3 ? 0 : 1;
            items.push_back(volume);
        }
    }
    const std::string pdf = Print(items, header, footer);
    EXPECT_TRUE(messages.empty());
    const int pages = PdfPageCount(pdf);
    ASSERT_GE(pages, 3);
    EXPECT_THAT(PdfPageText(pdf, 2), HasSubstr("Page 2"));
    EXPECT_THAT(PdfPageText(pdf, pages), HasSubstr("BETA"));
    EXPECT_THAT(PdfPageText(pdf, pages), HasSubstr("Page 1"));
    // Pages 1, 2 and the second customer's first page, side by side.
    const std::string out = ScreenshotPath("receipt-run.png");
    QImage sheet;
    int at = 0;
    for (int page : {1, 2, pages}) {
        const std::string png = (folder.Path() / ("page" + std::to_string(page))).string();
        CommandOutput("pdftoppm -png -r 50 -f " + std::to_string(page) + " -l " +
                      std::to_string(page) + " -singlefile '" + pdf + "' '" + png + "'");
        const QImage image(QString::fromStdString(png + ".png"));
        ASSERT_FALSE(image.isNull());
        if (sheet.isNull()) {
            sheet = QImage(image.width() * 3 + 20, image.height(), QImage::Format_RGB32);
            sheet.fill(qRgb(120, 120, 120));
        }
        QPainter onSheet(&sheet);
        onSheet.drawImage(at, 0, image);
        at += image.width() + 10;
    }
    sheet.save(QString::fromStdString(out));
}

TEST_F(ReceiptPrinterTest, TheProgramsPrinterAsksThePrintDialogAndPrintsOnlyWhenAccepted) {
    const std::string pdf = (folder.Path() / "printed.pdf").string();
    QtReceiptPrinter printer(*station, nullptr);
    printer.afterDialog = [&](QPrinter &device) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromStdString(pdf));
    };
    printer.showPrompt = [](CZARN30ReceiptPrompt &prompt) { prompt.allowNoCharge = true; };
    const std::vector<const CZARN10TreeVolume *> items = {Volumes("ACME", "LIB1", "VLT1").front()};
    const auto answerDialog = [](bool accept) {
        QTimer::singleShot(200, [accept]() {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the print dialog";
            accept ? dialog->accept() : dialog->reject();
        });
    };
    QImage picture(40, 4, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    const std::string bitmap = (folder.Path() / "band.bmp").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(bitmap), "BMP"));  // no load message
    answerDialog(false);
    EXPECT_FALSE(printer.Print(items, bitmap, bitmap)) << "cancelled: nothing printed";
    EXPECT_FALSE(std::filesystem::exists(pdf));
    answerDialog(true);
    EXPECT_TRUE(printer.Print(items, bitmap, bitmap));
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_THAT(PdfPageText(pdf, 1), HasSubstr("Customer ID:"));
}

}  // namespace
