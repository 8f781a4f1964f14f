// Shelving through the messages of the scan dialog, on the fixture store, with the store
// checked after every scan: every spoken text of the scan processing and the scan bar.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnheadless.h"
#include "zarnsession.h"
#include "zarnshelverview.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class ShelvingTest : public ::testing::TestWithParam<Backend> {
protected:
    TempDir folder;
    TestServer server{GetParam()};
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARN10MFC> station;
    std::unique_ptr<CZARNShelverScanBar> bar;
    std::unique_ptr<CZARNShelverView> scanning;
    std::vector<std::string> spoken;

    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        Profile::RedirectForTests(folder.Path().string());
        server.BuildSmallWorld();
        PutZone(server.Admin(), {7, "VLT-X", "Vault ex", "", "VLT1", "", "", 1, 50, 0});
        station = server.Connect();
        ASSERT_NE(station, nullptr);
        profile = std::make_unique<Profile>("ZARNShelver");
        bar = std::make_unique<CZARNShelverScanBar>(*profile);
        bar->FillZones(*station);
        scanning = std::make_unique<CZARNShelverView>(
            *station, *bar, [this](const std::string &text) { spoken.push_back(text); });
    }

    int Scan(const std::string &customer, const std::string &media, const std::string &volume,
             uint8_t dialogResult = kZarnOK) {
        char key[kZarnVolumeKeyWidth] = {};
        std::memcpy(key, customer.data(), customer.size());
        std::memcpy(key + 4, media.data(), media.size());
        std::memcpy(key + 8, volume.data(), volume.size());
        return scanning->OnVolume(dialogResult, key);
    }
    void At(uint32_t zone, uint32_t slot) {
        bar->currentZone = zone;
        bar->currentSlot = slot;
    }
    std::optional<ZARNVOLS> Stored(const std::string &volume, const char *customer = "ACME") {
        ZARNVOLS record;
        if (!station->Get(&record, customer, "LTO9", volume.c_str()).IsOK(0)) {
            return std::nullopt;
        }
        return record;
    }
    std::vector<std::string> Row(size_t index) {
        const CZARNShelverListSource source(*scanning);
        std::vector<std::string> cells;
        for (int column = 0; column < source.ColumnCount(); ++column) {
            cells.push_back(source.CellText(static_cast<int>(index), column));
        }
        return cells;
    }
};

TEST_P(ShelvingTest, AZoneAndASlotComeFirstAndSlotZeroIsNeverWritten) {
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 0);
    bar->currentZone = 1;
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 0);
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001", kZarnVolumeNotFound), 0);
    EXPECT_THAT(spoken, ElementsAre("You must first set a valid zone",
                                    "You must first set a valid slot", "Volume is not on file"));
    EXPECT_EQ(Stored("A00001")->locations[0].slot, 5) << "nothing was written";
    EXPECT_TRUE(scanning->Scanned().empty());
}

TEST_P(ShelvingTest, KnownVolumesAreMovedAndTheSlotStepsOn) {
    bar->autoIncrement = 1;
    At(1, 7);
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 1);
    EXPECT_EQ(Scan("ACME", "LTO9", "A00002"), 1);
    EXPECT_EQ(Scan("BETA", "LTO9", "B00001"), 1);
    EXPECT_THAT(spoken, ElementsAre("7", "8", "9"));
    EXPECT_EQ(bar->currentSlot, 10u);
    EXPECT_EQ(ReadField(Stored("A00001")->locations[0].repositoryId), "LIB1");
    EXPECT_EQ(Stored("A00001")->locations[0].slot, 7);
    EXPECT_EQ(Stored("A00002")->locations[0].slot, 8);
    EXPECT_EQ(Stored("B00001", "BETA")->locations[0].slot, 9);
    EXPECT_THAT(Row(1), ElementsAre("2", "ACME", "LTO9", "A00002", "LIB-A:8", "", "8"))
        << "the row shows what was said";
}

TEST_P(ShelvingTest, ContainersBecomeCurrentAndAreSlottedUnlessToldNot) {
    At(1, 20);
    bar->noContainerSlot = 1;
    EXPECT_EQ(Scan("ACME", "LTO9", "C00001"), 0);
    EXPECT_THAT(spoken, ElementsAre("New container set"));
    EXPECT_TRUE(scanning->Scanned().empty()) << "no row for the container";
    EXPECT_EQ(scanning->CurrentContainer(), 900);

    bar->noContainerSlot = 0;
    EXPECT_EQ(Scan("ACME", "LTO9", "C00001"), 1);
    EXPECT_THAT(Row(0), ElementsAre("1", "ACME", "LTO9", "C00001", "LIB-A:20", "ACME.LTO9.C00001",
                                    "New container set; 20"));
    EXPECT_EQ(Stored("C00001")->locations[0].slot, 20);

    // A known volume shows the container but keeps its own number; a new one takes it.
    EXPECT_EQ(Scan("ACME", "LTO9", "A00002"), 1);
    EXPECT_EQ(Row(1)[5], "ACME.LTO9.C00001");
    EXPECT_EQ(Stored("A00002")->container, 0);
    EXPECT_EQ(Scan("ACME", "LTO9", "NEW001"), 1);
    ASSERT_TRUE(Stored("NEW001"));
    EXPECT_EQ(Stored("NEW001")->container, 900);
    EXPECT_EQ(Stored("NEW001")->locations[0].slot, 20);
}

