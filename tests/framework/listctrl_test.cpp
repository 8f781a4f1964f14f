// The smart list control as the operator uses it: real widgets, real key and mouse events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include <QTableView>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "tablesource.h"
#include "zarnexportdialogs.h"
#include "zarnlistctrl.h"
#include "zarnrepaintpacer.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

std::string ScreenshotPath(const char *name) {
    const char *folder = std::getenv("ZARN_SCREENSHOTS");
    return (std::filesystem::path(folder ? folder : ".") / name).string();
}

class ListCtrlTest : public ::testing::Test {
protected:
    TempDir folder;
    TableSource table;
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs dialogs;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARNListCtrl> list;

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        profile = std::make_unique<Profile>("ZARNTollgate");
        table.titles = {"Volume", "Slot", "Customer"};
        for (int i = 0; i < 12; ++i) {
            table.cells.push_back({"V" + std::to_string(100 + (i * 7) % 12),
                                   std::to_string((i * 5) % 12), i % 2 ? "ACME" : "BETA"});
        }
        list = std::make_unique<CZARNListCtrl>(
            &table, ListServices{&ui, &desktop, profile.get(), &dialogs, "Kestrava Tollgate", ""});
        list->resize(500, 300);
        list->show();
        list->Refresh();
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < list->Model()->rowCount(); ++row) {
            texts.push_back(list->Model()->index(row, column).data().toString().toStdString());
        }
        return texts;
    }
    void ClickHeader(int column) {
        QHeaderView *header = list->Header();
        const QPoint where(header->sectionViewportPosition(column) + 5, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, where);
    }
    void CtrlKey(Qt::Key key) { QTest::keyClick(list->ReportView(), key, Qt::ControlModifier); }
};

TEST_F(ListCtrlTest, TheModelPassesQtsModelChecks) {
    QAbstractItemModelTester tester(list->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    list->OnFilterChange(2, "ACME");
    list->SetRows({});
    list->Refresh();
    list->ItemChanged(3);
    EXPECT_EQ(list->Model()->rowCount(), 6);
}

// Whether the sort arrow drawn in a header section points up (narrow at its top), as seen on
// screen: the pixels at the section's right end that differ between the header with and without
// its arrow; nullopt when none.
std::optional<bool> ArrowPointsUp(QHeaderView &header, int section) {
    const QImage with = header.grab().toImage();
    header.setSortIndicatorShown(false);
    const QImage without = header.grab().toImage();
    header.setSortIndicatorShown(true);
    const int right = header.sectionViewportPosition(section) + header.sectionSize(section);
    std::vector<int> widths;  // of the arrow's rows, top to bottom
    for (int y = 0; y < header.viewport()->height(); ++y) {
        int width = 0;
        for (int x = right - 20; x < right; ++x) {
            width += with.pixel(x, y) != without.pixel(x, y) ? 1 : 0;
        }
        if (width > 0) {
            widths.push_back(width);
        }
    }
    if (widths.size() < 2) {
        return std::nullopt;
    }
    return widths.front() < widths.back();
}

TEST_F(ListCtrlTest, HeaderClicksMoveTheArrowAndFlipTheDirection) {
    ClickHeader(1);
    EXPECT_EQ(list->Sort().ArrowOn(1), SortArrow::Up);
    EXPECT_EQ(list->Header()->sortIndicatorSection(), 1);
    EXPECT_EQ(ArrowPointsUp(*list->Header(), 1), true) << "ascending: the arrow points up";
    EXPECT_EQ(Column(1).front(), "0");
    ClickHeader(1);
    EXPECT_EQ(list->Sort().ArrowOn(1), SortArrow::Down);
    EXPECT_EQ(ArrowPointsUp(*list->Header(), 1), false);
    EXPECT_EQ(Column(1).front(), "9");
    ClickHeader(0);  // the old arrow goes; the new column shows the flipped direction
    EXPECT_EQ(list->Sort().ArrowOn(1), SortArrow::None);
    EXPECT_EQ(list->Sort().ArrowOn(0), SortArrow::Up);
    EXPECT_EQ(Column(0).front(), "V100");
    EXPECT_EQ(Column(0).back(), "V111");
}

TEST_F(ListCtrlTest, OnlyPlainCellsOfTheSortedColumnAreShaded) {
    table.styles[{0, 1}] = CellStyle{0xFF0000, -1};
    ClickHeader(1);
    const QModelIndex plain = list->Model()->index(list->Model()->RowOf(1), 1);
    const QModelIndex red = list->Model()->index(list->Model()->RowOf(0), 1);
    const QModelIndex other = list->Model()->index(list->Model()->RowOf(1), 0);
    const QColor shade = plain.data(Qt::BackgroundRole).value<QBrush>().color();
    const QColor base = QApplication::palette().color(QPalette::Base);
    EXPECT_LT(shade.lightness(), base.lightness()) << "a step off the light base";
    EXPECT_GT(shade.lightness(), base.lightness() - 16);
    EXPECT_FALSE(red.data(Qt::BackgroundRole).isValid()) << "the palette's";
    EXPECT_FALSE(other.data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(other.data(Qt::ForegroundRole).isValid()) << "the palette's text colour";
    EXPECT_EQ(red.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
}

TEST_F(ListCtrlTest, ADarkThemeStaysDark) {
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    ClickHeader(1);
    const QImage shown = list->ReportView()->viewport()->grab().toImage();
    QApplication::setPalette(light);
    int lightPixels = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            lightPixels += shown.pixelColor(x, y).lightness() > 200 ? 1 : 0;
        }
    }
    // The texts are light, the ground dark: light pixels are few.
    EXPECT_LT(lightPixels, shown.width() * shown.height() / 10);
    EXPECT_GT(lightPixels, 0);
}

TEST_F(ListCtrlTest, AFilterTypedIntoTheHeaderKeepsMatchingRows) {
    QLineEdit *field = list->Header()->FilterField(1);
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, "1*");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_THAT(Column(1), ::testing::Each(::testing::StartsWith("1")));
    EXPECT_EQ(Column(1).size(), 3u) << "1, 10, 11";
    field->clear();
    EXPECT_EQ(list->Model()->rowCount(), 12) << "a cleared filter shows every row again";
    list->SetSortColumn(0);
    list->ToggleSortDirection();
    QTest::keyClicks(field, "1*");
    QTest::keyClick(field, Qt::Key_Return);
    QTest::qWait(10);
    list->grab().save(QString::fromStdString(ScreenshotPath("list-filtered.png")));
}

