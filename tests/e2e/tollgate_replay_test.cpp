// The program itself, run with --replay on a temporary copy of the demo store: a Pick run, a
// Query run, the server update and an export of the error list; then the speech log, the
// exported file and the store are checked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "supportfixtures.h"
#include "zarnstore.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::Contains;
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

class TollgateReplay : public ::testing::Test {
protected:
    TempDir folder;
    std::string database = (folder.Path() / "kestrava.db").string();

    // The program as an operator's machine starts it: a home of its own, no display.
    int Run(const std::string &replay, const std::string &speech, const std::string &log = "") {
        return std::system(("timeout 120 " + Command(replay, speech, log)).c_str());
    }
    std::string Command(const std::string &replay, const std::string &speech,
                        const std::string &log = "") {
        const std::string environment =
            "env -u DISPLAY -u ZARNDEFAULTSERVER -u ZARNCONFIGFILE -u XDG_STATE_HOME"
            " QT_QPA_PLATFORM=offscreen "
            "ZARNLOGFILE='" +
            log + "' HOME='" + folder.Path().string() + "' XDG_CONFIG_HOME='" +
            folder.Path().string() + "/config' XDG_DATA_HOME='" + folder.Path().string() +
            "/data' ZARNDATABASE='" + database + "' ZARNUPDATESERVER=127.0.0.1:1 ";
        return environment + "'" + ZARN_TOLLGATE + "' --replay '" + replay + "' --speech-log '" +
               speech + "' 2>'" + (folder.Path() / "stderr.txt").string() + "'";
    }
    // The program started without waiting for it; its process id (0 when it did not start).
    int Start(const std::string &replay, const std::string &speech) {
        FILE *started = popen((Command(replay, speech) + " & echo $!").c_str(), "r");
        int pid = 0;
        if (started) {
            if (std::fscanf(started, "%d", &pid) != 1) {
                pid = 0;
            }
            pclose(started);
        }
        return pid;
    }
    void SetUp() override {
        const std::string demo =
            "env ZARNDATABASE='" + database + "' '" + ZARN_SERVER_TOOL + "' demo >/dev/null";
        ASSERT_EQ(std::system(demo.c_str()), 0);
    }
    std::unique_ptr<Store> Open() {
        ConnectionSettings settings;
        settings.database = database;
        uint8_t result = 0;
        std::string error;
        return Store::Open(settings, result, error);
    }
    long long Count(Store &store, const std::string &sql) {
        QSqlQuery query(store.Database());
        return query.exec(QString::fromStdString(sql)) && query.next() ? query.value(0).toLongLong()
                                                                       : -1;
    }
};

