// The session journal: what it keeps across a program that never ends cleanly, what it refuses
// to use, and the scans an interrupted session left, offered and written (or set aside) at the
// next log-on, on both stores.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "tollgatefixture.h"
#include "zarn30journal.h"
#include "zarn30scanning.h"
#include "zarn30update.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::Contains;
using ::testing::HasSubstr;

namespace {

CZARN30JournalScan Move(const char *volume, int slot) {
    CZARN30JournalScan scan;
    scan.customer = "ACME";
    scan.media = "LTO9";
    scan.volume = volume;
    scan.repository = "VLT1";
    scan.slot = slot;
    return scan;
}

std::vector<std::string> VolumesOf(CZARN30Journal &journal) {
    std::vector<CZARN30JournalScan> scans;
    EXPECT_TRUE(journal.Unwritten(scans)) << journal.LastError();
    std::vector<std::string> volumes;
    for (const CZARN30JournalScan &scan : scans) {
        volumes.push_back(scan.volume + "@" + std::to_string(scan.slot));
    }
    return volumes;
}

TEST(SessionJournalTest, UnwrittenScansOutliveTheProgramAndASettledSessionLeavesNoFile) {
    TempDir folder;
    const std::string path = (folder.Path() / "state/Quillfen/session.db").string();
    {
        CZARN30Journal journal;
        std::string error;
        ASSERT_TRUE(journal.Open(path, error)) << error;
        for (auto [volume, slot] : {std::pair{"A00001", 7}, {"A00002", 8}, {"A00009", 9}}) {
            CZARN30JournalScan scan = Move(volume, slot);
            ASSERT_TRUE(journal.RecordScan(scan)) << journal.LastError();
        }
        ASSERT_TRUE(journal.Settle({CZARN30Journal::KeyOf("ACME", "LTO9", "A00002")}));
        // No Close: the program is gone as a kill would end it.
    }
    EXPECT_EQ(std::filesystem::status(folder.Path() / "state/Quillfen").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all)
        << "what a station scanned is the station user's own";
    CZARN30Journal next;
    std::string error;
    ASSERT_TRUE(next.Open(path, error)) << error;
    EXPECT_EQ(VolumesOf(next), (std::vector<std::string>{"A00001@7", "A00009@9"}))
        << "in scan order, without the one written";
    next.Close();
    EXPECT_TRUE(std::filesystem::exists(path)) << "kept while anything is unwritten";

    ASSERT_TRUE(next.Open(path, error));
    ASSERT_TRUE(next.Settle({CZARN30Journal::KeyOf("ACME", "LTO9", "A00001"),
                             CZARN30Journal::KeyOf("ACME", "LTO9", "A00009")}));
    next.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

TEST(SessionJournalTest, AJournalThatCannotBeReadIsRefusedWholeAndSetAside) {
    TempDir folder;
    const std::string damaged = folder.WriteFile("damaged.db", std::string(8192, 'x'));
    const std::string foreign = (folder.Path() / "foreign.db").string();
    {
        CZARN30Journal other;
        std::string error;
        ASSERT_TRUE(other.Open(foreign, error));
        CZARN30JournalScan scan = Move("A00001", 1);
        other.RecordScan(scan);
    }
    {
        std::ofstream(foreign, std::ios::in | std::ios::out | std::ios::binary)
                .seekp(60)  // the header's user version: another layout
            << '\x07';
    }
    for (const std::string &path : {damaged, foreign}) {
        CZARN30Journal journal;
        std::string error;
        EXPECT_FALSE(journal.Open(path, error)) << path;
        EXPECT_FALSE(error.empty()) << path;
        std::vector<CZARN30JournalScan> scans;
        EXPECT_FALSE(journal.Unwritten(scans)) << "nothing of it is used";
        EXPECT_TRUE(scans.empty());
        const std::string aside = journal.SetAside();
        EXPECT_THAT(aside, HasSubstr(".aside"));
        EXPECT_TRUE(std::filesystem::exists(aside)) << "kept for whoever must look at it";
        EXPECT_TRUE(VolumesOf(journal).empty()) << "a fresh journal in its place";
    }
}

// A station's session with real-time update off, ended without its server update.
class InterruptedSessionTest : public TollgateFixture {
protected:
    CZARN30Speaker speaker;
    RecordingVoice *voice = nullptr;
    CZARN30Journal journal;
    std::string path;

    void SetUp() override {
        TollgateFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        path = (folder.Path() / "session.db").string();
        std::string error;
        ASSERT_TRUE(journal.Open(path, error)) << error;
        Configure(0);
        voice = StartRecordingSpeaker(speaker, ui);
    }
    void Configure(int realTimeUpdate) {
        doc->journal = &journal;
        doc->settings.block.realTimeUpdate = realTimeUpdate;
        doc->settings.operationType = 1;  // Query
        doc->settings.scanMode = 0;
    }
    // The program started again after the stop: a document of its own, logged on, its tree
    // built from the server as it is now. The journal is the file the stopped one left.
    void NextStart(int realTimeUpdate) {
        doc = std::make_unique<CZARN30Doc>(*profile, ui, CZARN30LogonDetails{});
        doc->server.Session()->settings = server.Settings();
        ASSERT_TRUE(doc->server.Logon(0).IsOK(0));
        Rebuild();
        Configure(realTimeUpdate);
        voice->spoken.clear();
    }
    // The To-Scan list as keys and states ("A00001:1" is scanned).
    std::vector<std::string> Listed() const {
        std::vector<std::string> listed;
        for (const CZARN10TreeVolume *item : doc->toScanList) {
            listed.push_back(std::string(item->volumeSerial) + ":" + std::to_string(item->state));
        }
        return listed;
    }
    // Scans A00001 and A00009 into the vault in a session that is then cut short.
    void ScanAndStop() {
        CZARN30MainLogic logic(*doc, speaker);
        AddLibraryToVault();
        script.scannerLines = {"ACME.LTO9.A00001", "ACME.LTO9.A00009"};
        ASSERT_TRUE(logic.StartScan());
        ASSERT_EQ(doc->scannedCount, 2);
        ASSERT_EQ(VolumesOf(journal), (std::vector<std::string>{"A00001@7", "A00009@20"}));
    }
    long long Written() {
        return StoreCount(
            "SELECT COUNT(*) FROM movement_history WHERE volume IN ('A00001', "
            "'A00009') AND action <> 'loaded'");
    }
};

TEST_P(InterruptedSessionTest, YesRestoresTheListsAndTheServerUpdateWritesEachScanOnce) {
    ScanAndStop();
    const std::vector<std::string> before = Listed();
    ASSERT_EQ(before.size(), 3u);
    NextStart(0);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerYes);
    next.Logon();
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0].text, "Restore the interrupted session: 2 scans not yet written?");
    EXPECT_THAT(voice->spoken, Contains("Interrupted session restored: 3 on the list, 2 scanned"));
    EXPECT_EQ(Listed(), before) << "the same list, in the same order, the same scans";
    EXPECT_EQ(doc->scannedCount, 2);
    EXPECT_EQ(doc->toScanCount, 1);
    EXPECT_EQ(Written(), 0) << "written by the server update, as the session would have been";
    EXPECT_EQ(VolumesOf(journal).size(), 2u);

    ui.Answer(kAnswerYes);  // update verification
    next.UpdateServer();
    EXPECT_EQ(Written(), 2);
    EXPECT_EQ(StoreCount("SELECT current_slot FROM volumes WHERE volume = 'A00009'"
                         " AND current_repository = 'VLT1'"),
              20);
    EXPECT_TRUE(VolumesOf(journal).empty());

    const std::size_t asked = ui.boxes.size();
    next.Logon();  // File > Logon later in the day asks nothing
    EXPECT_EQ(ui.boxes.size(), asked);
}

