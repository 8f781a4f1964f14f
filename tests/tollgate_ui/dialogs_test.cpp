// The Tollgate's dialogs: scan error warning, add filters, options, options bar, query
// exceptions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableView>
#include <QTreeWidget>

#include "badscanwarning.h"
#include "filterdialog.h"
#include "optionsdialog.h"
#include "queryexceptionwindow.h"
#include "receiptprintprompt.h"
#include "serverfixture.h"
#include "ui_optionsbar.h"
#include "windowfixture.h"
#include "zarnadmin.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class DialogsTest : public WindowFixture {};

std::vector<std::string> Column(const QAbstractItemModel &model, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.push_back(model.index(row, column).data().toString().toStdString());
    }
    return texts;
}

TEST_F(DialogsTest, TheScanErrorWarningListsTheNewestScanFirst) {
    doc->scanSequence = 4;
    doc->AddBadScan("ACMELTO9FIRST\0\0\0\0\0", 3);
    doc->scanSequence = 5;
    doc->AddBadScan("ACMELTO9SECOND\0\0\0\0", 4);
    doc->scanSequence = 9;
    doc->AddBadScan("BETALTO9THIRD\0\0\0\0\0", 5);
    CBadScanWarning warning(doc->errorList, frame->Context(), frame.get());
    warning.show();
    EXPECT_EQ(warning.windowTitle(), "Scan Error Warning");
    EXPECT_THAT(Column(*warning.List()->Model(), 0), ElementsAre("THIRD", "SECOND", "FIRST"));
    EXPECT_THAT(Column(*warning.List()->Model(), 3), ElementsAre("9", "5", "4"));
    EXPECT_THAT(Column(*warning.List()->Model(), 4),
                ElementsAre("Sequence error", "Volume already scanned", "Volume is not in list"));
    warning.grab().save(QString::fromStdString(ScreenshotPath("scan-error-warning.png")));
    auto *clear = warning.findChild<QPushButton *>("clearWarning");
    EXPECT_EQ(clear->text(), "&Clear Warning");
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(warning.result(), QDialog::Accepted);
}

TEST_F(DialogsTest, FilterPairsFilterSortAndCheckAllTicksOnlyWhatShows) {
    std::vector<CZARN10Direction> pairs;
    AddDirection(pairs, "LIB1", "VLT1");
    AddDirection(pairs, "OFFS", "VLT1");
    AddDirection(pairs, "LIB2", "OFFS");
    CFilterDialog dialog(pairs);
    dialog.show();
    QApplication::processEvents();
    EXPECT_THAT(Column(dialog.Model(), 0), ElementsAre("LIB1", "LIB2", "OFFS"));
    QHeaderView *header = dialog.Pairs()->horizontalHeader();
    const QPoint from(header->sectionViewportPosition(0) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, from);
    EXPECT_THAT(Column(dialog.Model(), 0), ElementsAre("OFFS", "LIB2", "LIB1"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, from);
    EXPECT_THAT(Column(dialog.Model(), 0), ElementsAre("LIB1", "LIB2", "OFFS"))
        << "twice: the first order again";

    auto *filter = static_cast<CZARNFilterHeader *>(header)->FilterField(0);
    QTest::keyClicks(filter, "L*");
    QTest::keyClick(filter, Qt::Key_Return);
    EXPECT_THAT(Column(dialog.Model(), 0), ElementsAre("LIB1", "LIB2"));
    dialog.CheckAll();
    EXPECT_EQ(pairs[0].checked, 1);
    EXPECT_EQ(pairs[2].checked, 1);
    EXPECT_EQ(pairs[1].checked, 0) << "hidden by the filter: not ticked";

    dialog.Pairs()->selectRow(0);
    QTest::keyClick(dialog.Pairs(), Qt::Key_Space);
    EXPECT_EQ(pairs[0].checked, 0) << "space flips the selected pairs";
    dialog.grab().save(QString::fromStdString(ScreenshotPath("add-filters.png")));
}

TEST_F(DialogsTest, EnterInAFilterFieldFiltersAndClosesNothing) {
    doc->AddBadScan("ACMELTO9FIRST\0\0\0\0\0", 3);
    doc->AddBadScan("ACMELTO9SECOND\0\0\0\0", 5);
    doc->AddBadScan("BETALTO9THIRD\0\0\0\0\0", 5);
    CBadScanWarning warning(doc->errorList, frame->Context(), frame.get());
    warning.show();
    QLineEdit *result = warning.List()->Header()->FilterField(4);
    QTest::keyClicks(result, "Seq*");
    QTest::keyClick(result, Qt::Key_Return);
    EXPECT_TRUE(warning.isVisible()) << "Enter is not \"Clear Warning\"";
    EXPECT_EQ(warning.result(), 0);
    EXPECT_THAT(Column(*warning.List()->Model(), 0), ElementsAre("THIRD", "SECOND"));

    // The Errors list of the main window filters the same way.
    CZARNListCtrl &errors = *frame->TabView().ErrorList();
    errors.Refresh();
    QLineEdit *serial = errors.Header()->FilterField(2);
    QTest::keyClicks(serial, "F*");
    QTest::keyClick(serial, Qt::Key_Return);
    EXPECT_THAT(Column(*errors.Model(), 2), ElementsAre("FIRST"));

    std::vector<CZARN10Direction> pairs;
    AddDirection(pairs, "LIB1", "VLT1");
    AddDirection(pairs, "OFFS", "VLT1");
    CFilterDialog dialog(pairs);
    dialog.show();
    QLineEdit *from =
        static_cast<CZARNFilterHeader *>(dialog.Pairs()->horizontalHeader())->FilterField(0);
    QTest::keyClicks(from, "O*");
    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible()) << "Enter is not OK";
    EXPECT_THAT(Column(dialog.Model(), 0), ElementsAre("OFFS"));
}