TEST_F(ListCtrlTest, ControlKeysSelectInvertAndCycleTheViews) {
    CtrlKey(Qt::Key_A);
    EXPECT_EQ(list->SelectedCount(), 12);
    list->ReportView()->selectionModel()->clearSelection();
    list->ReportView()->selectRow(2);
    CtrlKey(Qt::Key_I);
    EXPECT_EQ(list->SelectedCount(), 11);
    EXPECT_EQ(list->SelectedItems().front(), list->Model()->ItemAt(0));

    EXPECT_EQ(list->Mode(), CZARNListCtrl::ViewMode::Report);
    CtrlKey(Qt::Key_S);
    EXPECT_EQ(list->Mode(), CZARNListCtrl::ViewMode::Icon);
    for (Qt::Key key : {Qt::Key_S, Qt::Key_S, Qt::Key_S}) {
        QTest::keyClick(list->IconView(), key, Qt::ControlModifier);
    }
    EXPECT_EQ(list->Mode(), CZARNListCtrl::ViewMode::Report) << "four times: back where it began";
    EXPECT_EQ(list->SelectedCount(), 11) << "the views share the selection";
}

TEST_F(ListCtrlTest, ExportWithNothingSelectedAsksAndNoCancels) {
    ui.Answer(kAnswerNo);
    CtrlKey(Qt::Key_E);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Selection Required");
    EXPECT_EQ(ui.boxes[0].text,
              "This operation requires you to have at least one item selected.\n\nWould you "
              "like to select all items?");
    EXPECT_EQ(dialogs.typeDialogs, 0);
    ui.Answer(kAnswerYes);
    CtrlKey(Qt::Key_E);  // yes: everything is selected and the type dialog comes
    EXPECT_EQ(list->SelectedCount(), 12);
    EXPECT_EQ(dialogs.typeDialogs, 1);
}

TEST_F(ListCtrlTest, TheFooterCountsWithThousandsSeparators) {
    table.cells.assign(1234, {"V", "1", "C"});
    list->AttachFooter(1001);
    list->Refresh();
    EXPECT_EQ(list->Footer()->Text(0), "Total Items 1,234");
    EXPECT_EQ(list->Footer()->Text(1), "") << "shown only with a selection";
    list->ReportView()->selectRow(41);
    EXPECT_EQ(list->Footer()->Text(1), "Total Selected 1");
    EXPECT_EQ(list->Footer()->Text(2), "First Selection 42");
    list->ReportView()->selectRow(2);
    QApplication::processEvents();
    list->grab().save(QString::fromStdString(ScreenshotPath("list-footer.png")));
}

