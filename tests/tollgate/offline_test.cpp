// Real-time scanning while the PostgreSQL server is away: the scans are judged and answered as
// always, the operator hears once that the writes wait, and when the server is back they are
// written in scan order, each once, and the operator is told how many.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <chrono>
#include <thread>

#include "tollgatefixture.h"
#include "zarn30journal.h"
#include "zarn30listsources.h"
#include "zarn30scanning.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::Contains;

namespace {

// A cluster of the test's own, named to the fixture's store before the store is made.
struct OwnClusterAsTestCluster {
    std::unique_ptr<OwnCluster> cluster;
    std::unique_ptr<ScopedEnvironment> host, port;
    OwnClusterAsTestCluster() {
        if (PostgresTestCluster().host.empty()) {
            return;  // no PostgreSQL here: the fixture skips
        }
        cluster = std::make_unique<OwnCluster>();
        host = std::make_unique<ScopedEnvironment>("ZARN_TEST_PGHOST", cluster->Host().c_str());
        port = std::make_unique<ScopedEnvironment>("ZARN_TEST_PGPORT", cluster->Port().c_str());
    }
};

class OfflineScanningTest : protected OwnClusterAsTestCluster, public TollgateFixture {
protected:
    CZARN30Speaker speaker;
    RecordingVoice *voice = nullptr;
    CZARN30Journal journal;
    std::unique_ptr<CZARN30MainLogic> logic;

    void AddToWorld(Store &store) override {
        PutVolume(store, MakeVolume("ACME", "A00010", {"LIB1", 3}, {"VLT1", 30}));
    }
    void SetUp() override {
        TollgateFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(cluster && cluster->Running());
        // A short wait for the connection, so that the test does not sit through the default.
        doc->server.Session()->settings.reconnectWait = std::chrono::milliseconds(300);
        ASSERT_TRUE(doc->server.Logon(0).IsOK(0));
        Rebuild();
        voice = StartRecordingSpeaker(speaker, ui);
        logic = StartRealTimeSession(journal, speaker);
    }
    void TearDown() override {
        logic.reset();
        TollgateFixture::TearDown();
    }
    // The scans, and then the end of the write under way (the answers did not wait for it).
    void Scan(std::initializer_list<const char *> lines) {
        script.scannerLines.assign(lines.begin(), lines.end());
        ASSERT_TRUE(logic->StartScan());
        FinishWrites();
    }
    void FinishWrites() { ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(20))); }
    long long Said(const std::string &text) {
        return std::count(voice->spoken.begin(), voice->spoken.end(), text);
    }
};

