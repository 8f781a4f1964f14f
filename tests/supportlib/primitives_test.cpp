#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "textutil.h"
#include "thousands.h"
#include "zarnfilter.h"

namespace {

std::string Thousands(uint64_t value, size_t size = ZARN_THOUSANDS_SIZE) {
    char buffer[ZARN_THOUSANDS_SIZE + 4];
    std::memset(buffer, 'Z', sizeof buffer);
    FormatThousands(value, buffer, size);
    EXPECT_EQ(buffer[size], 'Z') << "wrote past the size";
    return buffer;
}

TEST(FormatThousands, GroupsDigitsInThrees) {
    EXPECT_EQ(Thousands(0), "0");
    EXPECT_EQ(Thousands(7), "7");
    EXPECT_EQ(Thousands(999), "999");
    EXPECT_EQ(Thousands(1000), "1,000");
    EXPECT_EQ(Thousands(100001), "100,001");
    EXPECT_EQ(Thousands(1234567), "1,234,567");
    EXPECT_EQ(Thousands(UINT64_MAX), "18,446,744,073,709,551,615");
}

TEST(FormatThousands, ANumberThatDoesNotFitIsNeverShownSmaller) {
    EXPECT_EQ(Thousands(1234567, 6), "#####");
    EXPECT_EQ(Thousands(1234567, 10), "1,234,567");
    EXPECT_EQ(Thousands(1234567, 1), "");
}

TEST(FilterMatches, EmptyPatternMatchesEverything) {
    const CZARNFilter filter;
    EXPECT_EQ(filter.flags, 32);
    EXPECT_EQ(FilterMatches(filter, "anything"), 1);
    EXPECT_EQ(FilterMatches(filter, ""), 1);
    EXPECT_EQ(FilterMatches(filter, nullptr), 1);
}

TEST(FilterMatches, MatchesShellAndExtendedPatterns) {
    struct Case {
        const char *pattern;
        const char *text;
        int matches;
    } cases[] = {
        {"A*", "ACME", 1},
        {"A*", "acme", 0},
        {"A?C", "ABC", 1},
        {"[AB]00*", "B001", 1},
        {"@(ACME|BETA)", "BETA", 1},
        {"@(ACME|BETA)", "BETAX", 0},
        {"!(A*)", "BETA", 1},
        {"!(A*)", "ACME", 0},
        {"+([0-9])", "12345", 1},
        {"+([0-9])", "12a45", 0},
        {"*", "a/b", 1},
        {"*", ".hidden", 1},
        {"VAULT", "vault", 0},
    };
    for (const Case &c : cases) {
        CZARNFilter filter;
        filter.pattern = c.pattern;
        EXPECT_EQ(FilterMatches(filter, c.text), c.matches) << c.pattern << " / " << c.text;
    }
}

TEST(TextRoutines, TrimAndRemoveNonPrintableWorkInPlace) {
    char text[] = " \t\x01 Vault 7 \r\n";
    EXPECT_STREQ(TrimBlanks(text), "Vault 7");
    char blank[] = " \t ";
    EXPECT_STREQ(TrimBlanks(blank), "");
    char mixed[] =
        "A\x01"
        "B\x7F"
        "C\t\xC3\xA9";
    EXPECT_STREQ(RemoveNonPrintable(mixed), "ABC\xC3\xA9");
}

TEST(TextRoutines, CommaFieldTakesTheNthFieldWithoutQuotes) {
    char field[ZARN_COMMA_FIELD_SIZE];
    const char *line = "ACME,\"Main Vault\",,42\n";
    EXPECT_EQ(CommaField(field, sizeof field, line, 0), 1);
    EXPECT_STREQ(field, "ACME");
    EXPECT_EQ(CommaField(field, sizeof field, line, 1), 1);
    EXPECT_STREQ(field, "Main Vault");
    EXPECT_EQ(CommaField(field, sizeof field, line, 2), 1);
    EXPECT_STREQ(field, "");
    EXPECT_EQ(CommaField(field, sizeof field, line, 3), 1);
    EXPECT_STREQ(field, "42");
    EXPECT_EQ(CommaField(field, sizeof field, line, 4), 0);
    EXPECT_STREQ(field, "");
    const std::string longField(100, 'x');
    EXPECT_EQ(CommaField(field, sizeof field, longField.c_str(), 0), 1);
    EXPECT_EQ(std::string(field), std::string(31, 'x'));
}

}  // namespace
