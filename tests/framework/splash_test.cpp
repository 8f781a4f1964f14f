// The splash window: closed by a key or a mouse button anywhere, or by its timer, telling the
// main window exactly once.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include <filesystem>

#include "supportfixtures.h"
#include "zarnsplash.h"

using namespace zarn;

namespace {

class MainWindowProbe : public MessageWindow {
public:
    int closedMessages = 0;
    intptr_t HandleMessage(const WindowMessage &message) override {
        closedMessages += message.id == kMsgSplashClosed ? 1 : 0;
        return 1;
    }
};

TEST(Splash, AKeyAnywhereClosesItAndTheMainWindowHearsOnce) {
    QWidget mainWindow;
    mainWindow.resize(800, 600);
    mainWindow.show();
    MainWindowProbe probe;
    int showing = 0;
    QPointer<CZARNSplash> splash = new CZARNSplash(&mainWindow, &probe, "", &showing,
                                                   "Kestrava Tollgate", "Aug 14 2018", "20:08:27");
    EXPECT_EQ(showing, 1);
    EXPECT_EQ(splash->size(), QSize(400, 297));

    // Painted as the operator sees it; kept for looking at.
    const std::filesystem::path shot =
        std::filesystem::path(std::getenv("ZARN_SCREENSHOTS") ? std::getenv("ZARN_SCREENSHOTS")
                                                              : ".") /
        "splash.png";
    EXPECT_TRUE(splash->grab().save(QString::fromStdString(shot.string())));

    QTest::keyClick(&mainWindow, Qt::Key_Space);  // the key goes to the splash first
    EXPECT_EQ(showing, 0);
    EXPECT_EQ(probe.closedMessages, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
    QTest::keyClick(&mainWindow, Qt::Key_Space);
    EXPECT_EQ(probe.closedMessages, 1) << "exactly once";
}

TEST(Splash, AMouseButtonOrTheTimerClosesIt) {
    MainWindowProbe probe;
    int showing = 0;
    auto *splash = new CZARNSplash(nullptr, &probe, "", &showing, "Kestrava Shelver", "Aug 14 2018",
                                   "20:08:27");
    QTest::mouseClick(splash, Qt::RightButton);
    EXPECT_EQ(probe.closedMessages, 1);

    QPointer<CZARNSplash> timed =
        new CZARNSplash(nullptr, &probe, "", &showing, "Kestrava Shelver", "Aug 14 2018", "x");
    EXPECT_EQ(showing, 1);
    QTRY_COMPARE_WITH_TIMEOUT(showing, 0, kSplashMilliseconds + 2000);
    EXPECT_EQ(probe.closedMessages, 2);
}

}  // namespace
