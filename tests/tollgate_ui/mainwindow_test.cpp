// The main window as the operator uses it: log-on and tree, adding a customer, scanning,
// menus, the status bar and the exit check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTimer>

#include <QTabWidget>
#include <map>

#include "receiptprinter.h"
#include "windowfixture.h"
#include "zarn30speaker.h"
#include "zarnqtpresenters.h"
#include "zarnqtscandialog.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class MainWindowTest : public WindowFixture {};

TEST_F(MainWindowTest, ADayAtTheStationStepByStep) {
    EXPECT_EQ(frame->windowTitle(), "Kestrava - Tollgate");
    CZARN30TreeModel &tree = frame->TreeView().TreeModel();
    ASSERT_EQ(tree.rowCount(), 1) << "the server item";
    EXPECT_THAT(tree.index(0, 0).data().toString().toStdString(),
                ::testing::StartsWith("TEST-SERVER - Test server"));
    EXPECT_TRUE(frame->TreeView().isExpanded(tree.index(0, 0))) << "the customers show";
    Grab("tollgate-logon.png");

    AddFromTree("ACME");
    EXPECT_EQ(dialogs.filterRuns, 1);
    QTabWidget &tabs = frame->TabView();
    EXPECT_EQ(tabs.tabText(0), "To-Scan (3)");
    EXPECT_EQ(frame->TabView().ActiveList()->Model()->rowCount(), 3);
    Grab("tollgate-added.png");

    doc->settings.scanMode = 0;
    script.scannerLines = {"ACME.LTO9.A00001", "ACME.LTO9.A00001", "BETA.LTO9.NOPE"};
    frame->OnCommand(kCmdStartScan);
    EXPECT_THAT(voice->spoken,
                ElementsAre("Kestrava Speech sub-system enabled and ready for work",
                            "No-Alloc  slot 7 ", "Volume already scanned", "No-Alloc  slot 7 ",
                            "Volume is not in list", "Volume is not on file"));
    EXPECT_EQ(frame->StatusPane(0), "Volume is not in list; Volume is not on file")
        << "the whole answer to the last scan";
    EXPECT_THAT(voice->tones, ElementsAre("[tone: refused]", "[tone: refused]"))
        << "a tone before each refusal (a warning is one), none for the accepted scan";
    ASSERT_EQ(script.answers.size(), 3u) << "each scan's answer went to the scan dialog";
    EXPECT_EQ(script.answers[0].kind, AnswerKind::Accepted);
    EXPECT_EQ(script.answers[1].kind, AnswerKind::Warning);
    EXPECT_EQ(script.answers[2].text, "Volume is not in list; Volume is not on file");
    LetTheFrameEnd();
    EXPECT_EQ(tabs.tabText(0), "To-Scan (2)");
    EXPECT_EQ(tabs.tabText(1), "Done (1)");
    EXPECT_EQ(tabs.tabText(2), "Errors (3)");
    EXPECT_TRUE(frame->Command(kCmdStartScan)->isCheckable());
    tabs.setCurrentIndex(1);
    Grab("tollgate-scanned.png");
}

TEST_F(MainWindowTest, AReceiptRunWithNothingToPrintPrintsNothingAndSaysSo) {
    struct CountingPrinter : ReceiptPrinter {
        int runs = 0;
        bool Print(const std::vector<const CZARN10TreeVolume *> &, const std::string &,
                   const std::string &) override {
            ++runs;
            return true;
        }
    } printer;
    doc->receiptPrinter = &printer;
    doc->unprinted = 1;
    ui.Answer(kAnswerOk);
    frame->OnCommand(kCmdPrintReceipts);  // the To-Scan list is empty
    EXPECT_EQ(printer.runs, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Print Receipts");
    EXPECT_THAT(ui.boxes[0].text, ::testing::StartsWith("There are no receipts to print"));
    EXPECT_EQ(voice->spoken.back(), "There are no receipts to print");
    EXPECT_EQ(doc->unprinted, 1) << "nothing is marked printed";
    EXPECT_FALSE(frame->Command(kCmdPrintReceipts)->isChecked());
    doc->receiptPrinter = nullptr;
}

// The letter after '&' in a text, lower case; 0 when it has none.
char Mnemonic(const QString &text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&' && text[i + 1] != '&') {
            return static_cast<char>(text[i + 1].toLower().toLatin1());
        }
        i += text[i] == '&' ? 1 : 0;
    }
    return 0;
}