TEST_P(InterruptedSessionTest, WithRealTimeUpdateTheRestoredWritesGoOnAtOnce) {
    ScanAndStop();
    NextStart(1);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerYes);
    next.Logon();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"A00001:1", "A00009:1", "C00001:0"}));
    ASSERT_TRUE(next.FinishWrites(std::chrono::seconds(20)));
    EXPECT_TRUE(doc->waitingWrites.empty());
    EXPECT_EQ(Written(), 2);
    EXPECT_TRUE(VolumesOf(journal).empty());
    for (const CZARN10TreeVolume *item : doc->toScanList) {
        EXPECT_EQ(item->updated, item->state == 1 ? 1 : 0) << item->volumeSerial;
    }
}

TEST_P(InterruptedSessionTest, TheErrorListAndTheContainersComeBackToo) {
    ScanAndStop();
    {
        CZARN30MainLogic logic(*doc, speaker);
        script.scannerLines = {"ACME.LTO9.NOPE01"};
        ASSERT_TRUE(logic.StartScan());
    }
    const auto errors = [&]() {
        std::vector<std::string> shown;
        for (const CZARN30BadScanItem &error : doc->errorList) {
            shown.push_back(error.GetDisplayKey() + " #" + std::to_string(error.sequence) + " " +
                            error.GetResultText());
        }
        return shown;
    };
    const std::vector<std::string> before = errors();
    ASSERT_FALSE(before.empty());
    doc->SetContainer(3, "ACME.LTO9.BOX003");
    doc->SetContainer(2, "ACME.LTO9.BOX002");
    NextStart(0);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerYes);
    next.Logon();
    EXPECT_EQ(errors(), before);
    EXPECT_EQ(doc->containerNames[3], "ACME.LTO9.BOX003");
    EXPECT_EQ(doc->currentContainerNumber, 2) << "the last one set";
    EXPECT_EQ(doc->currentContainerName, "ACME.LTO9.BOX002");
}

