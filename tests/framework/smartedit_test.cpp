// The SmartEdit field: its shortcut file, and the real widget driven by key events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <sstream>

#include "supportfixtures.h"
#include "zarnedit.h"
#include "zarnstationfiles.h"

using namespace zarn;
using namespace zarn::test;

namespace {

TEST(SmartEditFile, LinesForTheFieldInAnyCaseWithTheirTexts) {
    std::istringstream file(
        "% shortcuts of the customer filter\n"
        "customerfilter AC ACME*   \r\n"
        "CustomerFilter\tB\tBETA and   friends\n"
        "OtherField AC nothing\n"
        "CUSTOMERFILTER EMPTY\n"
        "CustomerFilter AC ACME???\n"  // a later key replaces an earlier one
        "CustomerFilter\n" +
        std::string(2000, 'x') + "\n");
    const auto shortcuts = ReadSmartEditShortcuts(file, "CustomerFilter");
    EXPECT_THAT(shortcuts, ::testing::ElementsAre(::testing::Pair("AC", "ACME???"),
                                                  ::testing::Pair("B", "BETA and   friends"),
                                                  ::testing::Pair("EMPTY", "")));
}

TEST(SmartEditFile, ALineEndingInCarriageReturnAndLineFeedKeepsItsKey) {
    std::istringstream file(
        "CustomerFilter A one\r\nCustomerFilter B\r\nCustomerFilter C  \r\n"
        "CustomerFilter D four\r\n");
    const auto shortcuts = ReadSmartEditShortcuts(file, "CustomerFilter");
    EXPECT_THAT(shortcuts,
                ::testing::ElementsAre(::testing::Pair("A", "one"), ::testing::Pair("B", ""),
                                       ::testing::Pair("C", ""), ::testing::Pair("D", "four")))
        << "4 keys defined";
}

class SmartEditField : public ::testing::Test {
protected:
    TempDir folder;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARNEdit> field;
    const std::string replacement150 = std::string(150, 'R');

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        profile = std::make_unique<Profile>("ZARNTollgate");
        folder.WriteFile("ZARNSmartEdit.txt",
                         "customerfilter ABC ACME, BETA\n"
                         "CustomerFilter EMPTY\n"
                         "CustomerFilter LONG " +
                             replacement150 + "\n");
        field = Make();
    }
    std::unique_ptr<CZARNEdit> Make() {
        auto made = std::make_unique<CZARNEdit>(*profile, nullptr,
                                                (folder.Path() / "ZARNSmartEdit.txt").string());
        made->SetSmartEditId("CustomerFilter", "Customer Filter String");
        made->show();
        return made;
    }
};

TEST_F(SmartEditField, TypingAKeyShowsItsTextAndF5TakesIt) {
    QTest::keyClicks(field.get(), "AB");
    EXPECT_EQ(field->Tip(), "");
    QTest::keyClick(field.get(), 'C');
    EXPECT_EQ(field->Tip(), "Hit F5 to set to ACME, BETA");
    QTest::keyClick(field.get(), Qt::Key_F5);
    EXPECT_EQ(field->text(), "ACME, BETA");
    QTest::keyClick(field.get(), Qt::Key_X);
    EXPECT_EQ(field->Tip(), "") << "no key: the tip goes";
}

TEST_F(SmartEditField, AnEmptyTextEmptiesTheFieldAndLongTextsAreCutInTheTip) {
    QTest::keyClicks(field.get(), "EMPTY");
    EXPECT_EQ(field->Tip(), "Hit F5 to set to ");
    QTest::keyClick(field.get(), Qt::Key_F5);
    EXPECT_EQ(field->text(), "");
    QTest::keyClicks(field.get(), "LONG");
    EXPECT_EQ(field->Tip().toStdString(), "Hit F5 to set to " + std::string(97, 'R') + "...");
}

TEST_F(SmartEditField, F2ListsTheKeysAndF11SavesTheDefaultForTheNextStart) {
    QTest::keyClick(field.get(), Qt::Key_F2);
    EXPECT_EQ(field->Tip(),
              "The Smart Edit ID for this window is: CustomerFilter (3 keys "
              "defined). Keys:\n\nABC\nEMPTY\nLONG\n");
    QTest::keyClicks(field.get(), "ACME*");
    QTest::keyClick(field.get(), Qt::Key_F11);
    EXPECT_EQ(field->Tip(), "Default value saved as: ACME*");
    field.reset();
    profile = std::make_unique<Profile>("ZARNTollgate");
    field = Make();
    EXPECT_EQ(field->text(), "ACME*");
}

TEST_F(SmartEditField, WithoutAShortcutFileNothingBreaks) {
    CZARNEdit bare(*profile, nullptr, (folder.Path() / "missing.txt").string());
    bare.SetSmartEditId("CustomerFilter", "Customer Filter String");
    QTest::keyClick(&bare, Qt::Key_F2);
    EXPECT_EQ(bare.Tip(),
              "The Smart Edit ID for this window is: CustomerFilter (0 keys "
              "defined). Keys:\n\n");
    QTest::keyClick(&bare, Qt::Key_F5);
    EXPECT_EQ(bare.text(), "");
}

// An installed program runs in /usr/bin, where nobody writes: the user's folder comes first,
// then the system's, then the program's own (the working folder).
TEST(StationFiles, TheUsersFolderThenTheSystemsThenTheProgramsFolder) {
    TempDir user, system, program;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", user.Path().c_str()};
    ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", system.Path().c_str()};
    const std::filesystem::path startedIn = std::filesystem::current_path();
    std::filesystem::current_path(program.Path());
    TempDir profileFolder;
    Profile::RedirectForTests(profileFolder.Path().string());
    Profile profile("ZARNTollgate");
    const auto keysSeen = [&] {
        CZARNEdit field(profile);  // the shortcut file by its bare name, as the windows make it
        field.SetSmartEditId("CustomerFilter", "Customer Filter String");
        QTest::keyClick(&field, Qt::Key_F2);
        const QString tip = field.Tip();
        return tip.mid(tip.indexOf("Keys:\n\n") + 7).trimmed().toStdString();
    };

    program.WriteFile("ZARNSmartEdit.txt", "CustomerFilter PROGRAM x\n");
    EXPECT_EQ(keysSeen(), "PROGRAM");
    std::filesystem::create_directories(system.Path() / "Quillfen");
    system.WriteFile("Quillfen/ZARNSmartEdit.txt", "CustomerFilter SYSTEM x\n");
    EXPECT_EQ(keysSeen(), "SYSTEM");
    std::filesystem::create_directories(user.Path() / "Quillfen");
    user.WriteFile("Quillfen/ZARNSmartEdit.txt", "CustomerFilter USER x\n");
    EXPECT_EQ(keysSeen(), "USER");

    EXPECT_EQ(LocateStationFile("QueryExceptions.txt"),
              (user.Path() / "Quillfen" / "QueryExceptions.txt").string())
        << "a file found nowhere belongs in the user's folder";
    EXPECT_EQ(LocateStationFile("./own.txt"), "./own.txt");
    std::filesystem::current_path(startedIn);
}

}  // namespace
