// The update check against an HTTP server on loopback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSettings>

#include <chrono>
#include <filesystem>

#include "loopbackhttp.h"
#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "zarnupdatecheck.h"
#include "zarnwinapp.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::HasSubstr;

namespace {

const std::string kAgent = "Kestrava Tollgate/2018-08-14 (Linux 6.1 x86_64)";

TEST(UpdateCheck, OnlyA302WithALocationLineNamesAnUpgrade) {
    LoopbackHttpServer upToDate("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    EXPECT_EQ(CheckForUpgrade(upToDate.Address(), kAgent), "");
    EXPECT_THAT(upToDate.LastRequest(), HasSubstr("GET /version.cgi HTTP/1.1\r\n"));
    EXPECT_THAT(upToDate.LastRequest(), HasSubstr("User-Agent: " + kAgent + "\r\n"));

    LoopbackHttpServer upgrade(
        "HTTP/1.1 302 Found\r\nLocation: http://updates.example/tollgate-2.0.deb\r\n"
        "Content-Length: 0\r\n\r\n");
    EXPECT_EQ(CheckForUpgrade(upgrade.Address(), kAgent),
              "http://updates.example/tollgate-2.0.deb");
    EXPECT_EQ(upgrade.Connections(), 1) << "the redirect is not followed";

    LoopbackHttpServer noLocation("HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(CheckForUpgrade(noLocation.Address(), kAgent), "");
    LoopbackHttpServer notHttp("SSH-2.0-OpenSSH\r\n");
    EXPECT_EQ(CheckForUpgrade(notHttp.Address(), kAgent), "");
}

TEST(UpdateCheck, AnAnswerOfAnySizeIsCut) {
    LoopbackHttpServer huge(
        "HTTP/1.1 302 Found\r\nLocation: http://u/x\r\nContent-Length: "
        "20000000\r\n\r\n" +
        std::string(4 << 20, 'x'));
    EXPECT_EQ(CheckForUpgrade(huge.Address(), kAgent), "http://u/x");
    LoopbackHttpServer hugeHeader("HTTP/1.1 302 Found\r\nX-Pad: " + std::string(1 << 20, 'p'));
    EXPECT_EQ(CheckForUpgrade(hugeHeader.Address(), kAgent), "");
}

TEST(UpdateCheck, AHeadSentAtOnceIsEnoughWhateverTheBodyDoes) {
    LoopbackHttpServer trickling(
        "HTTP/1.1 302 Found\r\nLocation: http://u/2.0\r\nContent-Length: 100000\r\n\r\nx", false,
        true);  // then nothing more, the connection held open
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckForUpgrade(trickling.Address(), kAgent), "http://u/2.0");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500))
        << "no wait for a body the check does not read";
}

TEST(UpdateCheck, AServerThatNeverAnswersDelaysAtMostFourAndAHalfSeconds) {
    LoopbackHttpServer silent("", true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckForUpgrade(silent.Address(), kAgent), "");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(4800));
    EXPECT_EQ(silent.Connections(), 1);
}

TEST(UpdateCheck, BuildDatesAndTheAgent) {
    EXPECT_EQ(FormatBuildDate("Aug 14 2018"), "2018-08-14");
    EXPECT_EQ(FormatBuildDate("Dec  8 2026"), "2026-12-08");
    EXPECT_EQ(FormatBuildDate("Foo 1 2018"), "Foo 1 2018");
    EXPECT_THAT(UpdateAgent("Kestrava Tollgate", "Aug 14 2018"),
                ::testing::MatchesRegex("Kestrava Tollgate/2018-08-14 \\(Linux [^ ]+ [^ ]+\\)"));
}

TEST(UpdateCheck, DisabledForTheMachineNoConnectionIsMade) {
    const std::filesystem::path startedIn = std::filesystem::current_path();
    TempDir profileFolder, programFolder;
    Profile::RedirectForTests(profileFolder.Path().string());
    LoopbackHttpServer updates("HTTP/1.1 302 Found\r\nLocation: http://u/x\r\n\r\n");
    ScopedEnvironment server("ZARNUPDATESERVER", updates.Address().c_str());
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    WinAppServices services{&ui, &desktop, (programFolder.Path() / "p").string(), false};
    const auto start = [&]() {
        CZARNWinApp app("ZARNTollgate", {}, services);
        app.InitFramework("Kestrava Tollgate", "", "Aug 14 2018");
        return app.UpgradeLocation();
    };
    EXPECT_EQ(start(), "http://u/x");
    EXPECT_EQ(updates.Connections(), 1);
    {
        QSettings machine(QSettings::NativeFormat, QSettings::SystemScope, "Quillfen");
        machine.setValue("DisableUpdateCheck", 1);
    }
    EXPECT_EQ(start(), "");
    EXPECT_EQ(updates.Connections(), 1) << "no request with DisableUpdateCheck = 1";
    EXPECT_TRUE(ui.boxes.empty());
    std::filesystem::current_path(startedIn);
}

}  // namespace
