// The To-Scan, Done and Errors lists of the main window, driven by keys and header clicks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include "windowfixture.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class ListsTest : public WindowFixture {
protected:
    void AddToWorld(Store &store) override {
        PutVolume(store,
                  MakeVolume("ACME", "A00010", {"LIB1", 3}, {"VLT1", 21}, kZarnVolScannedOut));
    }
    std::vector<std::string> Column(CZARNListCtrl &list, int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < list.Model()->rowCount(); ++row) {
            texts.push_back(list.Model()->index(row, column).data().toString().toStdString());
        }
        return texts;
    }
    void Filter(CZARNListCtrl &list, int column, const char *pattern) {
        QLineEdit *field = list.Header()->FilterField(column);
        field->clear();
        QTest::keyClicks(field, pattern);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void ClickHeader(CZARNListCtrl &list, int column) {
        QHeaderView *header = list.Header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }
};

TEST_F(ListsTest, AFilterHidesToScanRowsAndClearingShowsThemInDocumentOrder) {
    AddFromTree("ACME");
    CActiveList &active = *frame->TabView().ActiveList();
    EXPECT_THAT(Column(active, 2), ElementsAre("A00001", "A00009", "A00010", "C00001"));
    Filter(active, 2, "A0000?");
    EXPECT_THAT(Column(active, 2), ElementsAre("A00001", "A00009"));
    EXPECT_EQ(doc->toScanList[2]->state, 3) << "hidden";
    Filter(active, 2, "");
    EXPECT_THAT(Column(active, 2), ElementsAre("A00001", "A00009", "A00010", "C00001"));
    EXPECT_EQ(doc->toScanList[2]->state, 0);
}

TEST_F(ListsTest, SortingByScannedOutTwiceReversesTheOrder) {
    AddFromTree("ACME");
    CActiveList &active = *frame->TabView().ActiveList();
    ClickHeader(active, 7);
    EXPECT_THAT(Column(active, 7), ElementsAre("No", "No", "No", "Yes"));
    ClickHeader(active, 7);
    EXPECT_THAT(Column(active, 7), ElementsAre("Yes", "No", "No", "No"));
    const QModelIndex struck = active.Model()->index(0, 2);
    EXPECT_TRUE(struck.data(Qt::FontRole).value<QFont>().strikeOut()) << "scanned out";
}

TEST_F(ListsTest, AStartScanShowsThePickOrderWhateverColumnWasSorted) {
    AddFromTree("ACME");
    CActiveList &active = *frame->TabView().ActiveList();
    ClickHeader(active, 2);
    ClickHeader(active, 2);
    ASSERT_THAT(Column(active, 2), ElementsAre("C00001", "A00010", "A00009", "A00001"));
    script.scannerLines = {};
    doc->settings.operationType = 0;  // Pick
    frame->OnCommand(kCmdStartScan);  // the pick order
    std::vector<std::string> pickOrder;
    for (const CZARN10TreeVolume *volume : doc->toScanList) {
        pickOrder.push_back(volume->volumeSerial);
    }
    EXPECT_EQ(Column(active, 2), pickOrder);
    EXPECT_EQ(active.Header()->sortIndicatorSection(), -1) << "no arrow";
}

TEST_F(ListsTest, ASkippedVolumeStaysOnTheListMarkedAndTheCaptionAgrees) {
    AddFromTree("ACME");
    doc->settings.operationType = 0;  // Pick
    doc->settings.scanMode = 0;       // volumes alone
    script.scannerLines = {"!S"};
    frame->OnCommand(kCmdStartScan);
    CActiveList &active = *frame->TabView().ActiveList();
    LetTheFrameEnd();
    EXPECT_EQ(frame->TabView().tabText(0), "To-Scan (4)");
    EXPECT_EQ(active.Model()->rowCount(), 4) << "the caption counts the rows shown";
    const int skipped = active.Model()->RowOf(0);  // the first in pick order
    ASSERT_GE(skipped, 0);
    EXPECT_EQ(doc->toScanList[0]->state, 2);
    EXPECT_EQ(active.Model()->index(skipped, 2).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0x80, 0x80, 0x80))
        << "marked";
    EXPECT_FALSE(active.Model()->index(skipped, 0).data(Qt::DecorationRole).isNull());
    script.scannerLines = {"ACME.LTO9." + std::string(doc->toScanList[1]->volumeSerial)};
    frame->OnCommand(kCmdStartScan);  // the next pick
    EXPECT_EQ(active.Model()->rowCount(), 3);
    LetTheFrameEnd();
    EXPECT_EQ(frame->TabView().tabText(0), "To-Scan (3)");
    EXPECT_EQ(active.Model()->RowOf(0), 0) << "the skipped volume still to be picked";
}

