#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serverfixture.h"
#include "zarnfields.h"
#include "zarnheadless.h"
#include "zarnscantarget.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class RecordingTarget : public ScanMessageTarget {
public:
    std::vector<std::string> posted;
    intptr_t PostVolume(unsigned message, uint8_t result, ZARN10BARCODEPARSED scanned) override {
        posted.push_back(std::to_string(message) + ":" + std::to_string(result) + ":" +
                         DisplayKey(ReadField(scanned.customerId), ReadField(scanned.mediaId),
                                    ReadField(scanned.volume)) +
                         ((scanned.flags & kZarnScanContainer)
                              ? " container " + std::to_string(scanned.container)
                              : ""));
        return -1;
    }
    void PostValues(unsigned message, intptr_t wParam, intptr_t lParam) override {
        posted.push_back(std::to_string(message) + ":" + std::to_string(wParam) + "," +
                         std::to_string(lParam));
    }
};

class ScanDialogTest : public ::testing::Test {
protected:
    TestServer server{Backend::SQLite};
    HeadlessScript script;
    HeadlessPresenters presenters{script};
    RecordingTarget target;
    std::unique_ptr<CZARN10MFC> station;
    ZARNSCANVOLUMEARGS args{};

    void SetUp() override {
        server.BuildSmallWorld();
        station = server.Connect();
        ASSERT_NE(station, nullptr);
        SetPresenterFactory(&presenters);
        args.size = sizeof args;
        args.volumeMessage = 1328;
        args.controlMessage = 1329;
        args.zoneSlotMessage = 1330;
        SetScanTarget(args, &target);
    }
    void TearDown() override { SetPresenterFactory(nullptr); }
};

TEST_F(ScanDialogTest, EveryLineIsPostedResolvedAndByValue) {
    script.scannerLines = {
        "A00001", "ACME.LTO9.C00001", "ACME.LTO9.NEW001", "ZZZZ99", "!W", "Z:1S:5", "what?"};
    ASSERT_TRUE(station->ScanDialog(&args, "Scan", nullptr).IsOK(0));
    EXPECT_THAT(target.posted,
                ElementsAre("1328:0:ACME.LTO9.A00001", "1328:0:ACME.LTO9.C00001 container 900",
                            "1328:0:ACME.LTO9.NEW001", "1328:4:..ZZZZ99", "1329:87,0", "1330:1,5",
                            "1328:13:.."));
    EXPECT_EQ(script.scanLog.front(), "open:Scan");
    EXPECT_EQ(script.scanLog.back(), "close");
    EXPECT_EQ(station->WasCancelled(1), 0);
}

TEST_F(ScanDialogTest, MessagesOfZeroAreNotPostedAndCancelIsRemembered) {
    args.controlMessage = 0;
    args.zoneSlotMessage = 0;
    script.scannerLines = {"!S", "Z:1", "A00002"};
    script.closeWithCancel = true;
    ASSERT_TRUE(station->ScanDialog(&args, "Scan to set Slot Allocation Flag", nullptr).IsOK(0));
    EXPECT_THAT(target.posted, ElementsAre("1328:0:ACME.LTO9.A00002"));
    EXPECT_EQ(station->WasCancelled(1), 1);
    EXPECT_EQ(station->WasCancelled(1), 0);
}

TEST_F(ScanDialogTest, ABareSerialHeldTwiceMustBeScannedInFull) {
    ZARNVOLSEx record{};
    WriteField(record.customerId, "BETA");
    WriteField(record.mediaId, "LTO9");
    WriteField(record.volume, "A00001");
    WriteField(record.locations[0].repositoryId, "VLT1");
    ASSERT_TRUE(station->Add(&record).IsOK(0));
    script.scannerLines = {"A00001"};
    station->ScanDialog(&args, "Scan", nullptr);
    EXPECT_THAT(target.posted, ElementsAre("1328:22:..A00001"));
}

TEST_F(ScanDialogTest, BadArgumentsAreRefused) {
    args.size = 40;
    EXPECT_EQ(station->ScanDialog(&args, "Scan", nullptr).Code(), kZarnInvalidArgument);
    EXPECT_EQ(station->ScanDialog(nullptr, "Scan", nullptr).Code(), kZarnInvalidArgument);
}

}  // namespace