TEST_F(ListCtrlTest, AnEmptyListSaysSoInEveryView) {
    table.cells.clear();
    list->Refresh();
    const QImage empty = list->ReportView()->viewport()->grab().toImage();
    empty.save(QString::fromStdString(ScreenshotPath("list-empty.png")));
    const QPoint centre = empty.rect().center();
    EXPECT_NE(empty.pixelColor(centre.x() - 150, centre.y() - 15), QColor(Qt::white))
        << "the rounded box";
    for (int view = 0; view < 3; ++view) {  // icons, small icons, list
        CtrlKey(Qt::Key_S);
        const QImage shown = list->IconView()->viewport()->grab().toImage();
        const QPoint middle = shown.rect().center();
        EXPECT_EQ(shown.pixelColor(40, middle.y()), list->palette().color(QPalette::Button))
            << "view " << view;
    }
    CtrlKey(Qt::Key_S);  // the report again
    table.cells.push_back({"V1", "1", "ACME"});
    list->Refresh();
    const QImage filled = list->ReportView()->viewport()->grab().toImage();
    EXPECT_EQ(filled.pixelColor(centre.x() - 150, centre.y() - 15), QColor(Qt::white));
}

TEST_F(ListCtrlTest, HomeAndEndGoToTheFirstAndLastRow) {
    QTableView &view = *list->ReportView();
    view.setFocus();
    view.setCurrentIndex(list->Model()->index(5, 1));
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentIndex().row(), 11);
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 1);
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(view.currentIndex().column(), 1) << "in the same column";
}