TEST_F(TollgateReplay, APickRunAQueryRunAnUpdateAndAnExport) {
    const std::string errors = (folder.Path() / "errors.txt").string();
    const std::string replay =
        folder.WriteFile("day.txt",
                         "# a Pick run: skip, repeat, a stranger, then the rest completed at once\n"
                         "@add-customer BETA\n"
                         "@pick\n"
                         "@start-scan\n"
                         "!0\n"
                         "!S\n"
                         "!R\n"
                         "BETA.3592.NOPE99\n"
                         "@end-scan\n"
                         "@auto-complete\n"
                         "# a Query run of two ACME volumes and one nobody knows\n"
                         "@add-customer ACME\n"
                         "@query\n"
                         "@start-scan\n"
                         "ACME.LTO8.AB0001\n"
                         "ACME.LTO8.AB0002\n"
                         "ZZZZ.LTO8.NOPE01\n"
                         "@end-scan\n"
                         "@export errors text " +
                             errors +
                             "\n"
                             "@update-server\n");
    const std::string speech = (folder.Path() / "speech.txt").string();
    ASSERT_EQ(Run(replay, speech), 0) << Read((folder.Path() / "stderr.txt").string());

    const std::vector<std::string> spoken = Lines(speech);
    ASSERT_FALSE(spoken.empty());
    EXPECT_EQ(spoken.front(), "Kestrava Speech sub-system enabled and ready for work");
    for (const char *text : {"New Customer", "Scan Mode set to volume only", "Volume skipped",
                             "Volume Repeated", "Volume is not in list", "NV-RACK1  slot 41 ",
                             "LIB-A  slot 44 ", "Volume is not on file"}) {
        EXPECT_THAT(spoken, Contains(text)) << Read(speech);
    }

    const std::string exported = Read(errors);
    EXPECT_THAT(exported, HasSubstr("Kestrava Tollgate Error List"));
    EXPECT_THAT(exported, HasSubstr("NOPE01"));
    EXPECT_THAT(exported, HasSubstr("Volume is undefined"));

    std::unique_ptr<Store> store = Open();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(Count(*store,
                    "SELECT COUNT(*) FROM volumes WHERE customer_id = 'BETA'"
                    " AND destination_repository <> '' AND (flags & 8) = 0"),
              1)
        << "every BETA volume due to move was picked but the one skipped";
    EXPECT_EQ(Count(*store,
                    "SELECT current_slot FROM volumes WHERE volume = 'AB0001'"
                    " AND current_repository = 'VLT1'"),
              41)
        << "arrived where it was due";
    EXPECT_GE(Count(*store,
                    "SELECT COUNT(*) FROM movement_history WHERE volume = 'AB0001'"
                    " AND action = 'arrived'"),
              1);
}

TEST_F(TollgateReplay, AReplayFileThatCannotBeReadIsAClearFailure) {
    EXPECT_NE(Run((folder.Path() / "missing.txt").string(), "/dev/null"), 0);
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()), HasSubstr("cannot read"));
}

// What an administrator reads of a station's day: journalctl shows the same lines, which the
// program also writes to the file ZARNLOGFILE names.
TEST_F(TollgateReplay, TheStationsDayIsLogged) {
    {
        std::unique_ptr<Store> store = Open();
        ASSERT_NE(store, nullptr);
        ASSERT_EQ(store->Run("CREATE TRIGGER refuse BEFORE UPDATE ON volumes"
                             " WHEN OLD.volume = 'BD0002'"
                             " BEGIN SELECT RAISE(ABORT, 'held for the test'); END"),
                  0);
    }
    const std::string replay = folder.WriteFile(
        "day.txt",
        "@add-customer BETA\n@pick\n@start-scan\n@end-scan\n@auto-complete\n@update-server\n");
    const std::string log = (folder.Path() / "station.log").string();
    ASSERT_EQ(Run(replay, (folder.Path() / "speech.txt").string(), log), 0)
        << Read((folder.Path() / "stderr.txt").string());

    const std::string day = Read(log);
    const auto logged = [&](const std::string &pattern) {
        return ::testing::ContainsRegex("(^|\n)ZARNTollgate\\[[0-9]+\\] " + pattern);
    };
    EXPECT_THAT(day, logged("info kestrava.start: ZARNTollgate [0-9.]+ started on "));
    EXPECT_THAT(day, logged("info kestrava.updatecheck: update check at 127.0.0.1:1 : no newer "
                            "version offered"));
    EXPECT_THAT(day, logged("info kestrava.logon: logged on to the embedded store " + database +
                            " as station [^\n]+"));
    EXPECT_THAT(day,
                logged("info kestrava.tree: tree built: [1-9][0-9]* customers, [1-9][0-9]* "
                       "volumes, [1-9][0-9]* due to move, in [0-9]+ ms, no customer filter\n"));
    EXPECT_THAT(
        day,
        logged("warning kestrava.update: write refused: BETA.3592.BD0002 - Server database error"
               " \\(held for the test\\)\n"));
    EXPECT_THAT(day,
                logged("info kestrava.update: server update: 95 volumes written, 1 refused\n"));
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()),
                ::testing::Not(HasSubstr("kestrava.")))
        << "the station's log is not mixed into standard error";
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()),
                HasSubstr("BETA.3592.BD0002 (held for the test)"))
        << "the result list says what the store said";
}

