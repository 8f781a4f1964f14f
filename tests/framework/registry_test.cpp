// The registry wrapper over the profile files.
#include <gtest/gtest.h>

#include <filesystem>

#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "zarnprofile.h"
#include "zarnregistry.h"

using namespace zarn;
using namespace zarn::test;

namespace {

TEST(Registry, AMissingMachineKeyIsSilentWhenQuietAndReportedOtherwise) {
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    ScriptedUiServices ui;
    CZARNRegistry quiet(&ui);
    quiet.SetQuiet(1);
    quiet.SetAccess(kKeyRead);
    EXPECT_FALSE(quiet.Open("SOFTWARE\\Quillfen", RegistryRoot::LocalMachine, true));
    uint32_t value = 5;
    EXPECT_FALSE(quiet.ReadDword("DisableUpdateCheck", value));
    EXPECT_EQ(value, 5u);
    EXPECT_TRUE(ui.boxes.empty());

    CZARNRegistry loud(&ui);
    loud.SetAccess(kKeyRead);
    ui.Answer(kAnswerOk);
    EXPECT_FALSE(loud.Open("SOFTWARE\\Quillfen", RegistryRoot::LocalMachine, true));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Registry Error");
}

TEST(Registry, AnotherKeyOpenedIsTheOneWrittenAndAMissingValueIsNotRead) {
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    ScriptedUiServices ui;
    {
        CZARNRegistry key(&ui);
        ASSERT_TRUE(key.Open("Software\\Quillfen\\ZARNTollgate", RegistryRoot::CurrentUser, true));
        ASSERT_TRUE(key.Open("Software\\Quillfen\\ZARNShelver", RegistryRoot::CurrentUser, false));
        EXPECT_TRUE(key.WriteDword("Runs", 7));
        uint32_t read = 99;
        EXPECT_FALSE(key.ReadDword("NoSuchValue", read)) << "a value that is not there";
        EXPECT_EQ(read, 99u);
    }
    EXPECT_EQ(Profile("ZARNShelver").GetInt("", "Runs", 0), 7) << "the key opened last";
    EXPECT_EQ(Profile("ZARNTollgate").GetInt("", "Runs", 0), 0);
}

TEST(Registry, ValuesRoundTripAndAFailedWriteIsReported) {
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    ScriptedUiServices ui;
    {
        CZARNRegistry key(&ui);
        ASSERT_TRUE(key.Open("Software\\Quillfen\\ZARNTollgate", RegistryRoot::CurrentUser, true));
        EXPECT_TRUE(key.WriteDword("Count", 42));
        CZARNRegistry copy(key);  // shares the key, never closes it
        uint32_t read = 0;
        EXPECT_TRUE(copy.ReadDword("Count", read));
        EXPECT_EQ(read, 42u);
    }
    EXPECT_EQ(Profile("ZARNTollgate").GetInt("", "Count", 0), 42);

    // The settings file cannot be written any more: a folder stands where it was.
    CZARNRegistry key(&ui);
    ASSERT_TRUE(key.Open("Software\\Quillfen\\ZARNTollgate", RegistryRoot::CurrentUser, true));
    const auto file = folder.Path() / "user" / "Quillfen" / "ZARNTollgate.conf";
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    ui.Answer(kAnswerOk);
    const bool written = key.WriteDword("Count", 43);
    EXPECT_FALSE(written);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Registry Error");
}

}  // namespace
