// Scanning runs end to end: scanner lines through the scan dialog, the posted messages, the
// judgement, the speech, and the store afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSqlQuery>

#include <chrono>

#include "packeddate.h"
#include "tollgatefixture.h"
#include "zarn30scanning.h"
#include "zarnfields.h"
#include "zarnmessages.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

class ScanningTest : public TollgateFixture {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    CZARN30Speaker speaker;
    RecordingVoice *voice = nullptr;
    std::unique_ptr<CZARN30MainLogic> logic;

    void AddToWorld(Store &store) override {
        PutZone(store, {3, "VAULT", "Vault", "", "VLT1", "", "", 1, 100, 0});
        store.Run("UPDATE volumes SET next_move_date = ? WHERE volume = 'A00001'",
                  {QVariant::fromValue<qlonglong>(PackDate(2026, 12, 10))});
    }
    void SetUp() override {
        TollgateFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        doc->queryExceptions.SetPath((folder.Path() / "QueryExceptions.txt").string());
        voice = StartRecordingSpeaker(speaker, ui);
        logic = std::make_unique<CZARN30MainLogic>(*doc, speaker);
        logic->Logon();
        voice->spoken.clear();
    }
    void TearDown() override {
        logic.reset();
        TollgateFixture::TearDown();
    }

    void Scan(std::initializer_list<const char *> lines) {
        for (const char *line : lines) {
            script.scannerLines.push_back(line);
        }
    }
    ZARNVOLS Stored(const char *volume) {
        ZARNVOLS record;
        EXPECT_TRUE(doc->server.Get(&record, "ACME", "LTO9", volume).IsOK(0));
        return record;
    }
    std::vector<std::string> Errors() {
        std::vector<std::string> errors;
        for (const CZARN30BadScanItem &item : doc->errorList) {
            errors.push_back(item.GetDisplayKey() + ":" + std::to_string(item.result) + "@" +
                             std::to_string(item.sequence));
        }
        return errors;
    }
};

