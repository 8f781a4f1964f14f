// The result list, the progress window and the information windows, through the headless
// presenters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "serverfixture.h"
#include "zarn10progresswnd.h"
#include "zarn10rclist.h"
#include "zarnheadless.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class PresenterTest : public ::testing::Test {
protected:
    HeadlessScript script;
    HeadlessPresenters presenters{script};
    void SetUp() override { SetPresenterFactory(&presenters); }
    void TearDown() override { SetPresenterFactory(nullptr); }
};

TEST_F(PresenterTest, ResultListShowsEntriesAndReportsACancel) {
    CZARN10RCList list;
    list.Add(kZarnOK, "%s.%s.%s", "ACME", "LTO9", "A00001");
    list.Add(kZarnVolumeNotFound, "Unknown");
    EXPECT_EQ(list.Display(0, nullptr), 1);
    ASSERT_EQ(script.resultLists.size(), 1u);
    EXPECT_EQ(script.resultLists[0][0].text, "ACME.LTO9.A00001");
    EXPECT_EQ(script.resultLists[0][1].result.Code(), kZarnVolumeNotFound);
    script.cancelResultLists = true;
    EXPECT_EQ(list.Display(0, nullptr), 2);
    list.Reset();
    EXPECT_TRUE(list.Entries().empty());
}

TEST_F(PresenterTest, ProgressWindowRecordsAndCancelsAtTheChosenPoll) {
    script.cancelProgressAtPoll = 3;
    {
        CZARN10ProgressWnd progress(2, nullptr);
        progress.SetTitle("Updating Volumes");
        progress.Start();
        progress.SetLine1("Updating Volumes");
        progress.SetLine2("Processing Volume: %s", std::string(2000, 'x').c_str());
        progress.SetPosition(1, 4);
        EXPECT_EQ(progress.HasCancelled(), 0);
        EXPECT_EQ(progress.HasCancelled(), 0);
        EXPECT_EQ(progress.HasCancelled(), 1);
        EXPECT_EQ(progress.HasCancelled(), 1) << "a cancel stays";
        progress.Stop();
    }  // stopping twice (again in the destructor) shows nothing more
    ASSERT_EQ(script.progressLog.size(), 5u);
    EXPECT_EQ(script.progressLog[0], "title:Updating Volumes");
    EXPECT_EQ(script.progressLog[2].size(), std::string("line2:").size() + 1024);
    EXPECT_EQ(script.progressLog[3], "pos:1/4");
    EXPECT_EQ(script.progressLog[4], "stop");
}

TEST_F(PresenterTest, InformationWindowsShowTheServerAndTheConnection) {
    TestServer server(Backend::SQLite);
    server.BuildSmallWorld();
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ASSERT_NE(station, nullptr);
    EXPECT_TRUE(station->ServerInfoDialog(nullptr).IsOK(0));
    EXPECT_EQ(script.infoLog.at(0), "Server Information");
    EXPECT_EQ(script.infoLog.at(1), "Server: TEST-SERVER (Test server)");
    EXPECT_THAT(script.infoLog, testing::Contains("Volumes: 4, due to move: 2"));
    script.infoLog.clear();
    EXPECT_TRUE(station->DoControlPanel(nullptr, nullptr).IsOK(0));
    EXPECT_EQ(script.infoLog.at(0), "Server Control Panel");
    EXPECT_THAT(script.infoLog.at(1), HasSubstr("Store: embedded, "));
    EXPECT_THAT(script.infoLog, testing::Contains("Logged on: yes"));
}

}  // namespace