TEST_F(DialogsTest, SpaceInAddFiltersTicksTheCurrentPairAndKeepsItCurrent) {
    std::vector<CZARN10Direction> pairs;
    AddDirection(pairs, "LIB1", "VLT1");
    AddDirection(pairs, "LIB2", "VLT1");
    AddDirection(pairs, "OFFS", "VLT1");
    CFilterDialog dialog(pairs);
    dialog.show();
    QTableView *table = dialog.Pairs();
    QTest::keyClick(table, Qt::Key_Space);  // at once: the first pair
    EXPECT_EQ(pairs[0].checked, 1);
    EXPECT_EQ(table->currentIndex().row(), 0) << "still current";
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Space);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(pairs[1].checked, 1);
    EXPECT_EQ(pairs[2].checked, 1);
    EXPECT_EQ(table->currentIndex().row(), 2);
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(pairs[2].checked, 0);
}

TEST_F(DialogsTest, OptionsCancelChangesNothingAndOkWritesFlagsAsOne) {
    CZARN30SettingsBlock block;
    block.sortCustomer = 5;  // a nonzero value read from the profile
    block.pickText = "$PSLOT";
    {
        COptionsDialog dialog(block, ui);
        dialog.show();
        dialog.TextValue(1)->setText("Slot $PSLOT");
        dialog.SwitchValue(1)->setCurrentIndex(1);
        dialog.reject();
    }
    EXPECT_EQ(block.pickText, "$PSLOT");
    EXPECT_EQ(block.realTimeUpdate, 1);
    COptionsDialog dialog(block, ui);
    dialog.show();
    EXPECT_EQ(dialog.SwitchValue(0)->currentText(), "Yes");
    dialog.grab().save(QString::fromStdString(ScreenshotPath("options.png")));
    QTest::mouseClick(dialog.findChild<QPushButton *>("ok"), Qt::LeftButton);
    EXPECT_EQ(block.sortCustomer, 1);
    EXPECT_EQ(block.queryText, "$QZONE slot $QSLOT");
}

TEST_F(DialogsTest, TheOptionsBarChangesTheDocumentAtOnce) {
    Ui::COptionsDialogBar &bar = frame->OptionsBar().Controls();
    int refreshes = 0;
    struct Counter : View {
        int &count;
        explicit Counter(int &c) : count(c) {}
        void OnUpdate(View *, intptr_t hint) override { count += hint == kHintListsChanged; }
    } counter(refreshes);
    doc->AddView(&counter);
    bar.dateWarning->setCurrentIndex(3);
    EXPECT_EQ(doc->settings.dateWarning, 3);
    EXPECT_EQ(bar.dateWarning->currentText(), "Warn if < 3 days");
    EXPECT_EQ(refreshes, 1) << "the views repaint at once";
    QTest::mouseClick(bar.pick, Qt::LeftButton, {}, QPoint(8, bar.pick->height() / 2));
    EXPECT_EQ(doc->settings.operationType, 0);
    QTest::mouseClick(bar.hideNoMoves, Qt::LeftButton, {},
                      QPoint(8, bar.hideNoMoves->height() / 2));
    EXPECT_EQ(doc->settings.hideNoMove, 1);
    EXPECT_EQ(frame->OptionsBar().CustomerFilter(), "") << "an empty filter is an empty pattern";
    doc->RemoveView(&counter);
}

TEST_F(DialogsTest, OptionsShowWholeNamesAndTabWalksTheValuesWithTheirDescriptions) {
    CZARN30SettingsBlock block;
    COptionsDialog dialog(block, ui, frame.get());
    dialog.show();
    QApplication::processEvents();
    auto *grid = dialog.findChild<QTreeWidget *>("grid");
    const QString longest = "Disable Duplicate Scan Warnings";
    EXPECT_GE(grid->columnWidth(0),
              grid->fontMetrics().horizontalAdvance(longest) + grid->indentation())
        << "the name in full";
    dialog.TextValue(0)->setFocus();  // Query Text
    EXPECT_THAT(dialog.Description().toStdString(), ::testing::StartsWith("Query Text"));
    std::vector<std::string> walked;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    EXPECT_THAT(walked,
                ElementsAre("Pick Text", "Header File", "", "Footer File", "", "Customer Sort",
                            "Enable Realtime Updates", "Disable Not-in-list Warnings",
                            "Disable Duplicate Scan Warnings"))
        << "the values in order (the browse buttons beside the files), not OK first";
    EXPECT_THAT(dialog.Description().toStdString(),
                ::testing::StartsWith("Disable Duplicate Scan Warnings"))
        << "the description follows the focus";
    for (const char *tone : {"Tone for Accepted Scans", "Tone for Refused Scans", "ok"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), tone);
    }
}