TEST_F(MainWindowTest, EveryControlHasItsOwnMnemonicAndAltOpensTheMenus) {
    std::map<char, std::vector<std::string>> owners;
    for (QAction *menu : frame->menuBar()->actions()) {
        owners[Mnemonic(menu->text())].push_back(menu->text().toStdString());
    }
    for (QAbstractButton *button : frame->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(frame.get()) && Mnemonic(button->text())) {
            owners[Mnemonic(button->text())].push_back(button->text().toStdString());
        }
    }
    for (QLabel *label : frame->findChildren<QLabel *>()) {
        if (label->isVisibleTo(frame.get()) && Mnemonic(label->text())) {
            owners[Mnemonic(label->text())].push_back(label->text().toStdString());
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        }
    }
    for (const auto &[letter, texts] : owners) {
        EXPECT_EQ(texts.size(), 1u)
            << "Alt+" << letter << " is " << ::testing::PrintToString(texts);
    }
    for (QRadioButton *choice : frame->findChildren<QRadioButton *>()) {
        EXPECT_NE(Mnemonic(choice->text()), 0) << choice->text().toStdString();
    }
    for (const auto &[key, title] : {std::pair{Qt::Key_S, "&Scan"}, {Qt::Key_H, "&Help"}}) {
        QString opened;
        QTimer::singleShot(50, [&opened]() {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                opened = menu->title();
                menu->close();
            }
        });
        QTest::keyClick(frame.get(), key, Qt::AltModifier);
        QTest::qWait(100);
        EXPECT_EQ(opened.toStdString(), title);
    }
}

TEST_F(MainWindowTest, TheMenusCarryTheStationsCommands) {
    std::vector<std::string> titles;
    for (QAction *menu : frame->menuBar()->actions()) {
        titles.push_back(menu->text().toStdString());
    }
    EXPECT_THAT(titles, ElementsAre("&File", "&Scan", "&Help"));
    for (const auto &[command, text] : std::vector<std::pair<int, const char *>>{
             {kCmdLogon, "Logo&n"},
             {kCmdLogoff, "Logo&ff"},
             {kCmdServerInformation, "&Server Information"},
             {kCmdControlPanel, "&Open Kestrava Control Panel"},
             {kCmdPreferences, "&Preferences"},
             {kCmdBuildTree, "&Build/Update Movement Tree"},
             {kCmdStartScan, "&Start Scan"},
             {kCmdUpdateServer, "&Update Server"},
             {kCmdPrintReceipts, "&Print Receipts"},
             {kCmdAutoComplete, "&Auto Complete"},
             {kCmdClearSelected, "&Clear Selected"},
             {kCmdQueryExceptions, "&Display Query Exception Table"},
             {kCmdScanToSlot, "&Scan to Slot"},
             {kCmdSlotAllocation, "Scan to Set Slot A&llocation Flag"},
             {kCmdAssistance, "&Get Technical Assistance"},
             {kCmdAbout, "&About Kestrava Tollgate™..."},
             {kCmdDocumentation, "Kestrava Tollgate™ Documentation"}}) {
        ASSERT_NE(frame->Command(command), nullptr) << text;
        EXPECT_EQ(frame->Command(command)->text().toStdString(), text);
    }
    frame->OnCommand(kCmdServerInformation);
    EXPECT_EQ(script.infoLog.front(), "Server Information");
    frame->OnCommand(kCmdQueryExceptions);
    EXPECT_THAT(dialogs.exceptionTables, ElementsAre(0u));
    frame->OnCommand(kCmdDocumentation);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_THAT(desktop.opened[0], ::testing::StartsWith("file://"));
}

