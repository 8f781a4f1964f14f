#include <gtest/gtest.h>

#include <cstring>

#include "zarn10mfc.h"
#include "zarn10rc.h"
#include "zarnfields.h"

namespace {

TEST(FixedFields, ReadStopsAtNulOrWidthAndWriteZeroFills) {
    char field[4];
    std::memcpy(field, "ABCD", 4);
    EXPECT_EQ(zarn::ReadField(field), "ABCD");  // full: no terminator
    zarn::WriteField(field, "XY");
    EXPECT_EQ(std::string(field, 4), std::string("XY\0\0", 4));
    zarn::WriteField(field, "TOOLONG");
    EXPECT_EQ(zarn::ReadField(field), "TOOL");
    EXPECT_TRUE(zarn::FieldEquals(field, "TOOL"));
    EXPECT_FALSE(zarn::FieldEquals(field, "TOOLONG"));
    EXPECT_EQ(zarn::DisplayKey("ACME", "LTO9", "A00001"), "ACME.LTO9.A00001");
}

TEST(ResultCodes, SuccessAndTexts) {
    EXPECT_EQ(CZARN10RC(kZarnOK).IsOK(0), 1);
    EXPECT_EQ(CZARN10RC(kZarnNoChange).IsOK(0), 0);
    EXPECT_EQ(CZARN10RC(kZarnNoChange).IsOK(1), 1);
    EXPECT_EQ(CZARN10RC(kZarnVolumeNotFound).IsOK(1), 0);
    EXPECT_STREQ(CZARN10RC(kZarnVolumeNotFound).Get(), "Volume is not on file");
    EXPECT_STREQ(CZARN10RC(200).Get(), "Unknown server result");
    for (int code = 0; code <= kZarnVolumeAmbiguous; ++code) {
        EXPECT_STRNE(CZARN10RC(static_cast<uint8_t>(code)).Get(), "Unknown server result");
    }
}

TEST(ZoneSlotText, NegativeSlotsCarryALevel) {
    EXPECT_EQ(CZARN10MFC::FormatZoneSlot(0), "0");
    EXPECT_EQ(CZARN10MFC::FormatZoneSlot(42), "42");
    EXPECT_EQ(CZARN10MFC::FormatZoneSlot(-((3 << 16) | 12)), "3/12");
    EXPECT_EQ(CZARN10MFC::FormatZoneSlot(INT32_MIN), "32768/0");
}

}  // namespace