TEST_F(ListCtrlTest, RefreshedRowsKeepTheirSelectionWhateverMoves) {
    QAbstractItemModelTester tester(list->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView &view = *list->ReportView();
    const auto selectedVolume = [&]() {
        const QModelIndexList rows = view.selectionModel()->selectedRows(0);
        return rows.size() == 1 ? rows.front().data().toString().toStdString() : "";
    };
    view.selectRow(list->Model()->RowOf(5));  // an ACME volume
    const std::string volume = selectedVolume();
    ClickHeader(0);  // a new order
    EXPECT_EQ(selectedVolume(), volume);
    list->OnFilterChange(2, "ACME");  // rows go
    list->OnFilterChange(2, "");      // and come back, in place
    EXPECT_EQ(selectedVolume(), volume);
    EXPECT_EQ(list->Model()->rowCount(), 12);
    table.cells[5][2] = "GAMMA";  // its own cells change
    list->Refresh();
    EXPECT_EQ(selectedVolume(), volume);
    EXPECT_EQ(view.selectionModel()->selectedRows(2).front().data().toString(), "GAMMA");
}

// Items changed one at a time (their sorted or filtered cells too) end where a whole refresh
// puts them, in a sorted and an unsorted list, and the selected item stays selected.
TEST_F(ListCtrlTest, ChangedItemsEndWhereARefreshPutsThem) {
    QAbstractItemModelTester tester(list->Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView &view = *list->ReportView();
    std::mt19937 random(7);
    const auto change = [&](int count) {
        for (int step = 0; step < count; ++step) {
            const int item = static_cast<int>(random() % table.cells.size());
            const int column = static_cast<int>(random() % 3);
            table.cells[item][column] =
                column == 2 ? (random() % 2 ? "ACME" : "BETA") : std::to_string(random() % 20);
            list->ItemsChanged({item});
            ASSERT_EQ(view.verticalHeader()->count(), list->Model()->rowCount());
            const std::vector<int> incremental = list->Model()->Rows();
            list->Refresh();
            ASSERT_EQ(incremental, list->Model()->Rows()) << "step " << step;
        }
    };
    change(40);
    list->OnFilterChange(2, "ACME");
    change(40);
    ClickHeader(1);
    change(40);
    ClickHeader(1);  // descending
    view.selectRow(0);
    const int selected = list->Model()->ItemAt(0);
    for (int step = 0; step < 40; ++step) {
        const int item = static_cast<int>(random() % table.cells.size());
        if (item == selected) {
            continue;
        }
        table.cells[item][1] = std::to_string(random() % 20);
        list->ItemsChanged({item});
        ASSERT_EQ(list->SelectedItems(), std::vector<int>{selected});
    }
    const std::vector<int> incremental = list->Model()->Rows();
    list->Refresh();
    EXPECT_EQ(incremental, list->Model()->Rows());
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A burst of changes, each handled by the event loop as a scan is, paints the window once a
// frame, and the last change is on screen when the burst ends.
TEST_F(ListCtrlTest, ABurstOfChangesIsPaintedOnceAFrame) {
    QWidget window;
    window.resize(500, 300);
    list->setParent(&window);
    list->show();
    RepaintPacer::PaceWindow(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(2 * RepaintPacer::kFrameMs);
    PaintCounter counter;
    list->ReportView()->viewport()->installEventFilter(&counter);
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 300; ++i) {
        table.cells[static_cast<size_t>(i % 12)][1] = std::to_string(i);
        list->ItemsChanged({i % 12});
        QCoreApplication::processEvents();
    }
    const qint64 took = burst.elapsed();
    EXPECT_LE(counter.paints, took / RepaintPacer::kFrameMs + 2) << "in " << took << " ms";
    const int duringBurst = counter.paints;
    QTest::qWait(3 * RepaintPacer::kFrameMs);
    EXPECT_GT(counter.paints, duringBurst) << "the last change is painted after the burst";
    const QImage shown = window.grab().toImage();
    EXPECT_FALSE(shown.isNull());
    list->ReportView()->viewport()->removeEventFilter(&counter);
    list->setParent(nullptr);
}

class CommandRecorder : public CommandTarget {
public:
    std::vector<int> commands;
    void OnCommand(int command) override { commands.push_back(command); }
};

TEST_F(ListCtrlTest, TheContextMenuComesFromItsResource) {
    RegisterMenuResource(7001, [](QMenuBar &bar) {
        QMenu *first = bar.addMenu("LIST");
        AddCommand(*first, "&Remove", 501);
        AddCommand(*first, "E&xport", 502);
    });
    CommandRecorder target;
    int initialised = 0;
    list->SetContextMenu(
        7001, 0,
        [&](QMenu *menu) {
            ++initialised;
            menu->actions()[0]->setEnabled(false);
        },
        &target);
    QTimer::singleShot(50, []() {
        QMenu *open = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (open) {
            open->setActiveAction(open->actions()[1]);
            QTest::keyClick(open, Qt::Key_Return);
        }
    });
    list->ShowContextMenu(list->mapToGlobal(QPoint(20, 40)));
    EXPECT_EQ(initialised, 1);
    EXPECT_THAT(target.commands, ElementsAre(502));

    ui.Answer(kAnswerOk);
    list->SetContextMenu(7002, 0, nullptr, &target);
    list->ShowContextMenu({});
    EXPECT_EQ(ui.boxes.back().text, "Unable to load menu resource");
    ui.Answer(kAnswerOk);
    list->SetContextMenu(7001, 3, nullptr, &target);
    list->ShowContextMenu({});
    EXPECT_EQ(ui.boxes.back().text, "Unable to find submenu");
}

TEST_F(ListCtrlTest, ProfileEntriesLiveInTheListsSection) {
    list->WriteListInt("PDFPageSize", 3);
    list->WriteListString("PDFExclusionColumns", "2");
    EXPECT_EQ(list->GetListInt("PDFPageSize", 0), 3);
    EXPECT_EQ(profile->GetString("CListCtrl_", "PDFExclusionColumns", ""), "2");
}

TEST(ExportTypeDialogTest, TheFooterCountsAndSelectAllSelectsEverything) {
    TableSource table;
    table.titles = {"Volume"};
    table.cells.assign(10, {"V"});
    TableList list(table);
    list.selected = {3, 4};
    ExportTypeDialog dialog(list, false);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.FooterText(), "The export will contain 2 selected records (of 10 available).");
    auto *selectAll = dialog.findChild<QPushButton *>("selectAll");
    ASSERT_NE(selectAll, nullptr);
    EXPECT_TRUE(selectAll->isVisible());
    EXPECT_FALSE(dialog.findChild<QRadioButton *>("mail")->isVisible());
    dialog.grab().save(QString::fromStdString(ScreenshotPath("export-type.png")));
    QTest::mouseClick(selectAll, Qt::LeftButton);
    EXPECT_EQ(dialog.FooterText(),
              "The export will contain 10 selected records (of 10 available).");
    EXPECT_FALSE(selectAll->isEnabled());
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays, with the same choice";
    // A radio button or check box takes clicks on its indicator and label, at its left.
    for (QAbstractButton *button :
         {static_cast<QAbstractButton *>(dialog.findChild<QRadioButton *>("xml")),
          static_cast<QAbstractButton *>(dialog.findChild<QCheckBox *>("openWhenDone"))}) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    const ExportTypeChoice choice = dialog.Choice();
    EXPECT_EQ(choice.type, kExportXml);
    EXPECT_FALSE(choice.openWhenDone);
}

}  // namespace
