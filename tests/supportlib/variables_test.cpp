#include "variables.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "supportfixtures.h"

using namespace zarn::test;

namespace {

class VariablesTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{kCentralEurope};
    ScopedClock clock{LocalTime(2026, 12, 7, 10, 30)};
    ScopedEnvironment noFile{"ZARNVARFILE", nullptr};
    ScopedEnvironment path{"ZARNTESTPATH", "/srv/tapes"};
    ScopedEnvironment noPathX{"PATHX", nullptr};
    VariablesContext context{};

    void SetUp() override {
        ASSERT_EQ(VariablesInit(&context, nullptr, 0), 1);
        ASSERT_EQ(SetVariable(&context, "TAPE", "A%05d", 1), 1);
    }
    void TearDown() override { context.Destroy(&context); }

    std::string Expand(const char *text, size_t size = 256, int noEnvironment = 0) {
        char out[600];
        std::memset(out, 'Z', sizeof out);
        context.ExpandText(&context, text, out, size, noEnvironment);
        EXPECT_EQ(out[size], 'Z') << "wrote past the size";
        return out;
    }
};

TEST_F(VariablesTest, ReferencesAreReplaced) {
    EXPECT_EQ(Expand("$TAPE"), "A00001");
    EXPECT_EQ(Expand("Vol $TAPE/$NOPE!"), "Vol A00001/$NOPE!");
    EXPECT_EQ(Expand("%ZARNTESTPATH/x"), "/srv/tapes/x");
    EXPECT_EQ(Expand("%PATHX"), "***BADENV:PATHX***");
    EXPECT_EQ(Expand("%ZARNTESTPATH", 256, 1), "***BADENV:ZARNTESTPATH***");
}

TEST_F(VariablesTest, SignsWithoutANameAndDoubledSigns) {
    EXPECT_EQ(Expand("$ 5 and 100% sure$"), "$ 5 and 100% sure$");
    EXPECT_EQ(Expand("$$TAPE costs %%ZARNTESTPATH"), "$TAPE costs %ZARNTESTPATH");
    EXPECT_EQ(Expand("$$$TAPE"), "$$TAPE");
    EXPECT_EQ(Expand("%$TAPE"), "%A00001");
}

TEST_F(VariablesTest, ADotAfterAReplacedReferenceIsSwallowed) {
    EXPECT_EQ(Expand("$TAPE.txt"), "A00001txt");
    EXPECT_EQ(Expand("$TAPE..txt"), "A00001.txt");
    EXPECT_EQ(Expand("%ZARNTESTPATH.log"), "/srv/tapeslog");
    EXPECT_EQ(Expand("$NOPE.txt"), "$NOPE.txt");  // an unknown name is left as it stands
}

TEST_F(VariablesTest, NamesEndAtTheFirstOtherCharacterAndAtMost255) {
    SetVariable(&context, "a-b_9", "ok");
    EXPECT_EQ(Expand("[$a-b_9]"), "[ok]");
    const std::string longName(300, 'n');
    EXPECT_EQ(Expand(("$" + longName).c_str(), 512), "$" + longName);
}

TEST_F(VariablesTest, NeverWritesPastTheDestination) {
    EXPECT_EQ(Expand("abcdef", 4), "abc");
    // A replacement that does not fit is dropped whole; later text still goes in.
    EXPECT_EQ(Expand("x$TAPE/y", 6), "x/y");
    EXPECT_EQ(Expand("%PATHX", 10), "");
    EXPECT_EQ(Expand("abc", 1), "");
    char out[8];
    EXPECT_EQ(ExpandText(&context, "$TAPE", out, sizeof out, 0), 1);
    EXPECT_EQ(ExpandText(&context, "$TAPE$TAPE", out, sizeof out, 0), 0);
    EXPECT_STREQ(out, "A00001");
}

TEST_F(VariablesTest, SetVariableReplacesAndCutsLongValuesSafely) {
    EXPECT_EQ(context.SetVariable(&context, "TAPE", "%s", "B2"), 1);
    EXPECT_STREQ(GetVariable(&context, "TAPE"), "B2");

    const std::string huge(5000, 'v');
    EXPECT_EQ(SetVariable(&context, "BIG", "%s", huge.c_str()), 1);
    EXPECT_EQ(std::string(GetVariable(&context, "BIG")), std::string(1023, 'v'));

    // A two-byte character straddling the cut is not split.
    const std::string accented = std::string(1022, 'v') + "\xC3\xA9";
    SetVariable(&context, "BIG", "%s", accented.c_str());
    EXPECT_EQ(std::string(GetVariable(&context, "BIG")), std::string(1022, 'v'));

    EXPECT_EQ(SetVariable(&context, "9lives", "x"), 0) << "not a valid setting name";
    EXPECT_EQ(GetVariable(&context, "UNSET"), nullptr);
}