// The program killed in the middle of a session (as a power cut or a crash would end it):
// the next start offers to restore the session; its lists are as they were, and the scans it
// had accepted are written by the server update, each once.
TEST_F(TollgateReplay, ASessionKilledIsRestoredAtTheNextStartAndEachScanWrittenOnce) {
    std::filesystem::create_directories(folder.Path() / "config/Quillfen");
    folder.WriteFile("config/Quillfen/ZARNTollgate.conf", "[Options]\nRealTimeUpdate=0\n");
    const std::string speech = (folder.Path() / "speech.txt").string();
    const std::string session =
        folder.WriteFile("session.txt",
                         "@add-customer ACME\n@query\n@start-scan\n!0\nACME.LTO8.AB0001\n"
                         "ACME.LTO8.AB0002\n@wait 100000\n");
    const int pid = Start(session, speech);
    ASSERT_GT(pid, 0);
    const auto answered = [&]() {
        const std::vector<std::string> lines = Lines(speech);
        return std::find(lines.begin(), lines.end(), "LIB-A  slot 44 ") != lines.end();
    };
    for (int tries = 0; tries < 600 && !answered(); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::vector<std::string> heard = Lines(speech);
    ASSERT_EQ(std::system(("kill -KILL " + std::to_string(pid)).c_str()), 0);
    ASSERT_THAT(heard, Contains("LIB-A  slot 44 ")) << Read(speech);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::string journal =
        (folder.Path() / ".local/state/Quillfen/ZARNTollgate-session.db").string();
    EXPECT_TRUE(std::filesystem::exists(journal)) << "the scans are in the session journal";
    const std::string moved =
        "SELECT COUNT(*) FROM movement_history WHERE volume IN ('AB0001', 'AB0002')"
        " AND action <> 'loaded'";
    {
        std::unique_ptr<Store> store = Open();
        ASSERT_NE(store, nullptr);
        EXPECT_EQ(Count(*store, moved), 0) << "nothing was written before the kill";
    }

    // The next start: the restore question takes its first button, Yes. The lists are as they
    // were (the two scans on the Done list), and the server update writes them.
    const std::string restored = (folder.Path() / "restored.txt").string();
    const std::string todo = (folder.Path() / "todo.txt").string();
    const std::string done = (folder.Path() / "done.txt").string();
    ASSERT_EQ(
        Run(folder.WriteFile("next.txt", "@export todo text " + todo + "\n@export done text " +
                                             done + "\n@update-server\n@quit\n"),
            restored),
        0)
        << Read((folder.Path() / "stderr.txt").string());
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()),
                HasSubstr("Restore the interrupted session: 2 scans not yet written?"));
    EXPECT_THAT(Read(restored), HasSubstr("Interrupted session restored: "));
    EXPECT_THAT(Read(restored), HasSubstr(" on the list, 2 scanned"));
    EXPECT_THAT(Read(done), HasSubstr("AB0001"));
    EXPECT_THAT(Read(done), HasSubstr("AB0002"));
    EXPECT_THAT(Read(todo), ::testing::Not(HasSubstr("AB0001")));
    EXPECT_THAT(Read(todo), HasSubstr("LTO8")) << "the rest of the customer's volumes listed";
    std::unique_ptr<Store> store = Open();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(Count(*store, moved), 2) << "each scan written once";
    EXPECT_EQ(Count(*store,
                    "SELECT current_slot FROM volumes WHERE volume = 'AB0001'"
                    " AND current_repository = 'VLT1'"),
              41)
        << "arrived where it was due, as the server update would have written it";
    EXPECT_FALSE(std::filesystem::exists(journal)) << "nothing left unwritten: no journal";

    const std::string again = (folder.Path() / "again.txt").string();
    ASSERT_EQ(Run(folder.WriteFile("quit.txt", "@quit\n"), again), 0);
    EXPECT_THAT(Read((folder.Path() / "stderr.txt").string()),
                ::testing::Not(HasSubstr("Restore the interrupted session")));
    EXPECT_EQ(Count(*store, moved), 2);
}

