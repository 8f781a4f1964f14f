#include "packeddate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "supportfixtures.h"

using namespace zarn::test;

namespace {

class PackedDateTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
};

std::string FormatDate(uint32_t value, const char *format = nullptr) {
    char text[ZARN_DATE_TEXT_SIZE];
    return FormatPackedDate(text, sizeof text, value, format);
}

TEST_F(PackedDateTest, PacksDayMonthAndYearIntoTheirBits) {
    EXPECT_EQ(PackDate(2018, 8, 14), 0xC0000000u + 14u * (1u << 24) + 8u * (1u << 16) + 2018u);
    EXPECT_TRUE(IsPackedDate(PackDate(2018, 8, 14)));
    EXPECT_FALSE(IsPackedDate(0x7FFFFFFFu));
    // Out-of-range fields stay inside their own bits.
    EXPECT_EQ(PackDate(2018, 17, 14) & 0x000FFFFFu, 0x00010000u + 2018u);
}

TEST_F(PackedDateTest, PackTimeTakesTheLocalCalendarDate) {
    EXPECT_EQ(PackTime(0), PackDate(2026, 12, 7));  // 0 means now
    // 23:30 UTC is already the next day in Central Europe.
    EXPECT_EQ(PackTime(1533857400), PackDate(2018, 8, 10));  // 2018-08-09 23:30 UTC
}

TEST_F(PackedDateTest, PackedToTimeGivesOneMinutePastOneOnThatDay) {
    EXPECT_EQ(LocalText(PackedToTime(PackDate(2018, 8, 14))), "2018-08-14 01:00:01");
    // A plain time keeps only its own date.
    EXPECT_EQ(LocalText(PackedToTime(static_cast<uint32_t>(LocalTime(2018, 8, 14, 23, 59)))),
              "2018-08-14 01:00:01");
    EXPECT_EQ(PackedToTime(0), 0);
    EXPECT_EQ(PackedToTime(PackDate(2018, 2, 30)), 0);
}

TEST_F(PackedDateTest, DaylightSavingChangeDaysKeepOneMinutePastOne) {
    // Clocks go forward at 02:00 on 29 March 2026 and back at 03:00 on 25 October 2026.
    EXPECT_EQ(LocalText(PackedToTime(PackDate(2026, 3, 29))), "2026-03-29 01:00:01");
    EXPECT_EQ(LocalText(PackedToTime(PackDate(2026, 10, 25))), "2026-10-25 01:00:01");
}

TEST_F(PackedDateTest, DaysBetweenCountsCalendarDaysAcrossClockChanges) {
    EXPECT_EQ(DaysBetween(LocalTime(2026, 3, 28, 23, 59), LocalTime(2026, 3, 30, 0, 1)), 2);
    EXPECT_EQ(DaysBetween(LocalTime(2026, 3, 30, 0, 1), LocalTime(2026, 3, 28, 23, 59)), -2);
    EXPECT_EQ(DaysBetween(LocalTime(2026, 10, 24, 0, 0), LocalTime(2026, 10, 26, 23, 0)), 2);
    EXPECT_EQ(DaysBetween(LocalTime(2026, 1, 1), LocalTime(2026, 12, 31)), 364);
    EXPECT_EQ(DaysBetween(LocalTime(2026, 3, 29, 0, 30), LocalTime(2026, 3, 29, 23, 30)), 0);
    // 0 stands for now.
    EXPECT_EQ(DaysBetween(0, LocalTime(2026, 12, 10, 0, 5)), 3);
    EXPECT_EQ(DaysBetween(LocalTime(2026, 12, 1), 0), 6);
}

TEST_F(PackedDateTest, FormatsDatesAndRefusesImpossibleOnes) {
    EXPECT_EQ(FormatDate(PackDate(2018, 8, 14)), "Tuesday, August 14, 2018");
    EXPECT_EQ(FormatDate(PackDate(2024, 2, 29), "%Y-%m-%d %j"), "2024-02-29 060");
    EXPECT_EQ(FormatDate(PackDate(2023, 2, 29)), "Unable to form a propper date");
    EXPECT_EQ(FormatDate(PackDate(2023, 0, 1)), "Unable to form a propper date");
    EXPECT_EQ(FormatDate(0), "Unable to form a propper date");
    EXPECT_EQ(FormatDate(static_cast<uint32_t>(LocalTime(2018, 8, 14, 9)), "%d.%m.%Y %H"),
              "14.08.2018 09");
}

TEST_F(PackedDateTest, FormatsTimes) {
    char text[ZARN_DATE_TEXT_SIZE];
    const int64_t moment = LocalTime(2018, 8, 14, 9, 5, 7);
    EXPECT_STREQ(FormatTime32(text, sizeof text, static_cast<int32_t>(moment), nullptr),
                 "Tuesday, August 14, 2018 - 09:05:07");
    EXPECT_STREQ(FormatTime64(text, sizeof text, moment, "%H:%M"), "09:05");
    EXPECT_STREQ(FormatTime64(text, sizeof text, INT64_MAX, nullptr), "**ERROR**");
}

TEST_F(PackedDateTest, FormattingNeverWritesPastTheCallersSize) {
    char text[16];
    std::memset(text, 'Z', sizeof text);
    FormatPackedDate(text, 10, PackDate(2018, 8, 14), nullptr);
    EXPECT_STREQ(text, "Tuesday, ");
    EXPECT_EQ(text[10], 'Z');

    // A result far longer than the usual 128 bytes is cut to the buffer.
    char date[ZARN_DATE_TEXT_SIZE];
    const std::string longFormat(300, 'x');
    FormatPackedDate(date, sizeof date, PackDate(2018, 8, 14), (longFormat + "%Y").c_str());
    EXPECT_EQ(std::string(date), std::string(127, 'x'));
    FormatTime64(date, 4, 0, "%Y-%m-%d");
    EXPECT_STREQ(date, "197");
    FormatTime64(date, 1, 0, nullptr);
    EXPECT_STREQ(date, "");
}

}  // namespace
