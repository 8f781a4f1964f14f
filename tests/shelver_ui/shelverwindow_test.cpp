// The Shelver's window as the operator uses it: zones after log-on, the scan bar's edits and
// options, scanning through the real scan dialog, the list of scanned objects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "shelvermainframe.h"
#include "tablesource.h"
#include "ui_scandialogbar.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnqtpresenters.h"
#include "zarnqtscandialog.h"
#include "zarnsession.h"
#include "zarnsplash.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

std::string ScreenshotPath(const char *name) {
    const char *folder = std::getenv("ZARN_SCREENSHOTS");
    return (std::filesystem::path(folder ? folder : ".") / name).string();
}

class ShelverWindowTest : public ::testing::TestWithParam<Backend> {
protected:
    TempDir folder;
    ScopedEnvironment updates{"ZARNUPDATESERVER", "127.0.0.1:1"};
    TestServer server{GetParam()};
    QtPresenterFactory presenters;
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs exportDialogs;
    std::unique_ptr<CZARNWinApp> app;
    std::unique_ptr<CZARN10MFC> connection;
    std::unique_ptr<CMainFrame> frame;
    RecordingVoice *voice = nullptr;
    CZARNShelverServices shelver;

    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        Profile::RedirectForTests(folder.Path().string());
        SetPresenterFactory(&presenters);
        RegisterShelverMenus();
        server.BuildSmallWorld();
        WinAppServices services{&ui, &desktop, (folder.Path() / "ZARNShelver").string(), false};
        app = std::make_unique<CZARNWinApp>("ZARNShelver", std::vector<std::string>{}, services);
        app->InitFramework("Kestrava Shelver", "", "Aug 14 2018");
        connection = std::make_unique<CZARN10MFC>(0);
        connection->Session()->settings = server.Settings();
        shelver.list = {&ui, &desktop, &app->GetProfile(), &exportDialogs, "Kestrava Shelver", ""};
        shelver.voice = [this]() {
            auto made = std::make_unique<RecordingVoice>();
            voice = made.get();
            return made;
        };
        frame = std::make_unique<CMainFrame>(*app, *connection, shelver);
        frame->show();
        SendWindowMessage(frame->Messages(), {kMsgSplashClosed, 0, 0, {}});
    }
    void TearDown() override {
        frame.reset();
        SetPresenterFactory(nullptr);
    }
    // Scans the lines through the real scan dialog, typed at full speed.
    void Scan(const std::vector<std::string> &lines) {
        QTimer::singleShot(0, [&]() {
            QtScanDialog *dialog = QtScanDialog::Current();
            ASSERT_NE(dialog, nullptr);
            for (const std::string &line : lines) {
                for (char c : line) {
                    QCoreApplication::postEvent(
                        dialog,
                        new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
                }
                QCoreApplication::postEvent(
                    dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
            }
            dialog->FinishAfterTyping();
        });
        frame->Scan();
    }
};

TEST_P(ShelverWindowTest, ZonesSlotsAndThreeVolumesFromSlotSeven) {
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    ASSERT_EQ(bar.zone->count(), 2);
    EXPECT_EQ(bar.zone->itemText(0), "ACME-CAGE") << "sorted by name";
    EXPECT_EQ(bar.zone->currentIndex(), -1) << "no zone chosen after log-on";
    EXPECT_EQ(bar.slot->text(), "0");
    EXPECT_TRUE(voice->spoken.empty()) << "nothing is spoken at start";

    bar.zone->setCurrentIndex(bar.zone->findText("LIB-A"));
    EXPECT_EQ(frame->ScanBar().currentZone, 1u);
    bar.slot->clear();
    QTest::keyClicks(bar.slot, "7");
    EXPECT_EQ(frame->ScanBar().currentSlot, 7u) << "the edit takes effect at once";
    QTest::mouseClick(bar.autoIncrement, Qt::LeftButton, {},
                      QPoint(8, bar.autoIncrement->height() / 2));
    EXPECT_EQ(frame->ScanBar().autoIncrement, 1);

    Scan({"ACME.LTO9.A00001", "ACME.LTO9.A00002", "BETA.LTO9.B00001"});
    EXPECT_THAT(voice->spoken, ElementsAre("7", "8", "9"));
    EXPECT_EQ(bar.slot->text(), "10");
    EXPECT_EQ(frame->List().Model()->rowCount(), 3);
    EXPECT_EQ(frame->List().Model()->index(2, 4).data().toString(), "LIB-A:9");
    frame->grab().save(QString::fromStdString(ScreenshotPath("shelver.png")));
}

TEST_P(ShelverWindowTest, ZoneAndSlotBarCodesAndRefusedScans) {
    Scan({"ACME.LTO9.A00001", "Z:1", "ACME.LTO9.A00001", "S:4", "ACME.LTO9.A00001"});
    EXPECT_THAT(voice->spoken,
                ElementsAre("You must first set a valid zone", "New zone set to Library A",
                            "You must first set a valid slot", "New slot set to 4", "4"));
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    EXPECT_EQ(bar.zone->currentText(), "LIB-A");
    EXPECT_EQ(bar.slot->text(), "4");
}

TEST_P(ShelverWindowTest, OptionsAreKeptForTheNextRun) {
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    bar.presumeNew->setChecked(true);
    bar.noContainerSlot->setChecked(true);
    frame.reset();
    Profile again("ZARNShelver");
    EXPECT_EQ(again.GetInt("Options", "PresumeNew", 0), 1);
    EXPECT_EQ(again.GetInt("Options", "NoContainerSlot", 0), 1);
    EXPECT_EQ(again.GetInt("Options", "AutoIncrement", -1), 0);
}

// Where a volume is in the store, as "REPO:slot".
std::string PlacedAt(Store &store, const char *volume) {
    QSqlQuery query(store.Database());
    store.Run(query, "SELECT current_repository, current_slot FROM volumes WHERE volume = ?",
              {QString(volume)});
    return query.next() ? query.value(0).toString().toStdString() + ":" +
                              query.value(1).toString().toStdString()
                        : "";
}

TEST_P(ShelverWindowTest, ALevelSlotCodeIsRefusedAndTheSlotNeverWraps) {
    Scan({"Z:1", "S:7", "S:3/12", "ACME.LTO9.A00001"});
    EXPECT_THAT(voice->spoken,
                ElementsAre("New zone set to Library A", "New slot set to 7",
                            "A slot with a level is not a zone slot; the slot stays 7", "7"));
    EXPECT_EQ(frame->ScanBarWindow().Controls().slot->text(), "7");
    EXPECT_EQ(PlacedAt(server.Admin(), "A00001"), "LIB1:7");
}

TEST_P(ShelverWindowTest, EveryAnswerIsShownAndTheNewestRowIsInSight) {
    frame->resize(700, 300);
    Scan({"Z:1", "S:10", "ACME.LTO9.NOPE", "ACME.LTO8.A00001", "ACME.LTO9.A00001"});
    EXPECT_EQ(frame->statusBar()->currentMessage(), "ACME.LTO9.A00001: 10");
    EXPECT_EQ(frame->List().Model()->index(1, 6).data().toString(), "10")
        << "the answer of the row";
    const QAbstractItemModel &model = *frame->List().Model();
    EXPECT_EQ(model.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), "Answer");

    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i) {
        many.push_back("ACME.LTO9.N" + std::to_string(10000 + i));
    }
    many.push_back("ACME.LTO9.A00002");
    many.push_back("Z:99");
    Scan(many);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Failed to set new zone")
        << "a refusal is shown until the next answer";
    QScrollBar *scroll = frame->List().ReportView()->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "the newest row is in sight";
    EXPECT_EQ(PlacedAt(server.Admin(), "N10029"), "LIB1:10");
    EXPECT_EQ(PlacedAt(server.Admin(), "A00002"), "LIB1:10");
}