TEST_F(ListsTest, ExportingAnEmptyListAsksNothingAndWritesNothing) {
    for (int command : {kCmdActiveExportText, kCmdScannedExportXml, kCmdErrorExportText}) {
        frame->TabView().OnCommand(command);
    }
    EXPECT_TRUE(ui.boxes.empty()) << "no \"Selection Required\" for a list without rows";
    EXPECT_TRUE(ui.fileDialogs.empty());
}

TEST_F(ListsTest, SpaceScansDotRemovesAndTheDoneListFiltersOnTheCustomer) {
    AddFromTree("ACME");
    CActiveList &active = *frame->TabView().ActiveList();
    active.ReportView()->selectRow(0);
    QTest::keyClick(active.ReportView(), Qt::Key_Space);
    EXPECT_EQ(doc->toScanList[0]->state, 1);
    EXPECT_EQ(doc->toScanList[0]->updated, 1) << "written at once, as a scan is";
    CScannedList &done = *frame->TabView().ScannedList();
    EXPECT_EQ(done.Model()->rowCount(), 1);
    Filter(done, 0, "BETA");
    EXPECT_EQ(done.Model()->rowCount(), 0) << "the Customer-ID column filters on the customer";
    Filter(done, 0, "AC*");
    EXPECT_EQ(done.Model()->rowCount(), 1);
    done.ReportView()->selectRow(0);
    CZARN10TreeVolume *removed = doc->toScanList[0];
    QTest::keyClick(done.ReportView(), Qt::Key_Period);
    EXPECT_FALSE(doc->InToScanList(removed)) << "gone from the document's list altogether";
    EXPECT_EQ(removed->state, 0);
    EXPECT_EQ(active.Model()->rowCount(), 3) << "not back on To-Scan";
}

TEST_F(ListsTest, TheErrorsListCountsItsSequenceFromZero) {
    doc->settings.scanMode = 0;
    script.scannerLines = {"ACME.LTO9.NOPE1", "ACME.LTO9.NOPE2", "ACME.LTO9.NOPE3"};
    ui.Answer(kAnswerOk);
    frame->OnCommand(kCmdStartScan);
    CErrorList &errors = *frame->TabView().ErrorList();
    EXPECT_THAT(Column(errors, 3), ElementsAre("0", "1", "2", "3", "4", "5"));
    EXPECT_EQ(Column(errors, 4)[0], "Volume is not in list");
}

class ManyVolumesTest : public ListsTest {
protected:
    void AddToWorld(Store &store) override {
        store.InTransaction([&]() -> uint8_t {
            for (int i = 0; i < 1234; ++i) {
                PutVolume(store, MakeVolume("BETA", ("M" + std::to_string(10000 + i)).c_str(),
                                            {"VLT1", i + 1}, {"LIB1", i + 1}));
            }
            return 0;
        });
    }
    // The To-Scan row 600 selected and scrolled to the middle of the view; the scroll position.
    static int SelectInTheMiddle(QTableView &view) {
        view.setFocus();
        view.selectRow(600);
        view.scrollTo(view.currentIndex(), QAbstractItemView::PositionAtCenter);
        return view.verticalScrollBar()->value();
    }
    static std::string SelectedSerial(QTableView &view) {
        const QModelIndexList rows = view.selectionModel()->selectedRows(2);
        return rows.size() == 1 ? rows.front().data().toString().toStdString() : "";
    }
};

TEST_F(ManyVolumesTest, TheTabShowsCountsWithThousandsSeparators) {
    AddFromTree("BETA");
    EXPECT_EQ(frame->TabView().tabText(0), "To-Scan (1,234)");
}

