#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "supportfixtures.h"
#include "zarn10treemedia.h"
#include "zarn10treerepository.h"
#include "zarn30queryexceptions.h"

using ::testing::ElementsAre;

namespace {

std::vector<std::string> Patterns(const CQueryExceptionDlg &table, std::size_t entry) {
    std::vector<std::string> patterns;
    for (const CZARNFilter &filter : table.Entries().at(entry).patterns) {
        patterns.push_back(filter.pattern);
    }
    return patterns;
}

TEST(QueryExceptionFile, FiveFieldLinesBecomeEntries) {
    std::istringstream file(
        "# customer,media,volume,from,to\n"
        "ACME,LTO*,*,LIB1,*\r\n"
        "four,fields,only,here\n"
        "six,fields,are,too,many,here\n"
        "\n"
        " #ACME,,,,\n"
        "\"Acme, Inc\",LTO9,\"A1\"tail,,VLT1\n"
        "  BETA , x , y , z , w  \n");
    CQueryExceptionDlg table;
    table.Load(file);
    ASSERT_EQ(table.Entries().size(), 4u);
    EXPECT_THAT(Patterns(table, 0), ElementsAre("ACME", "LTO*", "*", "LIB1", "*"));
    EXPECT_THAT(Patterns(table, 1), ElementsAre("#ACME", "", "", "", ""))
        << "a blank before # is no comment";
    EXPECT_THAT(Patterns(table, 2), ElementsAre("Acme, Inc", "LTO9", "A1", "", "VLT1"));
    EXPECT_THAT(Patterns(table, 3), ElementsAre("BETA ", " x ", " y ", " z ", " w"))
        << "only the line's ends are trimmed";
}

TEST(QueryExceptionFile, LongLinesAreReadInPiecesAndAMissingFileIsEmpty) {
    std::istringstream file(std::string(1023, 'x') + "A,B,C,D,E\n");
    CQueryExceptionDlg table;
    table.Load(file);
    ASSERT_EQ(table.Entries().size(), 1u) << "the second piece is a line of its own";
    EXPECT_EQ(table.Entries()[0].patterns[0].pattern, "A");

    CQueryExceptionDlg missing("/no/such/folder/QueryExceptions.txt");
    missing.Load();
    EXPECT_TRUE(missing.Entries().empty());
}

TEST(QueryExceptionFile, MatchNeedsAllFivePatterns) {
    ZARNMEDIAEx record{};
    std::memcpy(record.mediaId, "LTO9", 4);
    CZARN10TreeMedia media(record, nullptr, nullptr, 2);
    CZARN10TreeRepository destination("VLT1", &media, nullptr, 0);
    CZARN10TreeRepository origin("LIB1", &media, nullptr, 1);
    CZARN10TreeVolume item;
    std::strcpy(item.volumeSerial, "A00001");
    item.media = &media;
    item.destination = &destination;
    item.origin = &origin;

    CQueryExceptionDlg table;
    std::istringstream leaving(",LTO*,*,LIB1,*\n");
    table.Load(leaving);
    EXPECT_EQ(table.Match(item), 1);
    std::istringstream arriving(",LTO*,*,*,LIB1\n,LTO8,,,\n");
    table.Load(arriving);
    EXPECT_EQ(table.Match(item), 0);
    item.origin = nullptr;
    std::istringstream nowhere(",,,,\n");
    table.Load(nowhere);
    EXPECT_EQ(table.Match(item), 1) << "empty patterns match everything, no origin included";
}

TEST(QueryExceptionFile, TheInstalledProgramReadsItFromTheSystemsOrTheUsersFolder) {
    zarn::test::TempDir user, system;
    zarn::test::ScopedEnvironment configHome{"XDG_CONFIG_HOME", user.Path().c_str()};
    zarn::test::ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", system.Path().c_str()};
    std::filesystem::create_directories(system.Path() / "Quillfen");
    system.WriteFile("Quillfen/QueryExceptions.txt", "ACME,*,*,*,*\nBETA,*,*,*,*\n");
    CQueryExceptionDlg table;  // by its bare name, as the document makes it
    table.Load();
    EXPECT_EQ(table.Entries().size(), 2u);
    std::filesystem::create_directories(user.Path() / "Quillfen");
    user.WriteFile("Quillfen/QueryExceptions.txt", "ACME,*,*,*,*\n");
    table.Load();
    EXPECT_EQ(table.Entries().size(), 1u) << "the user's own table comes first";
}

}  // namespace