TEST_F(DialogsTest, TheQueryExceptionTableShowsEveryEntry) {
    folder.WriteFile("QueryExceptions.txt", "ACME,LTO*,*,LIB1,*\n\"a,b\",c,d,e,f\n");
    doc->queryExceptions.Load();
    CQueryExceptionWindow window(doc->queryExceptions.Entries(), frame->Context());
    window.show();
    EXPECT_EQ(window.windowTitle(), "Query Exceptions");
    EXPECT_THAT(Column(*window.List()->Model(), 0), ElementsAre("ACME", "a,b"));
    EXPECT_EQ(window.List()->Footer()->Text(0), "Total Items 2");
}

TEST(ReceiptPrintPromptWindow, OkEscapeAndClosingAllAskTheSameAndTheLinesArePostedOnce) {
    TestServer server(Backend::SQLite);
    server.BuildSmallWorld();
    server.Admin().Run("DELETE FROM journal_codes");
    PutJournalCode(server.Admin(), 0, 900, "Position zero", 1);
    PutJournalCode(server.Admin(), 2, 202, "Courier run", 3);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ZARN10JOURNALLIST journal{};
    ASSERT_TRUE(station->Get(&journal).IsOK(0));
    CZARN30ReceiptPrompt prompt(station.get(), &journal);
    prompt.customerLabel = "ACME - Acme Corporation";
    std::vector<std::string> messages;
    CReceiptPrintPrompt dialog(prompt, [&](CZARN30ReceiptPrompt::Outcome, const std::string &text) {
        messages.push_back(text);
    });
    prompt.BeginShowing();
    dialog.show();
    auto *entry = dialog.findChild<QComboBox *>("line1Entry");
    auto *quantity = dialog.findChild<QSpinBox *>("line1Quantity");
    EXPECT_EQ(entry->count(), 2);
    EXPECT_EQ(entry->currentText(), "Position zero");

    QTest::keyClick(&dialog, Qt::Key_Escape);  // position 0 is never billed
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kNoChargeWarningText);
    EXPECT_TRUE(dialog.isVisible()) << "Escape does not cancel";

    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_Down);  // Courier run: its default quantity
    EXPECT_EQ(quantity->value(), 3);
    QTest::keyClicks(dialog.findChild<QLineEdit *>("line1Text"), "Tuesday run");
    dialog.grab().save(QString::fromStdString(ScreenshotPath("receipt-prompt.png")));
    QTest::mouseClick(dialog.findChild<QPushButton *>("ok"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(messages.size(), 1u);
    QSqlQuery posted(server.Admin().Database());
    ASSERT_TRUE(posted.exec("SELECT code, quantity, text, label FROM journal_postings"));
    ASSERT_TRUE(posted.next());
    EXPECT_EQ(posted.value(0).toInt(), 202);
    EXPECT_EQ(posted.value(1).toInt(), 3);
    EXPECT_EQ(posted.value(2).toString(), "Tuesday run");
    EXPECT_EQ(posted.value(3).toString(), "ACME - Acme Corporation");
    EXPECT_FALSE(posted.next()) << "one line, posted once";
}

TEST(ReceiptPrintPromptWindow, ArrowsStayWithinTheirRangeWhereTypedValuesNeedNot) {
    CZARN30ReceiptPrompt prompt(nullptr, nullptr);
    CReceiptPrintPrompt dialog(prompt, nullptr);
    prompt.BeginShowing();
    dialog.show();
    auto *days = dialog.findChild<QSpinBox *>("days");
    auto *quantity = dialog.findChild<QSpinBox *>("line1Quantity");
    days->setFocus();
    days->setValue(0);
    QTest::keyClick(days, Qt::Key_Down);
    EXPECT_EQ(days->value(), 0) << "the arrows do not go below 0";
    days->setValue(1023);
    QTest::keyClick(days, Qt::Key_PageUp);
    EXPECT_EQ(days->value(), 1024);
    QTest::keyClick(days, Qt::Key_Up);
    EXPECT_EQ(days->value(), 1024);
    days->selectAll();
    QTest::keyClicks(days, "-3");
    EXPECT_EQ(days->value(), -3) << "typed, any day count";

    quantity->setFocus();
    quantity->selectAll();
    QTest::keyClicks(quantity, "5000000");
    EXPECT_EQ(quantity->value(), 5000000) << "typed, up to 9,999,999";
    QTest::keyClick(quantity, Qt::Key_Up);
    EXPECT_EQ(quantity->value(), 5000000);
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(quantity->value(), 1024) << "an arrow brings it back within 0..1024";
    quantity->setValue(0);
    QTest::keyClick(quantity, Qt::Key_Down);
    EXPECT_EQ(quantity->value(), 0);
}

}  // namespace