TEST_P(ShelverWindowTest, OptionsThatAddKnownVolumesAgainAreShownAndSaidAtEachScan) {
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    EXPECT_TRUE(bar.optionNotice->isHidden());
    QTest::mouseClick(bar.presumeNew, Qt::LeftButton, {}, QPoint(8, bar.presumeNew->height() / 2));
    QTest::mouseClick(bar.addSuffix, Qt::LeftButton, {}, QPoint(8, bar.addSuffix->height() / 2));
    EXPECT_FALSE(bar.optionNotice->isHidden());
    EXPECT_THAT(bar.optionNotice->text().toStdString(),
                ::testing::HasSubstr("known volumes are added again with a suffix"));
    Scan({"Z:1", "S:3", "ACME.LTO9.A00002"});
    EXPECT_THAT(voice->spoken,
                ElementsAre("Please note: all scanned volumes are presumed new; known volumes "
                            "are added again with a suffix",
                            "New zone set to Library A", "New slot set to 3", "3"));
    EXPECT_EQ(PlacedAt(server.Admin(), "A00002-1"), "LIB1:3") << "the copy";
    EXPECT_EQ(PlacedAt(server.Admin(), "A00002"), "LIB1:6") << "the known one stays";
    frame.reset();  // the options are kept for the next run, and shown there at once
    frame = std::make_unique<CMainFrame>(*app, *connection, shelver);
    EXPECT_FALSE(frame->ScanBarWindow().Controls().optionNotice->isHidden());
}

