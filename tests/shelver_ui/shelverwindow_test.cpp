// The Shelver's window as the operator uses it: zones after log-on, the scan bar's edits and
// options, scanning through the real scan dialog, the list of scanned objects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
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

class ShelverWindowTest : public ::testing::Test {
protected:
    TempDir folder;
    ScopedEnvironment updates{"ZARNUPDATESERVER", "127.0.0.1:1"};
    TestServer server{Backend::SQLite};
    QtPresenterFactory presenters;
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs exportDialogs;
    std::unique_ptr<CZARNWinApp> app;
    std::unique_ptr<CZARN10MFC> connection;
    std::unique_ptr<CMainFrame> frame;
    RecordingVoice *voice = nullptr;

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        SetPresenterFactory(&presenters);
        RegisterShelverMenus();
        server.BuildSmallWorld();
        WinAppServices services{&ui, &desktop, (folder.Path() / "ZARNShelver").string(), false};
        app = std::make_unique<CZARNWinApp>("ZARNShelver", std::vector<std::string>{}, services);
        app->InitFramework("Kestrava Shelver", "", "Aug 14 2018");
        connection = std::make_unique<CZARN10MFC>(0);
        connection->Session()->settings = server.Settings();
        CZARNShelverServices shelver;
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

TEST_F(ShelverWindowTest, ZonesSlotsAndThreeVolumesFromSlotSeven) {
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

TEST_F(ShelverWindowTest, ZoneAndSlotBarCodesAndRefusedScans) {
    Scan({"ACME.LTO9.A00001", "Z:1", "ACME.LTO9.A00001", "S:4", "ACME.LTO9.A00001"});
    EXPECT_THAT(voice->spoken,
                ElementsAre("You must first set a valid zone", "New zone set to Library A",
                            "You must first set a valid slot", "New slot set to 4", "4"));
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    EXPECT_EQ(bar.zone->currentText(), "LIB-A");
    EXPECT_EQ(bar.slot->text(), "4");
}

TEST_F(ShelverWindowTest, OptionsAreKeptForTheNextRun) {
    Ui::CScanDialogBar &bar = frame->ScanBarWindow().Controls();
    bar.presumeNew->setChecked(true);
    bar.noContainerSlot->setChecked(true);
    frame.reset();
    Profile again("ZARNShelver");
    EXPECT_EQ(again.GetInt("Options", "PresumeNew", 0), 1);
    EXPECT_EQ(again.GetInt("Options", "NoContainerSlot", 0), 1);
    EXPECT_EQ(again.GetInt("Options", "AutoIncrement", -1), 0);
}

}  // namespace