// A journal without the list (or a list whose volumes the server no longer has due): each
// scan is written at once, in scan order, and every answer listed.
TEST_P(InterruptedSessionTest, MovesOfVolumesNotListedAgainAreWrittenAtOnce) {
    ScanAndStop();
    ASSERT_TRUE(journal.ForgetListed(nullptr));
    NextStart(0);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerYes);
    next.Logon();
    EXPECT_THAT(voice->spoken, Contains("Interrupted session: 2 written, 0 refused"));
    EXPECT_EQ(Written(), 2);
    EXPECT_TRUE(VolumesOf(journal).empty());
    ASSERT_EQ(script.resultLists.size(), 1u) << "every answer listed";
    EXPECT_EQ(script.resultLists[0].size(), 2u);
}

TEST_P(InterruptedSessionTest, ScansWrittenJustBeforeTheStopAreNotWrittenTwice) {
    ScanAndStop();
    // Killed in the middle of the server update: the writes reached the store, the journal
    // never heard of it. The volumes are no longer due, so the new tree does not hold them.
    std::vector<CZARN30JournalScan> scans;
    ASSERT_TRUE(journal.Unwritten(scans));
    for (const CZARN30JournalScan &scan : scans) {
        CZARN30VolumeRecord holder(scan.customer, scan.media, scan.volume);
        ASSERT_TRUE(MoveVolume(holder, doc->server, scan.repository, scan.slot, scan.container,
                               scan.scannedOut)
                        .IsOK(0));
    }
    ASSERT_EQ(Written(), 2);
    NextStart(0);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerYes);
    next.Logon();
    EXPECT_THAT(voice->spoken, Contains("Interrupted session restored: 1 on the list, 0 scanned"));
    EXPECT_THAT(voice->spoken, Contains("Interrupted session: 2 written, 0 refused"));
    EXPECT_EQ(Written(), 2) << "each move stored once";
    EXPECT_EQ(Listed(), (std::vector<std::string>{"C00001:0"}));
}

TEST_P(InterruptedSessionTest, MovesOwedToAnotherServerAreNeverWrittenHere) {
    ScanAndStop();
    // The next start logs on to another server (another server id), volumes of the same names.
    ASSERT_EQ(server.Admin().Run("UPDATE meta SET value = 'OTHER-SERVER' WHERE key = 'server_id'"),
              0);
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerOk);
    next.Logon();
    ASSERT_EQ(ui.boxes.size(), 1u) << "no restore question";
    EXPECT_EQ(ui.boxes[0].text,
              "2 scans of an interrupted session are owed to another server; they are kept until "
              "this station logs on to it.");
    EXPECT_EQ(Written(), 0);
    EXPECT_EQ(VolumesOf(journal).size(), 2u);
}

TEST_P(InterruptedSessionTest, NoSetsTheScansAsideAndSaysWhere) {
    ScanAndStop();
    CZARN30MainLogic next(*doc, speaker);
    ui.Answer(kAnswerNo);
    ui.Answer(kAnswerOk);  // where they are kept
    next.Logon();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_THAT(ui.boxes[1].text, HasSubstr("The interrupted session's scans are kept in " + path));
    EXPECT_EQ(Written(), 0);
    EXPECT_TRUE(VolumesOf(journal).empty()) << "a fresh journal for the new session";
}

TEST_P(InterruptedSessionTest, TheServerUpdateSettlesTheJournal) {
    ScanAndStop();
    CZARN30MainLogic logic(*doc, speaker);
    ui.Answer(kAnswerYes);  // update verification
    logic.UpdateServer();
    EXPECT_EQ(Written(), 2);
    EXPECT_TRUE(VolumesOf(journal).empty());
}

ZARN_ON_BOTH_BACKENDS(InterruptedSessionTest);

}  // namespace
