// The movement tree built from a fixture store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "recordingtreecontrol.h"
#include "serverfixture.h"
#include "zarn10treeroot.h"
#include "zarnadmin.h"
#include "zarnheadless.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class TreeTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    TestServer server{Backend::SQLite};
    HeadlessScript script;
    HeadlessPresenters presenters{script};
    std::unique_ptr<CZARN10MFC> station;
    RecordingTreeControl control;

    void SetUp() override {
        SetPresenterFactory(&presenters);
        server.BuildSmallWorld();
        Store &store = server.Admin();
        PutCustomer(store, {"DORM", "Dormant", 4, kZarnCustExcluded, "", "", ""});
        PutMedia(store, {"DORM", "LTO9", "LTO-9", 0});
        PutVolume(store, MakeVolume("DORM", "D00001", {"LIB1", 1}, {"VLT1", 1}));
        PutCustomer(store, {"EMPT", "Empty", 5, kZarnCustHideWhenEmpty, "", "", ""});
        PutMedia(store, {"EMPT", "LTO9", "LTO-9", 0});
        // A destination whose repository an administrator removed afterwards.
        PutRepository(store, {"UNKN", "Gone", "", 0});
        PutVolume(store, MakeVolume("ACME", "A00003", {"LIB1", 10}, {"UNKN", 1}));
        store.Run("DELETE FROM repositories WHERE id = 'UNKN'");
        PutVolume(store, MakeVolume("ACME", "A00004", {"LIB1", 11}, {"VLT1", 12}));
        station = server.Connect();
        ASSERT_NE(station, nullptr);
    }
    void TearDown() override { SetPresenterFactory(nullptr); }

    std::unique_ptr<CZARN10TreeRoot> Build(const char *filter = nullptr) {
        CZARN10ProgressWnd progress(2, nullptr);
        CZARNFilter customerFilter;
        customerFilter.pattern = filter ? filter : "";
        return std::make_unique<CZARN10TreeRoot>(station.get(), 3, &progress, &control,
                                                 &customerFilter);
    }

    CZARN10TreeMedia &AcmeLto9(CZARN10TreeRoot &root) {
        return *root.customers.at("ACME")->media.at("LTO9");
    }
};

TEST_F(TreeTest, BuildsCountsLabelsAndTheShownTree) {
    const auto root = Build();
    EXPECT_EQ(root->volumeCount, 6);
    EXPECT_EQ(root->moveCount, 4);
    root->FillTreeCtrl(control, 0);
    EXPECT_THAT(
        control.Lines(),
        ElementsAre("TEST-SERVER - Test server (6/4) #0 [b]",
                    "  ACME - Acme Insurance (5/4) #1 [b]", "    LTO8 - LTO-8 cartridges (0/0) #2",
                    "    LTO9 - LTO-9 cartridges (5/4) #2 [b]", "      UNKN -  (1) #3",
                    "        LIB1 - Main library (1) #3", "      VLT1 - North vault (3) #3",
                    "        LIB1 - Main library (3) #3", "  BETA - Beta Logistics (1/0) #1",
                    "    LTO9 - LTO-9 cartridges (1/0) #2"));
    // The excluded customer is kept, without media and counts; the empty one is kept too.
    EXPECT_TRUE(root->customers.at("DORM")->media.empty());
    EXPECT_EQ(root->customers.at("DORM")->volumeCount, 0);
    EXPECT_EQ(root->customers.count("EMPT"), 1u);
    EXPECT_EQ(script.progressLog.front(), "title:Building Customer Tree");
    EXPECT_EQ(script.progressLog.back(), "stop");
}

TEST_F(TreeTest, HighlightedMediaAndLargeCountsInLabels) {
    PutMedia(server.Admin(),
             {"ACME", "LTO8", "LTO-8", kZarnMediaCountsGiven | kZarnMediaHighlight});
    const auto root = Build();
    EXPECT_EQ(root->customers.at("ACME")->media.at("LTO8")->highlight, 1);
    EXPECT_EQ(root->customers.at("ACME")->highlightCount, 1);
    EXPECT_EQ(root->customers.at("BETA")->highlightCount, 0);
    CZARN10TreeCustomer &big = *root->customers.at("BETA");
    big.volumeCount = 1234567;
    big.moveCount = 1000;
    EXPECT_EQ(big.GetLabel(), "BETA - Beta Logistics (1,234,567/1,000)");
}

