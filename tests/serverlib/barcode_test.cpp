#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "zarn10mfc.h"
#include "zarnbarcode.h"
#include "zarnfields.h"

using namespace zarn;

namespace {

// "kind key zone slot control" of a parsed line, or "bad".
std::string Parse(const std::string &line, const BarCodeGrammar &grammar = {},
                  const char *prefix = nullptr, const char *suffix = nullptr) {
    ZARN10BARCODEPARSED parsed;
    if (ParseScannerLine(grammar, line, prefix, suffix, parsed) != kZarnOK) {
        return "bad";
    }
    std::string text = std::to_string(parsed.kind) + " " +
                       DisplayKey(ReadField(parsed.customerId), ReadField(parsed.mediaId),
                                  ReadField(parsed.volume)) +
                       " " + std::to_string(parsed.zone) + " " + std::to_string(parsed.slot);
    if (parsed.control) {
        text += " " + std::string(1, parsed.control);
    }
    if (parsed.flags & kZarnScanSerialOnly) {
        text += " serial";
    }
    return text;
}

TEST(BarCodes, DefaultGrammar) {
    EXPECT_EQ(Parse("A00001"), "1 ..A00001 0 0 serial");
    EXPECT_EQ(Parse("a00001\r\n"), "1 ..A00001 0 0 serial");
    EXPECT_EQ(Parse("ACME.LTO9.A00001"), "1 ACME.LTO9.A00001 0 0");
    EXPECT_EQ(Parse("S00123"), "1 ..S00123 0 0 serial") << "serials may begin like codes";
    EXPECT_EQ(Parse("Z:12"), "2 .. 12 0");
    EXPECT_EQ(Parse("S:40"), "3 .. 0 40");
    EXPECT_EQ(Parse("S:3/12"), "3 .. 0 " + std::to_string(-((3 << 16) | 12)));
    EXPECT_EQ(Parse("Z:12S:40"), "4 .. 12 40");
    EXPECT_EQ(Parse("!S"), "5 .. 0 0 S");
    EXPECT_EQ(Parse("!s"), "5 .. 0 0 s") << "control characters are taken as scanned";
}

TEST(BarCodes, RefusesWhatDoesNotFitOrIsNotACode) {
    for (const char *line : {"", "A000000000001", "ACME.LTO9", "ACMEX.LTO9.A1", "AC.LTO9.", "A0'1",
                             "A 01", "Z:", "Z:0", "Z:x", "Z:12S:", "S:1/0", "S:99999/1",
                             "Z:1234567890", "!", "!AB", "A;DROP", "ACME.LTO9.A\\1"}) {
        EXPECT_EQ(Parse(line), "bad") << line;
    }
}

TEST(BarCodes, ScannerAffixesAndConfiguredGrammar) {
    EXPECT_EQ(Parse("]C1A00001*", {}, "]C1", "*"), "1 ..A00001 0 0 serial");
    config_t configuration;
    config_init(&configuration);
    ASSERT_EQ(config_read_string(&configuration,
                                 "barcodes = { zone_prefix = \"ZN\"; slot_prefix = \"SL\";"
                                 " control_prefix = \"#\"; key_separator = \"/\";"
                                 " upper_case = false; };"),
              CONFIG_TRUE);
    const BarCodeGrammar grammar = GrammarFrom(&configuration);
    config_destroy(&configuration);
    EXPECT_EQ(Parse("ZN5SL6", grammar), "4 .. 5 6");
    EXPECT_EQ(Parse("#R", grammar), "5 .. 0 0 R");
    EXPECT_EQ(Parse("acme/lto9/a1", grammar), "1 acme.lto9.a1 0 0");
    EXPECT_EQ(Parse("!R", grammar), "bad");
}

BarCodeGrammar GrammarOf(const char *text, std::string &problem) {
    config_t configuration;
    config_init(&configuration);
    EXPECT_EQ(config_read_string(&configuration, text), CONFIG_TRUE) << text;
    problem.clear();
    BarCodeGrammar grammar = GrammarFrom(&configuration, &problem);
    config_destroy(&configuration);
    return grammar;
}

TEST(BarCodes, LowerCaseMarkersAreReadFromUpperCasedScans) {
    std::string problem;
    const BarCodeGrammar grammar =
        GrammarOf("barcodes = { zone_prefix = \"zn\"; slot_prefix = \"sl\"; };", problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(Parse("zn5sl6", grammar), "4 .. 5 6");
}

TEST(BarCodes, SettingsThatCannotReadTheirOwnCodesAreDroppedAndSaidSo) {
    for (const char *text : {
             "barcodes = { control_prefix = \"\"; };",   // no controls at all
             "barcodes = { zone_prefix = \"!\"; };",     // zones read as controls
             "barcodes = { slot_prefix = \"A\"; };",     // serials read as slots
             "barcodes = { zone_prefix = \"S:\"; };",    // zones read as slots
             "barcodes = { slot_prefix = \"7\"; };",     // "Z:773/9" is zone 7 or 77?
             "barcodes = { key_separator = \"-\"; };",   // a serial character
             "barcodes = { key_separator = \" \"; };",   // a space
             "barcodes = { key_separator = \"::\"; };",  // not one character
             "barcodes = { key_separator = \"/\"; zone_prefix = \"\"; };",
             // "ZN7" unreadable, "ZN70" read as control code 0
             "barcodes = { control_prefix = \"ZN7\"; zone_prefix = \"ZN\"; };",
             "barcodes = { zone_prefix = \"sl\"; slot_prefix = \"SLOT\"; };",
             // "C1.M1.V1" would be a refused control code, not customer C1's label
             "barcodes = { control_prefix = \"C1\"; };",
             "barcodes = { control_prefix = \"C1.\"; };",  // "C1.M1.V1" too
         }) {
        std::string problem;
        const BarCodeGrammar grammar = GrammarOf(text, problem);
        EXPECT_THAT(problem, ::testing::StartsWith("The barcodes settings are not used: ")) << text;
        // Nothing of the file is kept: the scans the operator was taught still read.
        EXPECT_EQ(Parse("Z:5S:6", grammar), "4 .. 5 6") << text;
        EXPECT_EQ(Parse("ACME.LTO9.A1", grammar), "1 ACME.LTO9.A1 0 0") << text;
    }
}

TEST(BarCodes, ALineLongerThanAnyCodeIsRefusedUnread) {
    const BarCodeGrammar grammar;
    EXPECT_EQ(Parse("ACME.LTO9.ABCDEFGHIJ", grammar), "1 ACME.LTO9.ABCDEFGHIJ 0 0");
    EXPECT_EQ(Parse("Z:123456789S:32767/65535", grammar), "4 .. 123456789 -2147483647");
    const std::string megabyte(1 << 20, 'A');
    ZARN10BARCODEPARSED parsed;
    EXPECT_EQ(ParseScannerLine(grammar, megabyte, nullptr, nullptr, parsed), kZarnBadBarCode);
    std::string problem;
    GrammarOf(("barcodes = { control_prefix = \"" + std::string(33, '#') + "\"; };").c_str(),
              problem);
    EXPECT_EQ(problem,
              "The barcodes settings are not used: a prefix is longer than 32 characters.");
}

TEST(BarCodes, TheBuiltInGrammarIsUsedWithoutAConfiguration) {
    CZARN10MFC server(0);
    ZARN10BARCODEPARSED parsed;
    EXPECT_TRUE(server.ParseBarCode(&parsed, "Z:3", nullptr, nullptr, nullptr).IsOK(0));
    EXPECT_EQ(parsed.zone, 3);
}

}  // namespace