TEST_F(VariablesTest, SharedConfigurationKeepsTheCallersSettings) {
    config_t configuration;
    config_init(&configuration);
    ASSERT_EQ(config_read_string(&configuration,
                                 "options = { title = \"x\"; };\n"
                                 "variable = { SITE = { value = \"North\"; }; };"),
              CONFIG_TRUE);
    VariablesContext shared{};
    ASSERT_EQ(VariablesInit(&shared, &configuration, 1), 1);
    EXPECT_STREQ(GetVariable(&shared, "SITE"), "North");
    SetVariable(&shared, "ROOM", "%d", 12);
    shared.Destroy(&shared);

    const char *room = nullptr;
    EXPECT_EQ(config_lookup_string(&configuration, "variable.ROOM.value", &room), CONFIG_TRUE);
    EXPECT_STREQ(room, "12");
    config_destroy(&configuration);
}

TEST_F(VariablesTest, AMissingVariableGroupIsAdded) {
    config_t configuration;
    config_init(&configuration);
    VariablesContext shared{};
    ASSERT_EQ(VariablesInit(&shared, &configuration, 1), 1);
    EXPECT_EQ(SetVariable(&shared, "X", "1"), 1);
    EXPECT_STREQ(GetVariable(&shared, "X"), "1");
    shared.Destroy(&shared);
    config_destroy(&configuration);
}

TEST_F(VariablesTest, NothingStoredIsNotASuccess) {
    config_t configuration;
    config_init(&configuration);
    VariablesContext shared{};
    ASSERT_EQ(VariablesInit(&shared, &configuration, 1), 1);
    // The caller's configuration loses its group after the context was made.
    config_setting_remove(config_root_setting(&configuration), "variable");
    EXPECT_EQ(SetVariable(&shared, "X", "1"), 0);
    EXPECT_EQ(GetVariable(&shared, "X"), nullptr);
    shared.Destroy(&shared);
    config_destroy(&configuration);
}

TEST_F(VariablesTest, ExpandingWhileAnotherThreadSetsTheVariableReadsWholeValues) {
    const std::string longValue(500, 'L');
    std::atomic<bool> done{false};
    std::thread writer([&]() {
        for (int i = 0; i < 20000; ++i) {
            SetVariable(&context, "TAPE", "%s", i % 2 ? longValue.c_str() : "short");
        }
        done = true;
    });
    int wrong = 0;
    while (!done) {
        const std::string text = Expand("$TAPE", 599);
        wrong += (text != "short" && text != longValue && text != "A00001") ? 1 : 0;
    }
    writer.join();
    EXPECT_EQ(wrong, 0);
}

class VariableFileTest : public VariablesTest {
protected:
    TempDir folder;
};

TEST_F(VariableFileTest, DateVariablesAreRecomputedOnEveryRead) {
    const std::string file =
        folder.WriteFile("vars.cfg",
                         "variable = {\n"
                         "  YESTERDAY = { type = \"date\"; date = \"*-1\";\n"
                         "                format = \"%d/%m/%Y\"; value = \"old\"; };\n"
                         "  TODAY = { type = \"date\"; };\n"
                         "  BROKEN = { type = \"date\"; date = \"never\"; };\n"
                         "  SITE = { value = \"North\"; };\n"
                         "};\n");
    ScopedEnvironment varFile("ZARNVARFILE", file.c_str());
    VariablesContext own{};
    ASSERT_EQ(VariablesInit(&own, nullptr, 0), 1);
    EXPECT_STREQ(GetVariable(&own, "YESTERDAY"), "06/12/2026");
    EXPECT_STREQ(GetVariable(&own, "TODAY"), "2026-12-07");
    EXPECT_STREQ(GetVariable(&own, "BROKEN"), "2026-12-07");
    clock.Set(LocalTime(2027, 3, 1, 12, 0));
    EXPECT_STREQ(GetVariable(&own, "YESTERDAY"), "28/02/2027");

    char out[64];
    own.ExpandText(&own, "$SITE/$YESTERDAY.csv", out, sizeof out, 0);
    EXPECT_STREQ(out, "North/28/02/2027csv");
    own.Destroy(&own);
}

TEST_F(VariableFileTest, AnUnreadableFileGivesAnEmptyContext) {
    const std::string file = folder.WriteFile("broken.cfg", "variable = { ;;; ");
    for (const std::string &name : {file, (folder.Path() / "missing.cfg").string()}) {
        ScopedEnvironment varFile("ZARNVARFILE", name.c_str());
        VariablesContext own{};
        ASSERT_EQ(VariablesInit(&own, nullptr, 0), 1);
        EXPECT_EQ(SetVariable(&own, "A", "1"), 1);
        EXPECT_STREQ(GetVariable(&own, "A"), "1");
        own.Destroy(&own);
    }
}

}  // namespace