TEST_F(TreeTest, HideNoMovesAndTheCustomerFilter) {
    Build()->FillTreeCtrl(control, 1);
    EXPECT_THAT(control.Lines(),
                ElementsAre("TEST-SERVER - Test server (6/4) #0 [b]",
                            "  ACME - Acme Insurance (5/4) #1 [b]",
                            "    LTO9 - LTO-9 cartridges (5/4) #2 [b]", "      UNKN -  (1) #3",
                            "        LIB1 - Main library (1) #3", "      VLT1 - North vault (3) #3",
                            "        LIB1 - Main library (3) #3"));
    const auto filtered = Build("B*");
    EXPECT_EQ(filtered->customers.size(), 1u);
    EXPECT_EQ(filtered->volumeCount, 1);
    EXPECT_EQ(filtered->moveCount, 0);
}

TEST_F(TreeTest, VolumesOfOnePairShareTheirNodes) {
    const auto root = Build();
    CZARN10TreeMedia &media = AcmeLto9(*root);
    CZARN10TreeRepository &vault = *media.destinations.at("VLT1");
    CZARN10TreeRepository &library = *vault.origins.at("LIB1");
    EXPECT_EQ(vault.moveCount, 3);
    EXPECT_EQ(library.moveCount, 3);
    ASSERT_EQ(library.volumes.size(), 3u);
    EXPECT_EQ(library.volumes[0]->GetDisplayKey(), "ACME.LTO9.A00001");
    EXPECT_EQ(library.volumes[0]->destination, &vault);
    EXPECT_EQ(library.volumes[0]->origin, &library);
    EXPECT_EQ(library.volumes[0]->customerValue, 1);

    std::vector<CZARN10Direction> directions;
    root->CollectDirections(directions);
    ASSERT_EQ(directions.size(), 2u);
    AddDirection(directions, "lib1", "vlt1");  // the same pair in other letters
    EXPECT_EQ(directions.size(), 2u);
    EXPECT_EQ(directions[0].from.pattern, "LIB1");
    EXPECT_EQ(directions[0].to.pattern, "UNKN");
}

TEST_F(TreeTest, VolumeTextsAndLocations) {
    const auto root = Build();
    CZARN10TreeVolume &volume = AcmeLto9(*root).volumes[0];  // A00001: LIB1/5 -> VLT1/7
    EXPECT_EQ(volume.GetRepositoryId(0), "VLT1");
    EXPECT_EQ(volume.GetRepositoryId(1), "LIB1");
    EXPECT_EQ(volume.GetSlotText(0), "7");
    EXPECT_EQ(volume.GetLocationText(1), "(LIB1:5)") << "not fetched yet";
    EXPECT_EQ(volume.FetchLocation(station.get()), 0);
    EXPECT_EQ(volume.GetLocationText(1), "LIB-A");
    EXPECT_EQ(volume.GetLocationText(0), "(VLT1:7)") << "No-Alloc shows the tree's location";
    EXPECT_EQ(volume.GetLocationText(5), "(VLT1:7)");
    EXPECT_EQ(volume.GetZoneSlotText(1), "5");
    char key[kZarnVolumeKeyWidth];
    volume.GetKey(key);
    EXPECT_EQ(std::string(key, 18), std::string("ACMELTO9A00001\0\0\0\0", 18));

    // Moved on the server since the build: the flag says so; a failed fetch is tried again.
    CZARN10TreeVolume &later = AcmeLto9(*root).volumes.back();
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", later.volumeSerial).IsOK(0));
    record.locations[0].slot = 99;
    ASSERT_TRUE(station->Update(&record).IsOK(0));
    station->Logoff(true);
    EXPECT_EQ(later.FetchLocation(station.get()), 0);
    EXPECT_EQ(later.locationFetched, 0);
    ASSERT_TRUE(station->Logon(0).IsOK(0));
    EXPECT_EQ(later.FetchLocation(station.get()), 1);
    EXPECT_EQ(later.moved, 1);
}

TEST_F(TreeTest, MoveDueWarnings) {
    const auto root = Build();
    CZARN10TreeVolume volume = AcmeLto9(*root).volumes[0];
    volume.moveDate = LocalTime(2026, 12, 10, 1, 0, 1);
    int days = -1;
    EXPECT_EQ(volume.IsMoveDue(0, &days), 0);
    EXPECT_EQ(days, -1);
    EXPECT_EQ(volume.IsMoveDue(3, &days), 1);
    EXPECT_EQ(days, 3);
    EXPECT_EQ(volume.IsMoveDue(2, nullptr), 0);
    volume.volumeFlags &= ~kZarnVolMoveDateKnown;
    EXPECT_EQ(volume.IsMoveDue(30, &days), 0);
}

TEST_F(TreeTest, ACancelStopsTheBuildWithAUsablePartialTree) {
    script.cancelProgressAtPoll = 2;
    const auto root = Build();
    EXPECT_LE(root->customers.size(), 1u);
    root->FillTreeCtrl(control, 0);
    EXPECT_FALSE(control.Lines().empty());
}

}  // namespace