TEST_P(ShelvingTest, PresumedNewVolumesAreRefusedOrCopiedUnderASuffix) {
    At(1, 30);
    bar->presumeNew = 1;
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 0);
    EXPECT_THAT(spoken, ElementsAre("Volume is already known"));
    bar->addSuffix = 1;
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 1);
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 1);
    ASSERT_TRUE(Stored("A00001-1"));
    ASSERT_TRUE(Stored("A00001-2"));
    EXPECT_EQ(Stored("A00001-1")->flags & kZarnVolMoveDateKnown, kZarnVolMoveDateKnown)
        << "the existing volume's data is carried over";
    EXPECT_EQ(Stored("A00001-1")->locations[0].slot, 30);
    EXPECT_EQ(Row(1)[3], "A00001-2") << "the list shows the suffixed serial";
    EXPECT_EQ(Stored("A00001")->locations[0].slot, 5) << "the original stays where it was";
}

TEST_P(ShelvingTest, EverySuffixIsTriedAndLongSerialsOverflow) {
    At(1, 40);
    bar->presumeNew = 1;
    bar->addSuffix = 1;
    const std::string alphabet = "123456789ABCDEFGHIJKLMNOPQRSTUVWXY";  // all but the last
    Store &store = server.Admin();
    PutVolume(store, MakeVolume("ACME", "EIGHT008", {"LIB1", 1}));
    for (char suffix : alphabet) {
        PutVolume(store,
                  MakeVolume("ACME", (std::string("EIGHT008-") + suffix).c_str(), {"LIB1", 1}));
    }
    EXPECT_EQ(Scan("ACME", "LTO9", "EIGHT008"), 1);
    EXPECT_TRUE(Stored("EIGHT008-Z")) << "the last suffix of the alphabet is tried too";
    EXPECT_EQ(Scan("ACME", "LTO9", "EIGHT008"), 1);
    EXPECT_EQ(spoken.back(), "All Updates failed");

    spoken.clear();
    PutVolume(store, MakeVolume("ACME", "NINE00009", {"LIB1", 1}));
    EXPECT_EQ(Scan("ACME", "LTO9", "NINE00009"), 0);
    EXPECT_THAT(spoken, ElementsAre("Volume length overflow"));
}

TEST_P(ShelvingTest, ZonesThatDoNotHoldTheSlotAndUnknownMediaAreRefused) {
    At(1, 101);  // LIB-A has slots 1 to 100
    EXPECT_EQ(Scan("ACME", "LTO9", "A00001"), 0);
    At(2, 5);  // ACME-CAGE is kept for ACME
    EXPECT_EQ(Scan("BETA", "LTO9", "B00001"), 0);
    At(1, 5);
    EXPECT_EQ(Scan("ACME", "XXXX", "Q00001"), 0);
    EXPECT_THAT(spoken, ElementsAre("Illegal Zone and slot", "Illegal Zone and slot",
                                    "Media type is not on file"));
    EXPECT_EQ(Stored("A00001")->locations[0].slot, 5);
    EXPECT_TRUE(scanning->Scanned().empty());
}

TEST_P(ShelvingTest, ZoneAndSlotBarCodesAndTheLocationText) {
    EXPECT_EQ(bar->OnZoneSlot(0, 0), "Failed to set new zone");
    EXPECT_EQ(bar->currentZone, 0u);
    EXPECT_EQ(bar->OnZoneSlot(99, 0), "Failed to set new zone");
    EXPECT_EQ(bar->OnZoneSlot(1, 0), "New zone set to Library A");
    EXPECT_EQ(bar->OnZoneSlot(7, 12), "New slot set to 12") << "the slot's message wins";
    EXPECT_EQ(bar->currentZone, 7u);
    // Zone 7 with three zones held: a number above the count is still a zone.
    EXPECT_EQ(bar->LocationText(), "VLT-X:12");
    bar->currentZone = 99;
    EXPECT_EQ(bar->LocationText(), "Internal Error");

    scanning->HandleMessage({kMsgShelveZoneSlot, 1, 3, {}});
    EXPECT_THAT(spoken, ElementsAre("New slot set to 3"));
    EXPECT_EQ(Scan("ACME", "LTO9", "A00002"), 1);
    EXPECT_EQ(Row(0)[4], "LIB-A:3");
}

TEST_P(ShelvingTest, TheOptionsSurviveARun) {
    bar->autoIncrement = 1;
    bar->noContainerSlot = 1;
    bar.reset();
    CZARNShelverScanBar again(*profile);
    EXPECT_EQ(again.autoIncrement, 1);
    EXPECT_EQ(again.noContainerSlot, 1);
    EXPECT_EQ(again.presumeNew, 0);
    EXPECT_EQ(again.currentZone, 0u) << "zone and slot are not kept";
    EXPECT_EQ(again.currentSlot, 0u);
}

ZARN_ON_BOTH_BACKENDS(ShelvingTest);

}  // namespace