TEST_P(OfflineScanningTest, ScansGoOnWhileTheServerIsAwayAndAreWrittenOnceWhenItIsBack) {
    Scan({"ACME.LTO9.A00001"});
    EXPECT_EQ(StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume = 'A00001'"
                         " AND action = 'arrived'"),
              1);
    std::vector<CZARN30JournalScan> kept;
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_TRUE(kept.empty()) << "a scan the store holds needs no record of its own";

    ASSERT_TRUE(cluster->Command("halt"));
    Scan({"ACME.LTO9.A00009", "ACME.LTO9.C00001"});
    EXPECT_EQ(doc->scannedCount, 3) << "every scan judged against the lists and accepted";
    EXPECT_EQ(Said("The server cannot be reached: scans are kept and will be written"), 1)
        << "said once, not for every scan";
    EXPECT_EQ(Said("The server cannot be reached"), 0);
    EXPECT_EQ(doc->waitingWrites.size(), 2u);
    CZARN30ScannedSource done(*doc);
    const std::vector<int> rows = done.Rows({});
    std::vector<std::string> remarks;
    for (int row : rows) {
        remarks.push_back(done.CellText(row, 2) + ": " + done.CellText(row, 8));
    }
    EXPECT_THAT(remarks, Contains("A00009: Waiting for the server")) << "the Done list says so";
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_EQ(kept.size(), 2u) << "the waiting writes are in the journal";

    ASSERT_TRUE(cluster->Command("resume"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the next try is due
    Scan({"ACME.LTO9.A00010"});
    EXPECT_EQ(Said("Server reached again: 3 written, 0 refused"), 1)
        << ::testing::PrintToString(voice->spoken);
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(
        StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume IN ('A00001', 'A00009',"
                   " 'C00001', 'A00010') AND action <> 'loaded'"),
        4)
        << "each scan written once";
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_TRUE(kept.empty());
}

TEST_P(OfflineScanningTest, WaitingWritesReachTheServerWithoutAnotherScan) {
    ASSERT_TRUE(cluster->Command("halt"));
    Scan({"ACME.LTO9.A00009"});
    ASSERT_EQ(doc->waitingWrites.size(), 1u) << ::testing::PrintToString(voice->spoken);
    logic->WriteWaiting();  // what the main window does every few seconds
    FinishWrites();
    EXPECT_EQ(doc->waitingWrites.size(), 1u) << "still away";
    ASSERT_TRUE(cluster->Command("resume"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    logic->WriteWaiting();
    FinishWrites();
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(Said("Server reached again: 1 written, 0 refused"), 1);
    EXPECT_EQ(StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume = 'A00009'"
                         " AND action <> 'loaded'"),
              1);
}

TEST_P(OfflineScanningTest, AutoCompletedVolumesThatCannotBeWrittenAreKeptInTheJournal) {
    ASSERT_TRUE(cluster->Command("halt"));
    CZARN10RCList results;
    EXPECT_EQ(doc->AutoComplete(results), 4) << "every write failed";
    std::vector<CZARN30JournalScan> kept;
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_EQ(kept.size(), 4u) << "what was marked done and not written survives a kill";
}

// The server's processes stopped where they are (as a hung host): the connection stays open
// and nothing answers. No scan waits for it; what was kept is written once when it answers.
TEST_P(OfflineScanningTest, AServerThatStopsAnsweringHoldsUpNoAnswer) {
    ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(10)));  // the writer logged on
    std::vector<std::chrono::steady_clock::time_point> asked;
    script.beforeEachLine = [&]() {
        if (asked.empty()) {
            ASSERT_TRUE(cluster->Command("freeze"));
        }
        asked.push_back(std::chrono::steady_clock::now());
    };
    script.scannerLines = {"ACME.LTO9.A00001", "ACME.LTO9.A00009", "ACME.LTO9.C00001"};
    ASSERT_TRUE(logic->StartScan());
    const auto took = std::chrono::steady_clock::now() - asked.front();
    ASSERT_TRUE(cluster->Command("thaw"));
    EXPECT_LT(took, std::chrono::milliseconds(1500)) << "three answers, none waiting for it";
    EXPECT_EQ(doc->scannedCount, 3);
    EXPECT_THAT(voice->spoken, ::testing::IsSupersetOf({"No-Alloc  slot 7 ", "No-Alloc  slot 20 ",
                                                        "No-Alloc  slot 9 "}));
    std::vector<CZARN30JournalScan> kept;
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_EQ(kept.size(), 3u) << "kept before they were answered";

    FinishWrites();
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(
        StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume IN ('A00001', 'A00009',"
                   " 'C00001') AND action <> 'loaded'"),
        3);
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_TRUE(kept.empty());
}

// "&Update Server" and Auto Complete while the server has stopped answering: their progress
// windows stay live, their Cancel is heard, and nothing scanned is lost or written twice when
// the server answers again.
TEST_P(OfflineScanningTest, WritesThatTheServerDoesNotAnswerCanBeCancelled) {
    doc->settings.block.realTimeUpdate = 0;
    Scan({"ACME.LTO9.A00001", "ACME.LTO9.A00009"});
    ASSERT_EQ(doc->scannedCount, 2);
    ASSERT_TRUE(cluster->Command("freeze"));
    const auto start = std::chrono::steady_clock::now();
    script.cancelProgressAtPoll = 6;
    logic->AutoComplete();
    script.cancelProgressAtPoll = 6;
    ui.Answer(kAnswerYes);  // update verification
    logic->UpdateServer();
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(cluster->Command("thaw"));
    EXPECT_LT(took, std::chrono::seconds(5)) << "cancelled while the server said nothing";
    EXPECT_EQ(doc->scannedCount, 4) << "still scanned, for the next update";
    std::vector<CZARN30JournalScan> kept;
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_EQ(kept.size(), 4u);

    script.cancelProgressAtPoll = 0;
    ui.Answer(kAnswerYes);
    logic->UpdateServer();
    EXPECT_EQ(
        StoreCount("SELECT COUNT(*) FROM movement_history WHERE volume IN ('A00001', 'A00009',"
                   " 'C00001', 'A00010') AND action <> 'loaded'"),
        4)
        << "each written once";
    ASSERT_TRUE(journal.Unwritten(kept));
    EXPECT_TRUE(kept.empty());
}

INSTANTIATE_TEST_SUITE_P(PostgreSQL, OfflineScanningTest,
                         ::testing::Values(::zarn::Backend::PostgreSQL), ::zarn::test::BackendName);

}  // namespace
