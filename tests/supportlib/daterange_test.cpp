#include "daterange.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dateexpr.h"
#include "packeddate.h"
#include "supportfixtures.h"

using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class DateRangeTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};  // Monday
    ScopedEnvironment noOffsets{"ZUDAVODAZIVEDORUVUZAVI", nullptr};
    RecordingLogger log;
    DateRange range{};

    void SetUp() override { DateRangeInit(&range, log.Logger()); }

    bool Matches(int year, int month, int day) const {
        return DateRangeMatch(&range, PackDate(year, month, day)) == 1;
    }
};

TEST_F(DateRangeTest, AFreshRangeMatchesEveryValue) {
    EXPECT_TRUE(Matches(1900, 1, 1));
    EXPECT_EQ(DateRangeMatch(&range, 12345u), 1);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(DateRangeTest, EmptyTextFailsAndThenNothingMatches) {
    EXPECT_EQ(DateRangeParse(&range, ""), 0);
    EXPECT_THAT(log.lines, ElementsAre("0:Empty Date Range String passed"));
    EXPECT_FALSE(Matches(2026, 12, 7));
}

TEST_F(DateRangeTest, ASingleDateCoversThatDayAndLogsItsReading) {
    ASSERT_EQ(DateRangeParse(&range, "2018-08-14"), 1);
    EXPECT_EQ(range.span, 86400);
    EXPECT_THAT(
        log.lines,
        ElementsAre("3:Explicit date range requested as: 2018-08-14",
                    "3:Start date interpreted as: Tuesday, August 14, 2018",
                    "3:End date interpreted as: Tuesday, August 14, 2018", "3:Days apart: 1",
                    "3:Checking for Environment Variable 'ZUDAVODAZIVEDORUVUZAVI'"));
    EXPECT_TRUE(Matches(2018, 8, 14));
    EXPECT_FALSE(Matches(2018, 8, 13));
    EXPECT_FALSE(Matches(2018, 8, 15));
    EXPECT_EQ(DateRangeMatch(&range, 1534240000u), 0) << "a plain time is not a packed date";
    EXPECT_EQ(DateRangeMatchTime(&range, LocalTime(2018, 8, 14, 23, 59)), 1);
}

TEST_F(DateRangeTest, PreviousMonthRange) {
    ASSERT_EQ(DateRangeParse(&range, "M-1:m-1"), 1);
    EXPECT_FALSE(Matches(2026, 10, 31));
    EXPECT_TRUE(Matches(2026, 11, 1));
    EXPECT_TRUE(Matches(2026, 11, 30));
    EXPECT_FALSE(Matches(2026, 12, 1));
    EXPECT_EQ(log.lines.at(3), "3:Days apart: 30");
}

TEST_F(DateRangeTest, PastToTodayCoversEverythingUpToToday) {
    ASSERT_EQ(DateRangeParse(&range, "P:*"), 1);
    EXPECT_EQ(log.lines.at(1), "3:Start date interpreted as: PAST");
    EXPECT_EQ(log.lines.at(2), "3:End date interpreted as: Monday, December 07, 2026");
    EXPECT_EQ(log.lines.at(3), "3:Checking for Environment Variable 'ZUDAVODAZIVEDORUVUZAVI'");
    EXPECT_TRUE(Matches(1900, 1, 1));
    EXPECT_TRUE(Matches(2026, 12, 7));
    EXPECT_FALSE(Matches(2026, 12, 8));
}

TEST_F(DateRangeTest, FutureAndPastEndsCompareWithNow) {
    ASSERT_EQ(DateRangeParse(&range, "F"), 1);
    EXPECT_EQ(log.lines.at(2), "3:End date interpreted as: FUTURE");
    EXPECT_FALSE(Matches(2026, 12, 7));
    EXPECT_TRUE(Matches(2026, 12, 8));

    ASSERT_EQ(DateRangeParse(&range, "2026-12-01:P"), 1);
    EXPECT_FALSE(Matches(2026, 11, 30));
    EXPECT_TRUE(Matches(2026, 12, 7));  // its 01:00:01 is before now
    EXPECT_FALSE(Matches(2026, 12, 8));
}

TEST_F(DateRangeTest, ColonAloneIsToday) {
    ASSERT_EQ(DateRangeParse(&range, ":"), 1);
    EXPECT_TRUE(Matches(2026, 12, 7));
    EXPECT_FALSE(Matches(2026, 12, 6));
    EXPECT_FALSE(Matches(2026, 12, 8));
}

TEST_F(DateRangeTest, UnreadableEndsAreLogged) {
    EXPECT_EQ(DateRangeParse(&range, "yesterday:M"), 0);
    EXPECT_EQ(log.lines.back(), "0:Unable to parse From Date: yesterday");
    EXPECT_EQ(DateRangeParse(&range, "M:soon"), 0);
    EXPECT_EQ(log.lines.back(), "0:Unable to parse From Date: soon");
}

TEST_F(DateRangeTest, AReversedRangeIsRefused) {
    EXPECT_EQ(DateRangeParse(&range, "2018-08-20:2018-08-14"), 0);
    EXPECT_EQ(log.lines.back(), "0:End date is before the start date");
    for (const std::string &line : log.lines) {
        EXPECT_EQ(line.find("Days apart"), std::string::npos) << line;
    }
    EXPECT_FALSE(Matches(2018, 8, 17));
    log.lines.clear();
    EXPECT_EQ(DateRangeParse(&range, "2018-08-14:2018-08-14"), 1) << "one day is not reversed";
}

TEST_F(DateRangeTest, TextIsTakenUpTo127Characters) {
    const std::string text = "2018-08-14:" + std::string(200, 'x');
    EXPECT_EQ(DateRangeParse(&range, text.c_str()), 0);
    EXPECT_EQ(log.lines.back(), "0:Unable to parse From Date: " + std::string(116, 'x'));
    const std::string padded = "2018-08-14:2018-08-20" + std::string(200, ' ');
    EXPECT_EQ(DateRangeParse(&range, padded.c_str()), 1);
}

TEST_F(DateRangeTest, SpanCountsCalendarDaysAcrossAClockChange) {
    ASSERT_EQ(DateRangeParse(&range, "2026-03-01:2026-03-31"), 1);
    EXPECT_EQ(range.span, 31 * 86400);
    EXPECT_EQ(log.lines.at(3), "3:Days apart: 31");
}

class DateOffsetsTest : public DateRangeTest {
protected:
    TempDir folder;

    void ParseWithOffsets(const std::string &content) {
        const std::string path = folder.WriteFile("offsets", content);
        ScopedEnvironment offsets("ZUDAVODAZIVEDORUVUZAVI", path.c_str());
        ASSERT_EQ(DateRangeParse(&range, "2018-08-14:2018-08-20"), 1);
    }
};

TEST_F(DateOffsetsTest, MovesStartAndEndByTheirOffsets) {
    ParseWithOffsets(" -1:2 \n9:9\n");
    EXPECT_THAT(
        std::vector<std::string>(log.lines.begin() + 5, log.lines.end()),
        ElementsAre("3:Offset values set to: Low(-1) High(2)",
                    "3:Start date interpreted as: Monday, August 13, 2018",
                    "3:End date interpreted as: Wednesday, August 22, 2018", "3:Days apart: 10"));
    EXPECT_TRUE(Matches(2018, 8, 13));
    EXPECT_TRUE(Matches(2018, 8, 22));
    EXPECT_FALSE(Matches(2018, 8, 23));
}

TEST_F(DateOffsetsTest, MissingNumbersAreZero) {
    ParseWithOffsets("5");
    EXPECT_EQ(log.lines.at(5), "3:Offset values set to: Low(5) High(0)");
    log.lines.clear();
    ParseWithOffsets(":3");
    EXPECT_EQ(log.lines.at(5), "3:Offset values set to: Low(0) High(3)");
}

TEST_F(DateOffsetsTest, UnusableFilesLeaveTheRangeAlone) {
    ParseWithOffsets("\x01\x02  \t\n");
    EXPECT_EQ(log.lines.back(), "0:Length of data in date offset file is 0");
    EXPECT_TRUE(Matches(2018, 8, 14));
    EXPECT_FALSE(Matches(2018, 8, 13));

    EXPECT_EQ(DateRangeApplyOffsets(&range, nullptr), 0);
    EXPECT_EQ(log.lines.back(), "0:No date offset file passed");
    const std::string missing = (folder.Path() / "missing").string();
    EXPECT_EQ(DateRangeApplyOffsets(&range, missing.c_str()), 0);
    EXPECT_EQ(log.lines.back(),
              "0:Failed to open date offset file(" + missing + "): No such file or directory");
}

TEST_F(DateOffsetsTest, OffsetsThatWouldReverseTheRangeAreRefused) {
    ParseWithOffsets("5:-5");
    EXPECT_EQ(log.lines.back(), "0:End date is before the start date");
    EXPECT_TRUE(Matches(2018, 8, 14)) << "the range is left as parsed";
    EXPECT_TRUE(Matches(2018, 8, 20));
}

TEST_F(DateOffsetsTest, OnlyTheFirst127CharactersOfTheLineCount) {
    ParseWithOffsets(std::string(126, ' ') + "7:1");
    EXPECT_EQ(log.lines.at(5), "3:Offset values set to: Low(7) High(0)");
    log.lines.clear();
    ParseWithOffsets("99999999999:-99999999999");
    EXPECT_EQ(log.lines.at(5), "3:Offset values set to: Low(1000000) High(-1000000)");
}

}  // namespace
