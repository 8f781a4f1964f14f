// Real-time writes off the window's thread: a scan's answer waits for its write no longer than
// kWriteAnswerWait; a write that ends later is taken then, and its refusal is spoken and listed
// when it comes. Both stores.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <chrono>
#include <thread>

#include "tollgatefixture.h"
#include "zarn30journal.h"
#include "zarn30scanning.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

class RealTimeWritesTest : public TollgateFixture {
protected:
    CZARN30Speaker speaker;
    RecordingVoice *voice = nullptr;
    CZARN30Journal journal;
    std::unique_ptr<CZARN30MainLogic> logic;

    void SetUp() override {
        TollgateFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // The writer waits this long for a row another station holds: longer than the test
        // holds it, so that the write ends in a refusal and not in a busy server.
        doc->server.Session()->settings.reconnectWait = std::chrono::seconds(3);
        voice = StartRecordingSpeaker(speaker, ui);
        logic = StartRealTimeSession(journal, speaker);
    }
    void TearDown() override {
        logic.reset();
        TollgateFixture::TearDown();
    }
    // The time the scan took to be answered.
    milliseconds Scan(const char *line) {
        script.scannerLines = {line};
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(logic->StartScan());
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
    std::vector<std::string> SpokenFrom(std::size_t first) const {
        return {voice->spoken.begin() + static_cast<std::ptrdiff_t>(first), voice->spoken.end()};
    }
    std::size_t Unwritten() {
        std::vector<CZARN30JournalScan> kept;
        EXPECT_TRUE(journal.Unwritten(kept));
        return kept.size();
    }
};

TEST_P(RealTimeWritesTest, ARefusalThatComesAfterTheAnswerIsSpokenAndListedThen) {
    ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(10)));  // the writer logged on
    // Another station holds the volume's row and changes it: the write waits past the answer.
    ASSERT_TRUE(server.Admin().Database().transaction());
    ASSERT_EQ(server.Admin().Run("UPDATE volumes SET version = version + 1, description = 'moved'"
                                 " WHERE volume = 'A00009'"),
              0);
    const std::size_t before = voice->spoken.size();
    const milliseconds took = Scan("ACME.LTO9.A00009");
    EXPECT_LT(took, milliseconds(1000)) << "the answer does not wait for the row";
    EXPECT_EQ(doc->scannedCount, 1);
    EXPECT_THAT(SpokenFrom(before), ElementsAre("No-Alloc  slot 20 ")) << "answered as kept";
    EXPECT_EQ(doc->waitingWrites.size(), 1u);
    EXPECT_EQ(Unwritten(), 1u) << "kept in the journal before it was answered";

    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(server.Admin().Database().commit());
    ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(20)));
    logic->OnWriteEnded();  // as the window does when the writer tells it
    const std::string refused = CZARN10RC(kZarnChangedElsewhere).Get();
    EXPECT_THAT(SpokenFrom(before), ElementsAre("No-Alloc  slot 20 ", refused));
    ASSERT_EQ(script.resultLists.size(), 1u) << "listed when it came";
    ASSERT_EQ(script.resultLists[0].size(), 1u);
    EXPECT_EQ(script.resultLists[0][0].result.Code(), kZarnChangedElsewhere);
    EXPECT_EQ(script.resultLists[0][0].text, "ACME.LTO9.A00009");
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(Unwritten(), 0u) << "a refusal is settled: \"&Update Server\" tries it again";
    EXPECT_EQ(StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume = 'A00009'"
                         " AND action <> 'loaded'"),
              0);
}

TEST_P(RealTimeWritesTest, ScansThatCameWhileAWriteWasUnderWayAreWrittenInScanOrderOnce) {
    ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(10)));
    // Another station writing: the store takes no other write until it is done.
    ASSERT_TRUE(server.Admin().Database().transaction());
    ASSERT_EQ(server.Admin().Run(GetParam() == Backend::SQLite
                                     ? "UPDATE customers SET name = 'held' WHERE id = 'BETA'"
                                     : "LOCK TABLE volumes IN EXCLUSIVE MODE"),
              0);
    for (const char *line : {"ACME.LTO9.A00009", "ACME.LTO9.A00001", "ACME.LTO9.C00001"}) {
        EXPECT_LT(Scan(line), milliseconds(1000)) << line;
    }
    EXPECT_EQ(doc->waitingWrites.size(), 3u);
    EXPECT_EQ(Unwritten(), 3u);
    std::this_thread::sleep_for(milliseconds(200));
    ASSERT_TRUE(server.Admin().Database().rollback());
    ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(20)));
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(Unwritten(), 0u);
    EXPECT_EQ(
        StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume IN ('A00009', 'A00001',"
                   " 'C00001') AND action <> 'loaded'"),
        3);
    EXPECT_TRUE(script.resultLists.empty());
    EXPECT_EQ(std::count(voice->spoken.begin(), voice->spoken.end(),
                         "The server cannot be reached: scans are kept and will be written"),
              0)
        << "a server that is slow is no outage";
}

INSTANTIATE_TEST_SUITE_P(BothBackends, RealTimeWritesTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);

}  // namespace
