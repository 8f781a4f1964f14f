// The Tollgate document on a fixture store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tollgatefixture.h"
#include "zarnfields.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class RecordingPrinter : public ReceiptPrinter {
public:
    std::vector<std::string> runs;
    bool prints = true;  // false: cancelled, or no printer
    bool Print(const std::vector<const CZARN10TreeVolume *> &volumes, const std::string &header,
               const std::string &footer) override {
        if (!prints) {
            return false;
        }
        std::string run = header + "|" + footer + ":";
        for (const CZARN10TreeVolume *volume : volumes) {
            run += " " + (volume->blankEntry ? "blank " + volume->GetMediaId()
                                             : std::string(volume->volumeSerial));
        }
        runs.push_back(run);
        return true;
    }
};

class DocumentTest : public TollgateFixture {
protected:
    ZARNVOLS Stored(const char *volume) {
        ZARNVOLS record;
        EXPECT_TRUE(doc->server.Get(&record, "ACME", "LTO9", volume).IsOK(0)) << volume;
        return record;
    }
    std::vector<std::string> Serials() {
        std::vector<std::string> serials;
        for (const CZARN10TreeVolume *item : doc->toScanList) {
            serials.push_back(item->volumeSerial);
        }
        return serials;
    }
};

TEST_P(DocumentTest, ConstructionDefaults) {
    EXPECT_EQ(doc->currentContainerNumber, -1);
    EXPECT_EQ(doc->settings.scanMode, 1);
    EXPECT_EQ(doc->settings.operationType, 1);
    EXPECT_EQ(doc->expectedPick, nullptr);
    EXPECT_EQ(doc->server.Session()->programId, 3);
}

TEST_P(DocumentTest, ARepositoryAddedTwiceAddsEachVolumeOnce) {
    // A00009 moved on the server after the tree was built.
    ZARNVOLSEx record;
    ASSERT_TRUE(doc->server.Get(&record, "ACME", "LTO9", "A00009").IsOK(0));
    record.locations[0].slot = 3;
    ASSERT_TRUE(doc->server.Update(&record).IsOK(0));

    EXPECT_EQ(AddLibraryToVault(), 1);
    EXPECT_EQ(AddLibraryToVault(), 1);
    EXPECT_THAT(Serials(), ElementsAre("A00001", "A00009", "C00001"));
    EXPECT_EQ(doc->toScanCount, 3);
    EXPECT_EQ(doc->changedLocationCount, 1);
    EXPECT_TRUE(doc->toScanList[0]->locationFetched);
    EXPECT_EQ(doc->toScanList[0]->GetLocationText(1), "LIB-A");
    EXPECT_THAT(script.progressLog, testing::Contains("line1:Adding Repository ACME.LTO9.LIB1"));
    EXPECT_EQ(script.progressLog.back(), "line2:Resolving volume 3 of 3");
}

TEST_P(DocumentTest, FiltersAddOnlyTickedPairs) {
    doc->filters.LoadDirections(*doc->treeRoot);
    EXPECT_EQ(AddLibraryToVault(1), 1);
    EXPECT_TRUE(doc->toScanList.empty());
    doc->filters.directions[0].checked = 1;  // LIB1 -> VLT1
    EXPECT_EQ(AddLibraryToVault(1), 1);
    EXPECT_EQ(doc->toScanList.size(), 3u);
}

TEST_P(DocumentTest, ACancelledAddKeepsWhatWasAdded) {
    script.cancelProgressAtPoll = 2;
    EXPECT_EQ(AddLibraryToVault(), 0);
    EXPECT_EQ(doc->toScanList.size(), 1u);
}

TEST_P(DocumentTest, PicksSkipsAndRemovals) {
    AddLibraryToVault();
    EXPECT_EQ(doc->FirstUnscanned()->GetDisplayKey(), "ACME.LTO9.A00001");
    doc->SkipNext();
    EXPECT_EQ(doc->toScanList[0]->state, 2);
    doc->expectedPick = doc->FirstUnscanned();
    EXPECT_EQ(doc->expectedPick, doc->toScanList[1]);
    doc->RemoveItem(doc->expectedPick, 0);
    EXPECT_EQ(doc->expectedPick, nullptr);
    EXPECT_EQ(doc->toScanCount, 2);
    EXPECT_EQ(doc->FirstUnscanned()->GetDisplayKey(), "ACME.LTO9.C00001");
    EXPECT_EQ(AddLibraryToVault(), 1) << "a removed volume can be added again";
    EXPECT_EQ(doc->toScanList.size(), 3u);

    doc->ResetLists(1);
    EXPECT_TRUE(doc->toScanList.empty());
    EXPECT_EQ(LibraryToVault().volumes[0]->state, 2) << "states kept for a rebuild";
    EXPECT_EQ(doc->FirstUnscanned(), nullptr);
}