TEST_F(ManyVolumesTest, SelectionAndScrollPositionSurviveEveryScanAndResolve) {
    AddFromTree("BETA");
    doc->settings.scanMode = 0;
    CActiveList &active = *frame->TabView().ActiveList();
    CScannedList &done = *frame->TabView().ScannedList();
    QAbstractItemModelTester activeTester(active.Model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester doneTester(done.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView &view = *active.ReportView();
    const int scroll = SelectInTheMiddle(view);
    ASSERT_GT(scroll, 0);
    const auto selected = [&]() { return SelectedSerial(view); };
    const std::string serial = selected();
    ASSERT_EQ(serial, "M10600");
    // A hundred scans, each its own Start Scan: volumes before and after the selected one.
    for (int i = 0; i < 100; ++i) {
        script.scannerLines = {"BETA.LTO9.M" + std::to_string(10000 + (i % 2 ? 1100 - i : i))};
        frame->OnCommand(kCmdStartScan);
        ASSERT_EQ(selected(), serial) << "after scan " << i;
        ASSERT_EQ(view.verticalScrollBar()->value(), scroll) << "after scan " << i;
    }
    EXPECT_EQ(done.Model()->rowCount(), 100);
    const int kept = view.verticalScrollBar()->value();
    frame->TabView().OnCommand(kCmdActiveResolve);
    EXPECT_EQ(selected(), serial) << "Resolve";
    EXPECT_EQ(view.verticalScrollBar()->value(), kept);
}

// One scan session of a hundred scans, as the operator makes it: after each, the To-Scan list
// keeps its selected row and scroll position, and every list holds what a whole refresh gives
// (the Done list sorted by a column, refused scans on the Errors list).
TEST_F(ManyVolumesTest, OneSessionOfAHundredScansMovesNeitherSelectionNorScroll) {
    AddFromTree("BETA");
    doc->settings.scanMode = 0;
    CZARN30TabView &tabs = frame->TabView();
    CActiveList &active = *tabs.ActiveList();
    CScannedList &done = *tabs.ScannedList();
    CErrorList &errors = *tabs.ErrorList();
    QAbstractItemModelTester activeTester(active.Model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester doneTester(done.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
    ClickHeader(done, 2);
    QTableView &view = *active.ReportView();
    const int scroll = SelectInTheMiddle(view);
    const auto selected = [&]() { return SelectedSerial(view); };
    const std::string serial = selected();
    ASSERT_EQ(serial, "M10600");
    for (int i = 0; i < 100; ++i) {
        script.scannerLines.push_back(
            i % 10 == 9 ? "BETA.LTO9.NOPE" + std::to_string(i)
                        : "BETA.LTO9.M" + std::to_string(10000 + (i % 2 ? 1100 - i : i)));
    }
    int checked = 0;
    script.beforeEachLine = [&]() {
        EXPECT_EQ(selected(), serial) << "before line " << checked;
        EXPECT_EQ(view.verticalScrollBar()->value(), scroll) << "before line " << checked;
        ++checked;
    };
    ui.Answer(kAnswerOk);
    frame->OnCommand(kCmdStartScan);
    script.beforeEachLine = nullptr;
    EXPECT_EQ(checked, 100);
    EXPECT_EQ(selected(), serial);
    EXPECT_EQ(view.verticalScrollBar()->value(), scroll);
    EXPECT_EQ(done.Model()->rowCount(), 90);
    LetTheFrameEnd();
    EXPECT_EQ(tabs.tabText(0), "To-Scan (1,144)");
    EXPECT_EQ(tabs.tabText(1), "Done (90)");
    const std::vector<std::vector<std::string>> shown = {Column(active, 2), Column(done, 2),
                                                         Column(errors, 2)};
    tabs.RefreshLists();
    EXPECT_EQ(shown[0], Column(active, 2));
    EXPECT_EQ(shown[1], Column(done, 2));
    EXPECT_EQ(shown[2], Column(errors, 2));
    EXPECT_EQ(shown[2].size(), 20u) << "each unknown volume: not in list, not on file";
}

}  // namespace