// Killed at random moments of a session (while scanning, during or after the server update),
// and started again with the restore's first button, Yes, and a server update: every scan the
// operator heard answered is in the store once, and no volume is written twice. With
// real-time update off (the scans wait in the journal) and on (the writer has them).
TEST_F(TollgateReplay, KilledAtRandomMomentsNoAnsweredScanIsLostOrWrittenTwice) {
    std::vector<std::string> due;
    {
        std::unique_ptr<Store> store = Open();
        ASSERT_NE(store, nullptr);
        QSqlQuery query(store->Database());
        ASSERT_TRUE(
            query.exec("SELECT media_id, volume FROM volumes WHERE customer_id = 'ACME'"
                       " AND destination_repository <> ''"
                       " AND destination_repository <> current_repository"
                       " AND (flags & 131072) = 0 ORDER BY media_id, volume LIMIT 24"));
        while (query.next()) {
            due.push_back(query.value(1).toString().toStdString());
            due.back().insert(0, "ACME." + query.value(0).toString().toStdString() + ".");
        }
    }
    ASSERT_EQ(due.size(), 24u);
    std::string session = "@add-customer ACME\n@query\n@start-scan\n!0\n";
    for (const std::string &volume : due) {
        session += volume + "\n@wait 40\n";
    }
    session += "@end-scan\n@update-server\n@wait 100000\n";
    const std::string replay = folder.WriteFile("session.txt", session);
    std::filesystem::create_directories(folder.Path() / "config/Quillfen");
    std::mt19937 random(static_cast<unsigned>(std::random_device{}()));
    for (int round = 0; round < 4; ++round) {
        const int realTime = round % 2;
        const int killAfter = 300 + static_cast<int>(random() % 1400);
        SCOPED_TRACE("real-time update " + std::to_string(realTime) + ", killed after " +
                     std::to_string(killAfter) + " ms");
        folder.WriteFile("config/Quillfen/ZARNTollgate.conf",
                         "[Options]\nRealTimeUpdate=" + std::to_string(realTime) + "\n");
        std::filesystem::remove(database);
        SetUp();  // a fresh demo store
        const std::string speech = (folder.Path() / "speech.txt").string();
        std::filesystem::remove(speech);
        const int pid = Start(replay, speech);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(killAfter));
        ASSERT_EQ(std::system(("kill -KILL " + std::to_string(pid)).c_str()), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Every accepted scan is answered with where the volume is, in scan order.
        const std::vector<std::string> heard = Lines(speech);
        const std::size_t answered = static_cast<std::size_t>(std::count_if(
            heard.begin(), heard.end(),
            [](const std::string &line) { return line.find("  slot ") != std::string::npos; }));

        SCOPED_TRACE(std::to_string(answered) + " scans answered before the kill");
        ASSERT_EQ(Run(folder.WriteFile("next.txt", "@update-server\n@quit\n"),
                      (folder.Path() / "next-speech.txt").string()),
                  0)
            << Read((folder.Path() / "stderr.txt").string());
        std::unique_ptr<Store> store = Open();
        ASSERT_NE(store, nullptr);
        for (std::size_t i = 0; i < due.size(); ++i) {
            const std::string volume = due[i].substr(due[i].rfind('.') + 1);
            const long long written =
                Count(*store, "SELECT COUNT(*) FROM movement_history WHERE volume = '" + volume +
                                  "' AND action <> 'loaded'");
            if (i < answered) {
                EXPECT_EQ(written, 1) << due[i] << " was answered";
            } else {
                EXPECT_LE(written, 1) << due[i];
            }
        }
        EXPECT_FALSE(std::filesystem::exists(folder.Path() /
                                             ".local/state/Quillfen/ZARNTollgate-session.db"))
            << "nothing left unwritten";
    }
}

}  // namespace