TEST_P(DocumentTest, ExitAsksOnlyAboutScansNotYetOnTheServer) {
    AddLibraryToVault();
    EXPECT_TRUE(doc->CanExit());
    doc->toScanList[0]->state = 1;
    ui.Answer(kAnswerNo);
    EXPECT_FALSE(doc->CanExit());
    EXPECT_EQ(ui.boxes.back().caption, "Unprocessed Warning");
    EXPECT_EQ(ui.boxes.back().text,
              "If you exit now you will lose 1 scanned volumes, are you sure you want to exit?");

    doc->toScanList[0]->updated = 1;  // written at once by the real-time update
    doc->unprinted = 1;
    ui.Answer(kAnswerYes);
    EXPECT_TRUE(doc->CanRebuild());
    EXPECT_EQ(ui.boxes.back().caption, "Unprinted Warning");
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_P(DocumentTest, AutoCompleteWritesEveryUnscannedItem) {
    AddLibraryToVault();
    doc->settings.operationType = 0;  // Pick
    doc->toScanList[2]->state = 2;    // skipped: left alone
    CZARN10RCList results;
    EXPECT_EQ(doc->AutoComplete(results), 0);
    EXPECT_EQ(results.Entries().size(), 2u);
    EXPECT_EQ(doc->toScanList[0]->state, 1);
    EXPECT_EQ(doc->toScanList[0]->updated, 1);
    EXPECT_EQ(doc->toScanList[2]->state, 2);
    EXPECT_EQ(doc->scannedCount, 2);
    EXPECT_EQ(doc->toScanCount, 1);
    EXPECT_TRUE(Stored("A00001").flags & kZarnVolScannedOut);
    EXPECT_EQ(ReadField(Stored("A00001").locations[2].repositoryId), "LIB1");
    EXPECT_EQ(Stored("A00001").container, 0) << "no container was scanned: left as it was";
}

TEST_P(DocumentTest, AutoCompleteWritesItemsUpdatedInAnEarlierRun) {
    AddLibraryToVault();
    doc->settings.operationType = 0;
    CZARN10RCList picked;
    doc->AutoComplete(picked);
    doc->ResetLists(0);  // the picked volumes listed again for their arrival
    AddLibraryToVault();
    doc->settings.operationType = 1;
    CZARN10RCList arrived;
    EXPECT_EQ(doc->AutoComplete(arrived), 0);
    EXPECT_EQ(arrived.Entries().size(), 3u);
    EXPECT_EQ(ReadField(Stored("A00001").locations[0].repositoryId), "VLT1");
    EXPECT_EQ(Stored("A00001").locations[0].slot, 7);
}

TEST_P(DocumentTest, AutoCompleteReportsWhatItCouldNotWrite) {
    AddLibraryToVault();
    server.Admin().Run("DELETE FROM volumes WHERE volume = 'A00009'");
    CZARN10RCList results;
    EXPECT_EQ(doc->AutoComplete(results), 1);
    ASSERT_EQ(results.Entries().size(), 3u);
    EXPECT_EQ(results.Entries()[1].text, "ACME.LTO9.A00009");
    EXPECT_EQ(results.Entries()[1].result.Code(), kZarnVolumeNotFound);
    EXPECT_EQ(doc->toScanList[1]->updated, 0);
    EXPECT_EQ(doc->CountUnprocessed(nullptr, nullptr), 1);
}

TEST_P(DocumentTest, AnItemShownAgainByTheFiltersIsPickedInItsTurn) {
    AddLibraryToVault();
    const auto notA00001 = [](const CZARN10TreeVolume &item) {
        return std::string(item.volumeSerial) != "A00001";
    };
    EXPECT_EQ(doc->FilterToScan(notA00001).size(), 2u);
    EXPECT_EQ(doc->toScanList[0]->state, 3);
    EXPECT_EQ(doc->FirstUnscanned()->GetDisplayKey(), "ACME.LTO9.A00009");
    EXPECT_EQ(doc->FilterToScan([](const CZARN10TreeVolume &) { return true; }).size(), 3u);
    EXPECT_EQ(doc->toScanList[0]->state, 0);
    EXPECT_EQ(doc->FirstUnscanned()->GetDisplayKey(), "ACME.LTO9.A00001");
    doc->toScanList[1]->state = 1;
    EXPECT_EQ(doc->FilterToScan(notA00001).size(), 1u) << "a scanned item is not a To-Scan row";
    EXPECT_EQ(doc->toScanList[1]->state, 1);
}

TEST_P(DocumentTest, ContainersErrorsBlankShipListsAndReceipts) {
    std::string shown;
    doc->showContainer = [&](const std::string &text) { shown = text; };
    doc->SetContainer(900, "ACME.LTO9.C00001");
    EXPECT_EQ(shown, "ACME.LTO9.C00001");
    doc->SetContainer(0, "");
    EXPECT_EQ(shown, "None set");
    EXPECT_EQ(doc->containerNames.at(900), "ACME.LTO9.C00001");
    EXPECT_EQ(doc->currentContainerName, "ACME.LTO9.C00001");

    doc->scanSequence = 7;
    doc->AddBadScan("ACMELTO9ZZ\0\0\0\0\0\0\0\0", 3);
    EXPECT_EQ(doc->errorList[0].GetDisplayKey(), "ACME.LTO9.ZZ");
    EXPECT_EQ(doc->errorList[0].sequence, 7);
    EXPECT_STREQ(doc->errorList[0].GetResultText(), "Volume is not in list");
    EXPECT_STREQ(ScanResultText(7), "Unknown reason");
    EXPECT_STREQ(ScanResultText(255), "Unknown reason");

    RecordingPrinter printer;
    doc->receiptPrinter = &printer;
    doc->settings.block.receiptHeader = "h.bmp";
    doc->settings.block.receiptFooter = "f.bmp";
    doc->QueueBlankShipList(doc->treeRoot->customers.at("ACME")->media.at("LTO8").get());
    EXPECT_TRUE(doc->PrintBlankShipListQueue());
    EXPECT_TRUE(doc->blankShipListQueue.empty());
    AddLibraryToVault();
    doc->toScanList[1]->state = 2;
    doc->unprinted = 1;
    EXPECT_TRUE(doc->PrintReceipts());
    EXPECT_THAT(printer.runs, ElementsAre("h.bmp|f.bmp: blank LTO8", "h.bmp|f.bmp: A00001 C00001"));
    EXPECT_EQ(doc->unprinted, 0);
}

TEST_P(DocumentTest, ReceiptsNotPrintedStayOwed) {
    AddLibraryToVault();
    doc->unprinted = 1;
    EXPECT_FALSE(doc->PrintReceipts()) << "no printer";
    EXPECT_EQ(doc->unprinted, 1);
    RecordingPrinter printer;
    printer.prints = false;  // the operator cancelled the print dialog
    doc->receiptPrinter = &printer;
    doc->QueueBlankShipList(doc->treeRoot->customers.at("ACME")->media.at("LTO8").get());
    EXPECT_FALSE(doc->PrintReceipts());
    EXPECT_FALSE(doc->PrintBlankShipListQueue());
    EXPECT_EQ(doc->unprinted, 1);
    EXPECT_EQ(doc->blankShipListQueue.size(), 1u);
    printer.prints = true;
    EXPECT_TRUE(doc->PrintBlankShipListQueue());
    EXPECT_TRUE(doc->blankShipListQueue.empty());
}

TEST_P(DocumentTest, SettingsAreWrittenBackWhenTheDocumentGoes) {
    doc->settings.scanMode = 2;
    doc->settings.block.alreadyScannedDisabled = 1;
    doc.reset();
    Profile again("ZARNTollgate");
    EXPECT_EQ(again.GetInt("Settings", "ScanMode", -1), 2);
    EXPECT_EQ(again.GetInt("Options", "AlreadyScannedDisabled", -1), 1);
}

ZARN_ON_BOTH_BACKENDS(DocumentTest);

// Items made by hand: the pick order only reads ids, slots and fetched locations.
class SortTest : public ::testing::Test {
protected:
    std::vector<CZARN10TreeVolume> items;
    TempDir folder;
    ScriptedUiServices ui;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARN30Doc> doc;

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        profile = std::make_unique<Profile>("ZARNTollgate");
        doc = std::make_unique<CZARN30Doc>(*profile, ui, CZARN30LogonDetails{});
    }
    void Add(const char *serial, const char *zone, int zoneSlot, int originSlot, bool fetched) {
        CZARN10TreeVolume &item = items.emplace_back();
        std::strcpy(item.volumeSerial, serial);
        WriteField(item.location.blocks[1].zoneName, zone);
        item.location.blocks[1].zoneSlot = zoneSlot;
        item.originSlot = originSlot;
        item.locationFetched = fetched ? 1 : 0;
    }
    std::vector<std::string> Sorted(int mode) {
        doc->toScanList.clear();
        for (CZARN10TreeVolume &item : items) {
            doc->toScanList.push_back(&item);
        }
        doc->SortToScan(mode);
        std::vector<std::string> serials;
        for (const CZARN10TreeVolume *item : doc->toScanList) {
            serials.push_back(item->volumeSerial);
        }
        return serials;
    }
};

TEST_F(SortTest, PickOrderFollowsZonesAndSlotsWithLevels) {
    items.reserve(8);
    Add("V1", "ZONE-B", 5, 0, true);
    Add("V2", "ZONE-A", 40, 0, true);
    Add("V3", "ZONE-A", -((2 << 16) | 1), 0, true);  // level 2, slot 1
    Add("V4", "ZONE-A", 7, 0, true);
    Add("V5", "ZONE-A", -((1 << 16) | 9), 0, true);  // level 1, slot 9
    Add("V6", "", 0, 3, false);
    Add("V7", "", 0, 1, false);
    doc->settings.operationType = 0;
    EXPECT_THAT(Sorted(1), ElementsAre("V4", "V2", "V5", "V3", "V1", "V7", "V6"));
    EXPECT_THAT(Sorted(0), ElementsAre("V1", "V2", "V3", "V4", "V5", "V6", "V7"));
    doc->settings.noSort = 1;
    EXPECT_THAT(Sorted(1), ElementsAre("V1", "V2", "V3", "V4", "V5", "V6", "V7"));
}

}  // namespace