TEST_P(ShelverWindowTest, ZoneAndSlotAreNamedAndTheSlotTakesThirtyTwoBits) {
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    for (QWidget *field : std::initializer_list<QWidget *>{bar.zone, bar.slot}) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), field == bar.zone ? "Zone" : "Slot");
    }
    EXPECT_EQ(bar.zoneLabel->buddy(), bar.zone);
    EXPECT_EQ(bar.slotLabel->buddy(), bar.slot);
    bar.slot->clear();
    QTest::keyClicks(bar.slot, "4000000000");
    EXPECT_EQ(frame->ScanBar().currentSlot, 4000000000u);
    QTest::keyClicks(bar.slot, "9");  // an eleventh digit is refused
    EXPECT_EQ(bar.slot->text(), "4000000000");
    bar.slot->clear();
    QTest::keyClicks(bar.slot, "5000000000");  // beyond 32 bits: the slot stays
    EXPECT_LE(frame->ScanBar().currentSlot, 4294967295u);
    EXPECT_NE(bar.slot->text(), "5000000000");
}

TEST_P(ShelverWindowTest, TheScanDialogShowsEachAnswerAndKeepsTheLastTen) {
    // The answers as the operator sees them, read from the dialog after the last scan.
    std::string verdict;
    std::vector<std::string> history;
    std::vector<std::string> alerts;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&]() {
        QtScanDialog *dialog = QtScanDialog::Current();
        auto *list = dialog ? dialog->findChild<QListWidget *>("history") : nullptr;
        if (list && list->count() == 5 && verdict.empty()) {
            verdict = dialog->findChild<QLabel *>("verdict")->text().toStdString();
            for (int row = 0; row < list->count(); ++row) {
                history.push_back(list->item(row)->text().toStdString());
            }
            dialog->grab().save(QString::fromStdString(ScreenshotPath("scan-dialog.png")));
            dialog->Finish(false);
        }
    });
    watch.start(10);
    QTimer::singleShot(0, [&]() {
        QtScanDialog *dialog = QtScanDialog::Current();
        dialog->onAlert = [&](const std::string &text) { alerts.push_back(text); };
        for (const std::string line : {"Z:1", "S:7", "ACME.LTO9.A00001", "ACME.NONE.V1", "Z:99"}) {
            for (char c : line) {
                QCoreApplication::postEvent(
                    dialog, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
            }
            QCoreApplication::postEvent(
                dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        }
    });
    frame->Scan();
    EXPECT_EQ(verdict, "Refused: Failed to set new zone") << "the last answer, with its kind";
    EXPECT_THAT(history, ElementsAre("Refused: Failed to set new zone",
                                     ::testing::StartsWith("ACME.NONE.V1  Refused: "),
                                     "ACME.LTO9.A00001  Accepted: 7", "Note: New slot set to 7",
                                     "Note: New zone set to Library A"));
    ASSERT_EQ(alerts.size(), 5u) << "each answer raised once for assistive technology";
    EXPECT_EQ(alerts.back(), verdict) << "carrying the answer's text";
    EXPECT_THAT(voice->tones, ElementsAre("[tone: refused]", "[tone: refused]"));
}

TEST_P(ShelverWindowTest, AVoiceThatFailsIsSaidOnceAndScanningGoesOn) {
    voice->onFailure("the sound server went away");
    auto *notice = frame->findChild<QLabel *>("speechNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(notice->text(), "Speech unavailable: answers are shown on screen");
    Scan({"Z:1", "S:5", "ACME.LTO9.A00002"});
    EXPECT_EQ(frame->statusBar()->currentMessage(), "ACME.LTO9.A00002: 5");
    EXPECT_EQ(PlacedAt(server.Admin(), "A00002"), "LIB1:5");
}

TEST_P(ShelverWindowTest, EveryFocusableControlHasAName) {
    std::vector<std::string> nameless;
    const auto walk = [&](QWidget &window) {
        for (QWidget *control : window.findChildren<QWidget *>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&window) ||
                !control->isEnabled()) {
                continue;
            }
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
                nameless.push_back(control->metaObject()->className() + std::string(" ") +
                                   control->objectName().toStdString());
            }
        }
    };
    walk(*frame);
    QtScanDialog scan;
    scan.Open("Scan to Slot Volumes");
    walk(scan);
    scan.Close();
    EXPECT_THAT(nameless, ::testing::IsEmpty());
}

ZARN_ON_BOTH_BACKENDS(ShelverWindowTest);

}  // namespace
