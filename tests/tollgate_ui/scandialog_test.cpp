// The scan dialog under a keyboard-wedge scanner: bursts of bar codes typed at full speed,
// also while the program is still answering, are each judged once and in order, and Enter
// never presses a button.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

#include "serverfixture.h"
#include "zarnfields.h"
#include "zarnmessages.h"
#include "zarnqtpresenters.h"
#include "zarnqtscandialog.h"
#include "zarnscanposting.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class RecordingWindow : public MessageWindow {
public:
    std::vector<std::string> volumes;
    std::vector<std::string> statuses;        // what the dialog said of each
    std::chrono::microseconds answerTime{0};  // how long each answer takes
    intptr_t HandleMessage(const WindowMessage &message) override {
        if (const auto *scanned = std::any_cast<ZARN10BARCODEPARSED>(&message.payload)) {
            volumes.push_back(ReadField(scanned->volume));
            if (QtScanDialog *dialog = QtScanDialog::Current()) {
                statuses.push_back(dialog->findChild<QLabel *>("status")->text().toStdString());
            }
            std::this_thread::sleep_for(answerTime);
        }
        return 1;
    }
};

void Type(QWidget *target, const std::string &line) {
    for (const char c : line) {
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
    }
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
}

class ScanDialogTest : public ::testing::Test {
protected:
    TestServer server{Backend::SQLite};
    QtPresenterFactory presenters;
    std::unique_ptr<CZARN10MFC> station;
    RecordingWindow window;
    PostingScanTarget target{&window};

    void SetUp() override {
        server.BuildSmallWorld();
        station = server.Connect();
        SetPresenterFactory(&presenters);
    }
    void TearDown() override { SetPresenterFactory(nullptr); }

    // Runs the dialog; while it waits, what happens is what the function does.
    bool Scan(const std::function<void(QtScanDialog &)> &whileOpen) {
        QTimer::singleShot(0, [&]() {
            QtScanDialog *dialog = QtScanDialog::Current();
            ASSERT_NE(dialog, nullptr);
            whileOpen(*dialog);
        });
        ZARNSCANVOLUMEARGS args{};
        args.size = sizeof args;
        args.volumeMessage = 1328;
        SetScanTarget(args, &target);
        return station->ScanDialog(&args, "Scan", nullptr).IsOK(0);
    }
};

TEST_F(ScanDialogTest, AThousandCodesAtFullSpeedAreEachJudgedOnceInOrder) {
    window.answerTime = std::chrono::microseconds(200);  // answering is slower than typing
    std::vector<std::string> typed;
    for (int i = 0; i < 1000; ++i) {
        typed.push_back("V" + std::to_string(100000 + i));
    }
    ASSERT_TRUE(Scan([&](QtScanDialog &dialog) {
        for (const std::string &volume : typed) {
            Type(&dialog, "ACME.LTO9." + volume);
        }
        dialog.FinishAfterTyping();
    }));
    EXPECT_EQ(window.volumes, typed);
}

TEST_F(ScanDialogTest, EnterEndsALineAndNeverPressesAButton) {
    bool stillOpen = false;
    ASSERT_TRUE(Scan([&](QtScanDialog &dialog) {
        auto *close = dialog.findChild<QPushButton *>();
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->focusPolicy(), Qt::NoFocus);
        QTest::keyClick(&dialog, Qt::Key_Return);  // nothing typed: nothing happens
        QTest::keyClick(&dialog, Qt::Key_Enter);
        QTest::keyClicks(&dialog, "ACME.LTO9.A00001");
        EXPECT_EQ(dialog.Typing(), "ACME.LTO9.A00001");
        QTest::keyClick(&dialog, Qt::Key_Return);
        stillOpen = QtScanDialog::Current() == &dialog;
        dialog.FinishAfterTyping();
    }));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(window.volumes, std::vector<std::string>{"A00001"});
    EXPECT_EQ(station->WasCancelled(1), 0);
}

TEST_F(ScanDialogTest, ARunawayLineOfAMegabyteIsRefusedAndTheNextScanIsRead) {
    ASSERT_TRUE(Scan([&](QtScanDialog &dialog) {
        for (int i = 0; i < (1 << 20); ++i) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar('A')));
            QCoreApplication::sendEvent(&dialog, &key);
        }
        EXPECT_LE(dialog.Typing().size(), 257) << "no more is kept than any code can be";
        QTest::keyClick(&dialog, Qt::Key_Return);
        Type(&dialog, "ACME.LTO9.A00001");
        dialog.FinishAfterTyping();
    }));
    ASSERT_EQ(window.statuses.size(), 2u);
    EXPECT_EQ(window.statuses[0], "Bar code not recognised: longer than 32 characters");
    EXPECT_EQ(window.volumes, (std::vector<std::string>{"", "A00001"}))
        << "the refusal is answered, the next scan read";
}

TEST_F(ScanDialogTest, EscapeCancelsTheDialog) {
    ASSERT_TRUE(Scan([&](QtScanDialog &dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }));
    EXPECT_EQ(station->WasCancelled(1), 1);
}

}  // namespace
