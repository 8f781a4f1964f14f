// ZARNShelver itself, run with --replay on a temporary copy of the demo store: volumes placed
// by zone and slot from the scan bar and from bar codes, one new volume added; the speech log,
// the exported list and the store are checked afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "supportfixtures.h"
#include "zarnstore.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string Read(const std::string &path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(ShelverReplay, VolumesArePlacedWhereTheScanBarSays) {
    TempDir folder;
    const std::string database = (folder.Path() / "kestrava.db").string();
    ASSERT_EQ(std::system(
                  ("env ZARNDATABASE='" + database + "' '" + ZARN_SERVER_TOOL + "' demo >/dev/null")
                      .c_str()),
              0);
    const std::string exported = (folder.Path() / "shelved.txt").string();
    const std::string replay = folder.WriteFile("shelf.txt",
                                                "@zone LIB-A\n"
                                                "@option auto-increment on\n"
                                                "@slot 7\n"
                                                "@scan\n"
                                                "ACME.LTO8.AB0001\n"
                                                "ACME.LTO8.AB0002\n"
                                                "ACME.LTO8.NEW0001\n"
                                                "Z:3\n"
                                                "S:12\n"
                                                "BETA.3592.BA0001\n"
                                                "@end-scan\n"
                                                "@export text " +
                                                    exported + "\n");
    const std::string speech = (folder.Path() / "speech.txt").string();
    const std::string log = (folder.Path() / "station.log").string();
    const std::string command =
        "env -u DISPLAY -u ZARNDEFAULTSERVER QT_QPA_PLATFORM=offscreen ZARNLOGFILE='" + log +
        "' HOME='" + folder.Path().string() + "' XDG_CONFIG_HOME='" + folder.Path().string() +
        "/config' ZARNDATABASE='" + database + "' ZARNUPDATESERVER=127.0.0.1:1 timeout 120 '" +
        ZARN_SHELVER + "' --replay '" + replay + "' --speech-log '" + speech + "' 2>'" +
        (folder.Path() / "stderr.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << Read((folder.Path() / "stderr.txt").string());

    // AB0001 is a container of the demo set: it becomes the current container, and is slotted.
    EXPECT_THAT(Lines(speech),
                ElementsAre("New container set", "7", "8", "9", "New zone set to North one",
                            "New slot set to 12", "12"));
    const std::string list = Read(exported);
    EXPECT_THAT(list, HasSubstr("NEW0001"));
    EXPECT_THAT(list, HasSubstr("NV-RACK1:12"));
    // Each write in the station's log.
    const std::string day = Read(log);
    EXPECT_THAT(day,
                ::testing::ContainsRegex(
                    "ZARNShelver\\[[0-9]+\\] info kestrava.shelving: shelved ACME.LTO8.AB0002 at "
                    "[^\n]*8\n"));
    EXPECT_THAT(day,
                ::testing::ContainsRegex(
                    "ZARNShelver\\[[0-9]+\\] info kestrava.shelving: added ACME.LTO8.NEW0001 at "));

    ConnectionSettings settings;
    settings.database = database;
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<Store> store = Store::Open(settings, result, error);
    ASSERT_NE(store, nullptr) << error;
    QSqlQuery query(store->Database());
    ASSERT_TRUE(
        query.exec("SELECT volume, current_repository, current_slot FROM volumes"
                   " WHERE volume IN ('AB0001', 'AB0002', 'NEW0001', 'BA0001')"
                   " ORDER BY volume"));
    std::vector<std::string> placed;
    while (query.next()) {
        placed.push_back(query.value(0).toString().toStdString() + "@" +
                         query.value(1).toString().toStdString() + ":" +
                         query.value(2).toString().toStdString());
    }
    EXPECT_THAT(placed,
                ElementsAre("AB0001@LIB1:7", "AB0002@LIB1:8", "BA0001@VLT1:12", "NEW0001@LIB1:9"));
    QSqlQuery containers(store->Database());
    ASSERT_TRUE(
        containers.exec("SELECT a.container = b.container FROM volumes a, volumes b"
                        " WHERE a.volume = 'AB0001' AND b.volume = 'NEW0001'"));
    ASSERT_TRUE(containers.next());
    EXPECT_TRUE(containers.value(0).toBool()) << "the new volume is in the scanned container";
}

TEST(ShelverReplay, TheShelverReadsItsOwnConfiguration) {
    TempDir folder;
    const std::string database = (folder.Path() / "kestrava.db").string();
    ASSERT_EQ(std::system(
                  ("env ZARNDATABASE='" + database + "' '" + ZARN_SERVER_TOOL + "' demo >/dev/null")
                      .c_str()),
              0);
    // Found where an installed program looks: the user's configuration folder.
    std::filesystem::create_directories(folder.Path() / "config" / "Quillfen");
    folder.WriteFile("config/Quillfen/ZARNShelver.cfg",
                     "barcodes = { zone_prefix = \"ZN\"; slot_prefix = \"SL\"; };\n");
    const std::string replay = folder.WriteFile("shelf.txt", "@scan\nZN1\nSL4\nZ:2\n@end-scan\n");
    const std::string speech = (folder.Path() / "speech.txt").string();
    const std::string command =
        "env -u DISPLAY -u ZARNDEFAULTSERVER -u ZARNCONFIGFILE QT_QPA_PLATFORM=offscreen HOME='" +
        folder.Path().string() + "' XDG_CONFIG_HOME='" + folder.Path().string() +
        "/config' ZARNDATABASE='" + database + "' ZARNUPDATESERVER=127.0.0.1:1 timeout 120 '" +
        ZARN_SHELVER + "' --replay '" + replay + "' --speech-log '" + speech + "' 2>'" +
        (folder.Path() / "stderr.txt").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << Read((folder.Path() / "stderr.txt").string());
    EXPECT_THAT(Lines(speech), ElementsAre("New zone set to Library A", "New slot set to 4",
                                           "[tone: refused]", "Bar code not recognised"))
        << "the file's markers, and the built-in ones no longer";
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()),
                ::testing::Not(HasSubstr("Configuration Error")));
}

}  // namespace
