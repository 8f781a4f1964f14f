#include "dateexpr.h"

#include <gtest/gtest.h>

#include <string>

#include "packeddate.h"
#include "supportfixtures.h"

using namespace zarn::test;

namespace {

class DateExpressionTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    // Monday, 7 December 2026.
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};

    static std::string Evaluate(const char *text, int allowKinds = 0) {
        uint32_t date = 0;
        int kind = -1;
        if (!ParseDateExpression(text, allowKinds, &date, &kind)) {
            return "fails";
        }
        if (kind != ZARN_DATE_GIVEN) {
            return kind == ZARN_DATE_PAST ? "PAST" : "FUTURE";
        }
        char buffer[ZARN_DATE_TEXT_SIZE];
        return FormatPackedDate(buffer, sizeof buffer, date, "%Y-%m-%d");
    }
};

TEST_F(DateExpressionTest, ExplicitDatesWithADayOffset) {
    EXPECT_EQ(Evaluate("2018-08-14"), "2018-08-14");
    EXPECT_EQ(Evaluate("2018-08-14+3"), "2018-08-17");
    EXPECT_EQ(Evaluate("2018-08-14-14"), "2018-07-31");
    EXPECT_EQ(Evaluate("2018/08/14"), "fails");
    EXPECT_EQ(Evaluate("2024-02-28+1"), "2024-02-29");
    EXPECT_EQ(Evaluate("2018-02-30"), "fails");
    EXPECT_EQ(Evaluate("2018-8-14"), "fails");
    EXPECT_EQ(Evaluate("2018-08-14x"), "fails");
    EXPECT_EQ(Evaluate("2018-08-14+"), "fails");
    EXPECT_EQ(Evaluate("20a8-08-14"), "fails");
}

TEST_F(DateExpressionTest, MonthYearAndWeekForms) {
    EXPECT_EQ(Evaluate("M"), "2026-12-01");
    EXPECT_EQ(Evaluate("M-1"), "2026-11-01");
    EXPECT_EQ(Evaluate("M+1-1"), "2026-12-31");
    EXPECT_EQ(Evaluate("M-12"), "2025-12-01");
    EXPECT_EQ(Evaluate("M1"), "2027-01-01");
    EXPECT_EQ(Evaluate("m"), "2026-12-31");
    EXPECT_EQ(Evaluate("m-1"), "2026-11-30");
    EXPECT_EQ(Evaluate("m+2"), "2027-02-28");
    EXPECT_EQ(Evaluate("m-10+1"), "2026-03-01");
    EXPECT_EQ(Evaluate("Y"), "2026-01-01");
    EXPECT_EQ(Evaluate("Y+1+31"), "2027-02-01");
    EXPECT_EQ(Evaluate("y-1"), "2025-12-31");
    EXPECT_EQ(Evaluate("W"), "2026-12-06");
    EXPECT_EQ(Evaluate("W-1"), "2026-11-29");
    EXPECT_EQ(Evaluate("W+0+1"), "2026-12-07");
}

TEST_F(DateExpressionTest, StarIsNowLessOneHour) {
    EXPECT_EQ(Evaluate("*"), "2026-12-07");
    EXPECT_EQ(Evaluate("*-1"), "2026-12-06");
    EXPECT_EQ(Evaluate("*+30"), "2027-01-06");
    EXPECT_EQ(Evaluate("*5"), "2026-12-12");
    EXPECT_EQ(Evaluate("*+1+1"), "fails");  // no further offset after a star
    clock.Set(LocalTime(2026, 12, 7, 0, 30));
    EXPECT_EQ(Evaluate("*"), "2026-12-06");
    EXPECT_EQ(Evaluate("M"), "2026-12-01");
}

TEST_F(DateExpressionTest, KindsOnlyWhereAllowed) {
    EXPECT_EQ(Evaluate("P", 1), "PAST");
    EXPECT_EQ(Evaluate("F", 1), "FUTURE");
    EXPECT_EQ(Evaluate("P"), "fails");
    EXPECT_EQ(Evaluate("PX", 1), "fails");
}

TEST_F(DateExpressionTest, AnythingElseFails) {
    for (const char *text : {"", "X", "M+", "M1x", "Mx", "W--1", "*x", "y+99999999999999999999",
                             "M+1000001", "Y+70000"}) {
        EXPECT_EQ(Evaluate(text), "fails") << text;
    }
    uint32_t date = 0;
    int kind = 0;
    EXPECT_EQ(ParseDateExpression(nullptr, 1, &date, &kind), 0);
}

}  // namespace
