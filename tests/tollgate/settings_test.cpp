#include <gtest/gtest.h>

#include "supportfixtures.h"
#include "zarn30settings.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    TempDir folder;
    void SetUp() override { Profile::RedirectForTests(folder.Path().string()); }
};

TEST_F(SettingsTest, FirstStartDefaults) {
    Profile profile("ZARNTollgate");
    CZARN30Settings settings;
    settings.Read(profile);
    EXPECT_EQ(settings.operationType, 1) << "Query mode";
    EXPECT_EQ(settings.scanMode, 1);
    EXPECT_EQ(settings.block.realTimeUpdate, 1);
    EXPECT_EQ(settings.block.pickText, "$PSLOT");
    EXPECT_EQ(settings.block.queryText, "$QZONE slot $QSLOT");
    EXPECT_EQ(settings.block.receiptHeader, "");
    EXPECT_EQ(settings.dateWarning, 0);
}

TEST_F(SettingsTest, RoundTripKeepsOddScanModesAndReadsAnyNonzeroFlagAsSet) {
    {
        Profile profile("ZARNTollgate");
        CZARN30Settings settings;
        settings.scanMode = 7;
        settings.operationType = 0;
        settings.dateWarning = 5;
        settings.block.pickText = "Zone $PZONE slot $PSLOT";
        settings.block.receiptHeader = "/srv/header.bmp";
        settings.block.notInListDisabled = 1;
        settings.Write(profile);
        profile.WriteInt("Options", "NoSequence", 42);  // edited by hand
    }
    Profile profile("ZARNTollgate");
    CZARN30Settings settings;
    settings.Read(profile);
    EXPECT_EQ(settings.scanMode, 7);
    EXPECT_EQ(settings.operationType, 0);
    EXPECT_EQ(settings.dateWarning, 5);
    EXPECT_EQ(settings.block.pickText, "Zone $PZONE slot $PSLOT");
    EXPECT_EQ(settings.block.receiptHeader, "/srv/header.bmp");
    EXPECT_EQ(settings.block.notInListDisabled, 1);
    EXPECT_EQ(settings.noSequence, 1);
    EXPECT_EQ(profile.GetInt("Variables\\", "Group", -1), -1) << "never written";
}

}  // namespace