TEST_P(ScanningTest, PickRunInSequenceWithSkipsContainersAndRealTimeUpdate) {
    AddLibraryToVault();
    doc->settings.operationType = 0;
    doc->settings.scanMode = 0;
    Scan({"ACME.LTO9.A00001", "A00009", "ACME.LTO9.A00009", "!S", "ACME.LTO9.C00001",
          "ACME.LTO9.C00001", "ZZZZ99", "BETA.LTO9.B00001", "!X"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_THAT(voice->spoken, ElementsAre("New Customer", "2 ",    // the first pick: A00009
                                           "Sequence error", "2 ",  // A00001 is not next
                                           "5 ",                    // A00009 picked; A00001 next
                                           "Sequence error", "5 ",  // A00009 again, not next
                                           "Volume skipped",  // A00001 skipped, still expected
                                           "Sequence error", "8 ",  // so C00001 is out of turn
                                           "No remaining volumes in list",  // C00001 picked
                                           "Volume is not on file",  // the dialog's own look-up
                                           "Volume is not in list", "No remaining volumes in list",
                                           "unhandled control character"));
    EXPECT_THAT(Errors(), ElementsAre("ACME.LTO9.A00001:5@1", "ACME.LTO9.A00009:5@3",
                                      "ACME.LTO9.C00001:5@4", "BETA.LTO9.B00001:3@7"));
    EXPECT_EQ(doc->currentContainerNumber, 900);
    EXPECT_EQ(doc->containerNames.at(900), "ACME.LTO9.C00001");
    EXPECT_EQ(doc->scannedCount, 2);
    EXPECT_TRUE(logic->doneFlags & kDoneScanStarted);

    // Written at once: picked from the library, scanned out.
    const ZARNVOLS picked = Stored("A00009");
    EXPECT_TRUE(picked.flags & kZarnVolScannedOut);
    EXPECT_EQ(ReadField(picked.locations[2].repositoryId), "LIB1");
    EXPECT_EQ(Stored("C00001").container, 900) << "a container keeps its own number";

    ui.Answer(kAnswerOk);   // the scan error warning
    ui.Answer(kAnswerYes);  // update verification
    logic->UpdateServer();
    EXPECT_EQ(ui.boxes[0].caption, "Scan Error Warning");
    EXPECT_EQ(ui.boxes[1].text, "Are are sure you want to update the server?");
    ASSERT_EQ(script.resultLists.size(), 1u);
    EXPECT_EQ(script.resultLists[0].size(), 2u);
    EXPECT_TRUE(doc->toScanList.empty());
    EXPECT_TRUE(doc->errorList.empty());

    // The same volumes scanned in at the vault complete their moves.
    Rebuild();
    AddLibraryToVault();
    doc->settings.operationType = 1;
    Scan({"ACME.LTO9.A00009", "ACME.LTO9.C00001"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_EQ(ReadField(Stored("A00009").locations[0].repositoryId), "VLT1");
    EXPECT_FALSE(Stored("A00009").flags & (kZarnVolScannedOut | kZarnVolDueToMove));
    Rebuild();
    EXPECT_EQ(doc->treeRoot->customers.at("ACME")->media.at("LTO9")->volumes.size(), 1u)
        << "only A00001 is still due to move";
    QSqlQuery history(server.Admin().Database());
    server.Admin().Run(history,
                       "SELECT action FROM movement_history WHERE volume = 'A00009' ORDER BY id");
    std::vector<std::string> actions;
    while (history.next()) {
        actions.push_back(history.value(0).toString().toStdString());
    }
    EXPECT_THAT(actions, ElementsAre("loaded", "picked", "arrived"));
}

TEST_P(ScanningTest, PickPromptsForZoneAndSlotAndRepeats) {
    AddLibraryToVault();
    doc->settings.operationType = 0;
    doc->settings.scanMode = 2;
    doc->settings.noSequence = 1;
    doc->settings.block.pickText = "Zone $PZONE slot $PSLOT volume $VOL";
    Scan({"ACME.LTO9.A00001", "Z:1", "S:5", "ACME.LTO9.A00001", "!R", "!C"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_THAT(voice->spoken,
                ElementsAre("New Customer", "Please scan new Zone LIB-A",
                            "Please scan new Zone LIB-A",  // A00001 judged: zone first
                            "Please scan new Slot 2",      // zone 1 set; announce A00009
                            "Please scan new Slot 2",      // slot 5 set; still A00009 next
                            "Please scan new Slot 2",      // A00001 in any order: picked
                            "Volume Repeated", "Please scan new Slot 2",
                            "Current container set to no container"));
    EXPECT_EQ(logic->zonePane, "Zone 1");
    EXPECT_EQ(logic->slotPane, "Slot 5");
    EXPECT_EQ(doc->toScanList[1]->state, 1) << "A00001 at slot 5 was picked out of order";

    doc->settings.scanMode = 1;
    voice->spoken.clear();
    logic->AnnounceNextPick();
    // Every substituted value ends in its own space.
    EXPECT_THAT(voice->spoken, ElementsAre("Zone LIB-A  slot 2  volume A00009 "));

    // Any mode above 2 asks for the zone and the slot, as mode 2 does.
    doc->settings.scanMode = 7;
    doc->currentZone = 0;
    logic->AnnounceNextPick();
    doc->currentZone = 1;
    doc->currentSlot = 0;
    logic->AnnounceNextPick();
    EXPECT_THAT(voice->spoken, ElementsAre("Zone LIB-A  slot 2  volume A00009 ",
                                           "Please scan new Zone LIB-A", "Please scan new Slot 2"));
}

TEST_P(ScanningTest, ControlCharactersAndWarningSwitches) {
    Scan({"!0", "!1", "!2", "!D", "!D", "!W", "!W", "!W", "!D", "!s"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_THAT(
        voice->spoken,
        ElementsAre("Scan Mode set to volume only", "Scan Mode set to zone and volume",
                    "Scan Mode set to zone, slot and volume", "Disabling duplicate scan warning",
                    "Enabling duplicate scan warning", "Disabling not in list warning",
                    "Enabling not in list warning", "Disabling not in list warning",
                    "Disabling duplicate scan warning", "unhandled control character"));
    EXPECT_EQ(doc->settings.scanMode, 2);
    voice->spoken.clear();
    AddLibraryToVault();
    doc->settings.scanMode = 0;
    Scan({"BETA.LTO9.B00001", "ACME.LTO9.A00001", "ACME.LTO9.A00001"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_THAT(voice->spoken, ElementsAre("Please note: not in list warning is disabled",
                                           "Please note: duplicate scan warning is disabled",
                                           "VAULT  slot 3 ", "VAULT  slot 7 ", "VAULT  slot 7 "))
        << "silent rejections, still listed";
    EXPECT_THAT(Errors(), ElementsAre("BETA.LTO9.B00001:3@1", "ACME.LTO9.A00001:4@3"));
}

TEST_P(ScanningTest, QueryRunSpeaksLocationsAndRefusesExceptions) {
    AddLibraryToVault();
    folder.WriteFile("QueryExceptions.txt", "# volumes leaving the library\nACME,LTO*,*,LIB1,*\n");
    ui.Answer(kAnswerOk);
    EXPECT_FALSE(logic->StartScan());
    EXPECT_EQ(ui.boxes.back().caption, "Query Exception Mismatch");
    EXPECT_EQ(ui.boxes.back().text,
              "You are in Query Mode and have 3 volumes selected that match the Query Exception "
              "Criteria");
    EXPECT_TRUE(script.scanLog.empty()) << "the scan did not start";

    folder.WriteFile("QueryExceptions.txt", "BETA,*,*,*,*\n");
    doc->settings.dateWarning = 5;
    Scan({"ACME.LTO9.A00001", "Z:3", "ACME.LTO9.A00001", "ACME.LTO9.A00001", "!0",
          "ACME.LTO9.A00002", "ACME.LTO9.NEW999"});
    ASSERT_TRUE(logic->StartScan());
    EXPECT_THAT(voice->spoken,
                ElementsAre("Please scan new Zone VAULT",                   // zone first
                            "Warning 3 days until move", "VAULT  slot 7 ",  // listed
                            "Volume already scanned", "Warning 3 days until move", "VAULT  slot 7 ",
                            "Scan Mode set to volume only", "Volume is not in list",
                            "LIB-A  slot 6 ",                                    // not listed
                            "Volume is not in list", "Volume is not on file"));  // not held
    EXPECT_THAT(Errors(), ElementsAre("ACME.LTO9.A00001:4@3", "ACME.LTO9.A00002:3@4",
                                      "ACME.LTO9.NEW999:3@5", "ACME.LTO9.NEW999:2@5"));
}

TEST_P(ScanningTest, AVolumeMovedSinceTheTreeWasBuiltIsALocationError) {
    ZARNVOLSEx record;
    ASSERT_TRUE(doc->server.Get(&record, "ACME", "LTO9", "A00001").IsOK(0));
    record.locations[0].slot = 77;
    ASSERT_TRUE(doc->server.Update(&record).IsOK(0));
    AddLibraryToVault();
    EXPECT_EQ(doc->changedLocationCount, 1);
    doc->settings.scanMode = 0;
    Scan({"ACME.LTO9.A00001"});
    logic->StartScan();
    EXPECT_THAT(voice->spoken, ElementsAre("Location error"));
    EXPECT_THAT(Errors(), ElementsAre("ACME.LTO9.A00001:6@1"));
    EXPECT_EQ(doc->toScanList[0]->state, 0);
}

TEST_P(ScanningTest, ScanToSlotNeedsTwoScansAtTheSameZoneAndSlot) {
    Scan({"ACME.LTO9.A00002", "Z:1", "ACME.LTO9.A00002", "S:30", "ACME.LTO9.A00002",
          "ACME.LTO9.A00001", "ACME.LTO9.A00001", "Z:2", "ACME.LTO9.A00002"});
    logic->ScanToSlot();
    EXPECT_EQ(script.scanLog.front(), "open:Scan to Slot");
    EXPECT_THAT(voice->spoken,
                ElementsAre("You have no current Zone", "You have no current Slot",
                            "Please scan to confirm that you want to slot into zone LIB-A slot 30",
                            "Please scan to confirm that you want to slot into zone LIB-A slot 30",
                            "Volume slotted",
                            "Please scan to confirm that you want to slot into zone ACME-CAGE "
                            "slot 30"));
    EXPECT_EQ(ReadField(Stored("A00001").locations[0].repositoryId), "LIB1");
    EXPECT_EQ(Stored("A00001").locations[0].slot, 30);
    EXPECT_EQ(Stored("A00002").locations[0].slot, 6) << "replaced before it was confirmed";
}

TEST_P(ScanningTest, SlotAllocationScanKeepsTheCurrentRepository) {
    ZARNVOLSEx record;
    ASSERT_TRUE(doc->server.Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.flags |= kZarnVolSlotAllocated;
    ASSERT_TRUE(doc->server.Update(&record).IsOK(0));
    Scan({"ACME.LTO9.A00002", "ZZZZ99"});
    logic->SlotAllocationScan();
    ASSERT_EQ(script.resultLists.size(), 1u);
    EXPECT_EQ(script.resultLists[0][0].text, "ACME.LTO9.A00002");
    EXPECT_EQ(script.resultLists[0][0].result.Code(), kZarnOK);
    EXPECT_EQ(script.resultLists[0][1].text, "Unknown");
    EXPECT_EQ(script.resultLists[0][1].result.Code(), kZarnVolumeNotFound);
    const ZARNVOLS stored = Stored("A00002");
    EXPECT_FALSE(stored.flags & kZarnVolSlotAllocated);
    EXPECT_EQ(ReadField(stored.locations[0].repositoryId), "LIB1");
    EXPECT_EQ(stored.locations[0].slot, 6);
}

class HintRecorder : public View {
public:
    std::vector<intptr_t> hints;
    void OnUpdate(View *, intptr_t hint) override { hints.push_back(hint); }
};

TEST_P(ScanningTest, CommandsSetTheirDoneFlagsAndHints) {
    HintRecorder views;
    doc->AddView(&views);
    logic->BuildUpdate();
    EXPECT_EQ(logic->doneFlags, kDoneTreeBuilt);
    EXPECT_THAT(views.hints, ElementsAre(kHintConnectionChanged));
    AddLibraryToVault();
    doc->unprinted = 1;
    EXPECT_FALSE(logic->PrintReceipts()) << "no printer";
    EXPECT_EQ(logic->doneFlags, kDoneTreeBuilt | kDoneReceiptsPrinted);
    EXPECT_EQ(doc->unprinted, 1);
    logic->AutoComplete();
    EXPECT_EQ(doc->scannedCount, 3);
    logic->ClearSelected();
    EXPECT_TRUE(doc->toScanList.empty());
    EXPECT_EQ(views.hints.back(), kHintListsChanged);
    logic->Logoff();
    EXPECT_FALSE(doc->server.IsLoggedOn());
    logic->Logon();
    EXPECT_TRUE(doc->server.IsLoggedOn());
    doc->RemoveView(&views);
}

TEST_P(ScanningTest, FailedUpdatesStayScannedAndAreRetried) {
    AddLibraryToVault();
    doc->settings.scanMode = 0;
    doc->settings.block.realTimeUpdate = 0;
    Scan({"ACME.LTO9.A00001", "ACME.LTO9.A00009"});
    logic->StartScan();
    EXPECT_EQ(doc->toScanList[0]->updated, 0);
    server.Admin().Run("DELETE FROM volumes WHERE volume = 'A00009'");  // gone meanwhile

    ui.Answer(kAnswerYes);
    logic->UpdateServer();
    ASSERT_EQ(script.resultLists.size(), 1u);
    EXPECT_EQ(script.resultLists[0][1].result.Code(), kZarnVolumeNotFound);
    ASSERT_EQ(doc->toScanList.size(), 1u);
    EXPECT_STREQ(doc->toScanList[0]->volumeSerial, "A00009");
    EXPECT_EQ(doc->toScanList[0]->state, 1);
    EXPECT_EQ(doc->CountUnprocessed(nullptr, nullptr), 1) << "the exit warning still counts it";
    EXPECT_EQ(ReadField(Stored("A00001").locations[0].repositoryId), "VLT1");

    ui.Answer(kAnswerYes);
    logic->UpdateServer();
    EXPECT_EQ(script.resultLists.size(), 2u) << "tried again";
    EXPECT_EQ(doc->toScanList.size(), 1u);

    script.cancelResultLists = true;
    ui.Answer(kAnswerYes);
    ui.Answer(kAnswerNo);
    logic->UpdateServer();
    EXPECT_EQ(ui.boxes.back().caption, "Result List Cancelled?");
    EXPECT_EQ(doc->toScanList.size(), 1u) << "No keeps everything";
}

TEST_P(ScanningTest, AVolumeTheStoreRefusesDoesNotHoldUpTheRestOfTheUpdate) {
    AddLibraryToVault();
    doc->settings.scanMode = 0;
    doc->settings.block.realTimeUpdate = 0;
    Scan({"ACME.LTO9.A00001", "ACME.LTO9.A00009", "ACME.LTO9.C00001"});
    logic->StartScan();
    ASSERT_TRUE(server.RefuseUpdatesOf("A00009"));

    ui.Answer(kAnswerYes);
    logic->UpdateServer();
    ASSERT_EQ(script.resultLists.size(), 1u);
    const auto &listed = script.resultLists[0];
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(listed[0].result.IsOK(0));
    EXPECT_EQ(listed[1].result.Code(), kZarnDatabaseError) << "the list says which one failed";
    EXPECT_TRUE(listed[2].result.IsOK(0));
    ASSERT_EQ(doc->toScanList.size(), 1u) << "only the refused volume is kept for a retry";
    EXPECT_STREQ(doc->toScanList[0]->volumeSerial, "A00009");
    EXPECT_EQ(doc->toScanList[0]->updated, 0);
    EXPECT_EQ(ReadField(Stored("A00001").locations[2].repositoryId), "VLT1");
    EXPECT_EQ(ReadField(Stored("C00001").locations[2].repositoryId), "VLT1");
    EXPECT_EQ(Stored("A00009").version, 1u);
}

TEST_P(ScanningTest, AFailedWriteNeverLeavesAScanMarkedUpdated) {
    AddLibraryToVault();
    doc->settings.operationType = 0;
    doc->settings.scanMode = 0;
    doc->settings.noSequence = 1;
    Scan({"ACME.LTO9.A00001"});
    logic->StartScan();
    ASSERT_EQ(doc->FindItem("ACMELTO9A00001\0\0\0\0")->updated, 1);
    logic->ClearSelected();  // listed again: the node remembers its earlier update
    AddLibraryToVault();
    server.Admin().Run("DELETE FROM volumes WHERE volume = 'A00001'");  // gone meanwhile
    voice->spoken.clear();
    Scan({"ACME.LTO9.A00001"});
    logic->StartScan();
    // The scan is accepted and listed, and the operator hears that it did not reach the store.
    EXPECT_THAT(voice->spoken, Contains("Volume is not on file"));
    CZARN10TreeVolume *item = doc->FindItem("ACMELTO9A00001\0\0\0\0");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->state, 1);
    EXPECT_EQ(item->updated, 0);
    EXPECT_EQ(doc->CountUnprocessed(nullptr, nullptr), 1) << "the exit warning counts it";

    ui.Answer(kAnswerYes);
    logic->UpdateServer();
    EXPECT_EQ(script.resultLists.back()[0].result.Code(), kZarnVolumeNotFound);
    EXPECT_TRUE(doc->InToScanList(item)) << "kept for the next update";
}

// The write goes on the writer's own connection: the window's asks the server nothing.
TEST_P(ScanningTest, ARealTimeScanIsWrittenOnceOffTheWindowsConnection) {
    AddLibraryToVault();
    doc->settings.operationType = 1;  // Query
    doc->settings.scanMode = 0;
    doc->settings.block.realTimeUpdate = 1;
    // As the scan dialog posts a scan once its own look-up is done.
    const auto scan = [&](const char *volume) {
        ZARN10BARCODEPARSED parsed{};
        WriteField(parsed.customerId, "ACME");
        WriteField(parsed.mediaId, "LTO9");
        WriteField(parsed.volume, volume);
        parsed.kind = kZarnBarCodeVolume;
        PostWindowMessage(logic.get(), {kMsgVolumeScanned, kZarnOK, 0, parsed});
        QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(logic->FinishWrites(std::chrono::seconds(10)));
    };
    scan("A00009");
    const uint32_t version = Stored("A00001").version;
    const uint64_t readsBefore = doc->server.Session()->store->ReadsRun();
    scan("A00001");
    EXPECT_EQ(doc->server.Session()->store->ReadsRun() - readsBefore, 0u);
    EXPECT_THAT(voice->spoken, ElementsAre("VAULT  slot 20 ", "VAULT  slot 7 "));
    EXPECT_TRUE(doc->waitingWrites.empty());
    const ZARNVOLS written = Stored("A00001");
    EXPECT_EQ(written.version, version + 1);
    EXPECT_EQ(ReadField(written.locations[0].repositoryId), "VLT1");
    QSqlQuery history(server.Admin().Database());
    ASSERT_TRUE(
        history.exec("SELECT COUNT(*) FROM movement_history WHERE volume = 'A00001'"
                     " AND action <> 'loaded'"));
    ASSERT_TRUE(history.next());
    EXPECT_EQ(history.value(0).toInt(), 1);
}

TEST_P(ScanningTest, OnlyAContainerScanOrCChangesAVolumesContainer) {
    server.Admin().Run("UPDATE volumes SET container = 900 WHERE volume IN ('A00001', 'A00009')");
    AddLibraryToVault();
    doc->settings.scanMode = 0;
    Scan({"ACME.LTO9.A00001"});  // Query
    logic->StartScan();
    EXPECT_EQ(Stored("A00001").container, 900);
    EXPECT_EQ(ReadField(Stored("A00001").locations[0].repositoryId), "VLT1") << "it was written";

    doc->settings.operationType = 0;
    doc->settings.noSequence = 1;
    Scan({"ACME.LTO9.A00009", "!C", "ACME.LTO9.C00001"});  // picked with no container chosen
    logic->StartScan();
    EXPECT_EQ(Stored("A00009").container, 900);
    EXPECT_EQ(Stored("C00001").container, 900) << "a container keeps its own number";
    doc->ResetLists(0);
    AddLibraryToVault();
    Scan({"!C", "ACME.LTO9.A00009"});
    logic->StartScan();
    EXPECT_EQ(Stored("A00009").container, 0) << "'C': explicitly no container";
}

TEST_P(ScanningTest, AnUnreadableLocationIsSpokenAndTheScanNotAccepted) {
    server.Admin().Run("DELETE FROM volumes WHERE volume = 'A00009'");
    AddLibraryToVault();
    ASSERT_EQ(doc->toScanList[1]->locationFetched, 0);
    Scan({"ACME.LTO9.A00009", "!0", "ACME.LTO9.A00009"});  // zone and volume, then volume only
    logic->StartScan();
    EXPECT_THAT(voice->spoken, ElementsAre("Volume is not on file", "Scan Mode set to volume only",
                                           "Volume is not on file"));
    EXPECT_EQ(doc->toScanList[1]->state, 0);
    EXPECT_EQ(doc->scannedCount, 0);
    EXPECT_TRUE(doc->errorList.empty());

    doc->settings.operationType = 0;
    doc->settings.scanMode = 1;
    voice->spoken.clear();
    doc->toScanList[0]->state = 2;  // A00001 skipped: A00009 is the next pick
    logic->AnnounceNextPick();
    EXPECT_THAT(voice->spoken, ElementsAre("New Customer", "Volume is not on file"));
}

TEST_P(ScanningTest, ScanToSlotConfirmsOnlyAtTheSameZoneAndSlot) {
    Scan({"Z:1", "S:30", "ACME.LTO9.A00002", "S:40", "ACME.LTO9.A00002", "ACME.LTO9.A00002"});
    logic->ScanToSlot();
    EXPECT_THAT(voice->spoken,
                ElementsAre("Please scan to confirm that you want to slot into zone LIB-A slot 30",
                            "Please scan to confirm that you want to slot into zone LIB-A slot 40",
                            "Volume slotted"));
    EXPECT_EQ(Stored("A00002").locations[0].slot, 40);

    // A confirmation asked for in one Scan to Slot does not carry into the next.
    voice->spoken.clear();
    Scan({"Z:1", "S:50", "ACME.LTO9.A00001"});
    logic->ScanToSlot();
    Scan({"Z:1", "S:50", "ACME.LTO9.A00001"});
    logic->ScanToSlot();
    EXPECT_THAT(
        voice->spoken,
        ElementsAre("Please scan to confirm that you want to slot into zone LIB-A slot 50",
                    "Please scan to confirm that you want to slot into zone LIB-A slot 50"));
    EXPECT_EQ(Stored("A00001").locations[0].slot, 5);
}

TEST_P(ScanningTest, ACancelledScanDialogDoesNotStopTheNextTreeBuild) {
    script.closeWithCancel = true;
    Scan({"!0"});
    logic->StartScan();
    Rebuild();
    EXPECT_EQ(doc->treeRoot->customers.size(), 2u);
}

TEST_P(ScanningTest, AutoCompleteShowsTheVolumesItCouldNotWrite) {
    AddLibraryToVault();
    logic->AutoComplete();
    EXPECT_TRUE(script.resultLists.empty()) << "nothing to report";
    logic->ClearSelected();
    AddLibraryToVault();
    server.Admin().Run("DELETE FROM volumes WHERE volume = 'C00001'");
    logic->AutoComplete();
    ASSERT_EQ(script.resultLists.size(), 1u);
    EXPECT_EQ(script.resultLists[0][2].result.Code(), kZarnVolumeNotFound);
}

ZARN_ON_BOTH_BACKENDS(ScanningTest);

}  // namespace