TEST_F(MainWindowTest, TreeKeysRebuildAndStartScanning) {
    CLeftView &tree = frame->TreeView();
    doc->oldTreeWarned = 1;  // a rebuild starts a new tree, not yet warned about
    QTest::keyClick(&tree, Qt::Key_F5);
    EXPECT_EQ(doc->oldTreeWarned, 0) << "F5: a new tree";
    EXPECT_EQ(tree.TreeModel().rowCount(), 1);
    script.scannerLines = {"!0"};
    QTest::keyClick(&tree, Qt::Key_F10);
    EXPECT_EQ(script.scanLog.front(), "open:Scan");
    EXPECT_EQ(voice->spoken.back(), "Scan Mode set to volume only");
}

TEST_F(MainWindowTest, ZoneAndSlotScansShowInTheStatusBar) {
    script.scannerLines = {"Z:1", "S:30"};
    frame->OnCommand(kCmdScanToSlot);
    EXPECT_EQ(frame->StatusPane(1), "Zone 1");
    EXPECT_EQ(frame->StatusPane(2), "Slot 30");
}

TEST_F(MainWindowTest, ExitAsksWhileScansAreNotOnTheServer) {
    AddFromTree("ACME");
    doc->settings.block.realTimeUpdate = 0;
    doc->settings.scanMode = 0;
    script.scannerLines = {"ACME.LTO9.A00001"};
    frame->OnCommand(kCmdStartScan);
    ui.Answer(kAnswerNo);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(ui.boxes.back().caption, "Unprocessed Warning");
    EXPECT_TRUE(frame->isVisible()) << "the window stays";
    ui.Answer(kAnswerYes);
    ui.Answer(kAnswerYes);  // and the receipts question
    EXPECT_TRUE(frame->close());
}

}  // namespace

namespace {

// Speech off: the answers are on screen, in the real scan dialog.
class SilentWindowTest : public WindowFixture {
protected:
    SilentWindowTest() { speech = false; }
};

TEST_F(SilentWindowTest, EveryAnswerIsInTheScanDialogAndARefusalOutlastsTheNextPrompt) {
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "TTS Init Failed");
    EXPECT_EQ(frame->StatusPane(0), kSpeechUnavailableText);
    AddFromTree("ACME");
    doc->settings.operationType = 0;  // Pick
    doc->settings.scanMode = 0;
    QtPresenterFactory dialogs;
    SetPresenterFactory(&dialogs);
    doc->SortToScan(1);  // the pick order Start Scan takes
    const std::string first = doc->toScanList[0]->volumeSerial;
    const std::string second = doc->toScanList[1]->volumeSerial;
    std::string verdict;
    std::vector<std::string> history;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&]() {
        QtScanDialog *dialog = QtScanDialog::Current();
        auto *list = dialog ? dialog->findChild<QListWidget *>("history") : nullptr;
        if (list && list->count() == 3 && verdict.empty()) {
            verdict = dialog->findChild<QLabel *>("verdict")->text().toStdString();
            for (int row = 0; row < list->count(); ++row) {
                history.push_back(list->item(row)->text().toStdString());
            }
            dialog->Finish(false);
        }
    });
    watch.start(10);
    QTimer::singleShot(0, [&]() {
        QtScanDialog *dialog = QtScanDialog::Current();
        for (const std::string &line :
             {"ACME.LTO9." + first, "ACME.LTO9." + first, "ACME.LTO9." + second + "X"}) {
            QTest::keyClicks(dialog, QString::fromStdString(line));
            QTest::keyClick(dialog, Qt::Key_Return);
        }
    });
    frame->OnCommand(kCmdStartScan);
    SetPresenterFactory(&presenters);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_THAT(verdict, ::testing::StartsWith("Refused: Volume is not in list"))
        << "the refusal stays, whatever prompt came with it";
    EXPECT_THAT(history[1], ::testing::StartsWith("ACME.LTO9." + first + "  Refused: "));
    EXPECT_THAT(history[2], ::testing::StartsWith("ACME.LTO9." + first + "  Accepted: "));
    EXPECT_THAT(frame->StatusPane(0).toStdString(), ::testing::StartsWith("Volume is not in list"));
}

}  // namespace
