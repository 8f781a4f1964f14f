// What only a shared PostgreSQL server has: station roles, and a server that goes away.
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <chrono>
#include <filesystem>

#include "serverfixture.h"
#include "supportfixtures.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class PostgresTest : public ::testing::Test {
protected:
    TestServer server{Backend::PostgreSQL};
    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        server.BuildSmallWorld();
    }
};

TEST_F(PostgresTest, AStationRoleCanScanButNotRewriteTheStore) {
    const std::string role = "station_" + server.Settings().database.substr(10);
    std::string error;
    // A password the statement text never holds: nothing in it can become SQL.
    const std::string password = "pa'ss'); CREATE TABLE pwned (i int); --";
    ASSERT_EQ(CreateStationRole(server.Admin(), role, password, error), 0) << error;
    EXPECT_EQ(TableCounts(server.Admin()).count("pwned"), 0u);
    QSqlQuery stored(server.Admin().Database());
    ASSERT_TRUE(stored.exec(QString::fromStdString(
        "SELECT rolpassword FROM pg_authid WHERE rolname = '" + role + "'")));
    ASSERT_TRUE(stored.next());
    EXPECT_TRUE(stored.value(0).toString().startsWith("SCRAM-SHA-256$")) << "a verifier only";
    QSqlQuery tables(server.Admin().Database());
    ASSERT_TRUE(tables.exec("SELECT COUNT(*) FROM pg_tables WHERE tablename = 'pwned'"));
    ASSERT_TRUE(tables.next());
    EXPECT_EQ(tables.value(0).toInt(), 0);
    CZARN10MFC station(0);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port, role.c_str(),
                            password.c_str());
    station.Session()->settings.database = server.Settings().database;
    ASSERT_TRUE(station.Logon(0).IsOK(0));

    ZARNVOLSEx record;
    ASSERT_TRUE(station.Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.locations[0].slot = 12;
    EXPECT_TRUE(station.Update(&record).IsOK(0));
    EXPECT_TRUE(station.Put("ACME", "", "", 101, 1, "Courier").IsOK(0));
    EXPECT_EQ(station.Session()->store->Run("DELETE FROM volumes"), kZarnPermissionDenied);
    EXPECT_EQ(station.Session()->store->Run("UPDATE customers SET name = 'x'"),
              kZarnPermissionDenied);
    Store &own = *station.Session()->store;
    // Only the columns a scan writes, and only as the store's rules allow.
    EXPECT_EQ(own.Run("UPDATE volumes SET volume = 'REKEYED' WHERE volume = 'A00002'"),
              kZarnPermissionDenied);
    EXPECT_NE(own.Run("UPDATE volumes SET version = 1 WHERE volume = 'A00002'"), 0);
    EXPECT_NE(own.Run("UPDATE volumes SET destination_repository = 'OFFS', version = version + 1"
                      " WHERE volume = 'A00002'"),
              0);
    EXPECT_EQ(own.Run("INSERT INTO movement_history (at, station, role, action, customer_id,"
                      " media_id, volume, from_repository, from_slot, to_repository, to_slot,"
                      " flags) VALUES (0, 'x', 'postgres', 'moved', 'ACME', 'LTO9', 'A00002',"
                      " '', 0, '', 0, 0)"),
              kZarnPermissionDenied);
    QSqlQuery who(server.Admin().Database());
    ASSERT_TRUE(who.exec("SELECT role FROM movement_history WHERE action = 'moved'"));
    ASSERT_TRUE(who.next());
    EXPECT_EQ(who.value(0).toString().toStdString(), role) << "the server wrote who it was";
    EXPECT_EQ(CreateStationRole(server.Admin(), "Bad Name", "x", error), kZarnInvalidArgument);
    station.Logoff(true);
    server.Admin().Run(QString::fromStdString("DROP OWNED BY " + role));
    server.Admin().Run(QString::fromStdString("DROP ROLE " + role));
}

TEST_F(PostgresTest, AStationRoleMadeBeforeWriteIdsWritesThemOnceTheStoreIsMigrated) {
    const std::string role = "older_" + server.Settings().database.substr(10);
    std::string error;
    ASSERT_EQ(CreateStationRole(server.Admin(), role, "pw", error), 0) << error;
    // The store as it was before write ids: no column, no index, no grant.
    for (const char *undo :
         {"DROP INDEX history_by_write_id", "ALTER TABLE movement_history DROP COLUMN write_id",
          "UPDATE meta SET value = '3' WHERE key = 'schema_version'"}) {
        ASSERT_EQ(server.Admin().Run(undo), 0) << undo << ": " << server.Admin().LastError();
    }
    uint8_t result = 0;
    ASSERT_NE(OpenAndMigrate(server.Settings(), result, error), nullptr) << error;

    CZARN10MFC station(0);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port, role.c_str(),
                            "pw");
    station.Session()->settings.database = server.Settings().database;
    ASSERT_TRUE(station.Logon(0).IsOK(0));
    ZARNVOLSEx record;
    ASSERT_TRUE(station.Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.locations[0].slot = 12;
    const CZARN10RC written = station.Update(&record);
    EXPECT_TRUE(written.IsOK(0)) << written.Get();
    QSqlQuery ids(server.Admin().Database());
    ASSERT_TRUE(ids.exec("SELECT COUNT(DISTINCT write_id) FROM movement_history"
                         " WHERE volume = 'A00002' AND action <> 'loaded'") &&
                ids.next());
    EXPECT_EQ(ids.value(0).toInt(), 1);
    station.Logoff(true);
    server.Admin().Run(QString::fromStdString("DROP OWNED BY " + role));
    server.Admin().Run(QString::fromStdString("DROP ROLE " + role));
}

// Long reads go through libpq's own cursor: a media of more rows than one fetch is read whole
// and in order, inside a caller's transaction as outside one, and a parameter is only ever a
// literal (a quote in it, a "?" in the statement's own text).
TEST_F(PostgresTest, ALongReadComesWholeInOrderAndItsParametersStayLiterals) {
    Store &store = server.Admin();
    ASSERT_EQ(store.Run("INSERT INTO volumes (customer_id, media_id, volume, current_repository,"
                        " current_slot, destination_repository, destination_slot)"
                        " SELECT 'ACME', 'LTO8', 'L' || lpad(n::text, 6, '0'), 'LIB1', n % 500,"
                        " 'VLT1', 1 FROM generate_series(1, 45000) AS n"),
              kZarnOK);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    std::vector<ZARNVOLSFULL> listed;
    ASSERT_TRUE(
        station->List(listed, "ACME", "LTO8", {0}, nullptr, nullptr, nullptr, 0, 0).IsOK(0));
    ASSERT_EQ(listed.size(), 45000u) << "more than two fetches";
    EXPECT_EQ(ReadField(listed.front().volume), "L000001");
    EXPECT_EQ(ReadField(listed[29999].volume), "L030000");
    EXPECT_EQ(ReadField(listed.back().volume), "L045000");

    std::vector<std::string> texts;
    const auto read = [&]() {
        return store.ForEachRow("SELECT ? || '?', length(?)", {"it's", "a?b"},
                                [&](const StoreRow &row) {
                                    texts.emplace_back(row.Text(0));
                                    texts.push_back(std::to_string(row.Int(1)));
                                });
    };
    EXPECT_EQ(read(), kZarnOK);
    EXPECT_EQ(store.InTransaction(read), kZarnOK);
    EXPECT_EQ(texts, (std::vector<std::string>{"it's?", "3", "it's?", "3"}));
    EXPECT_NE(store.ForEachRow("SELECT nothing FROM nowhere", {}, [](const StoreRow &) {}),
              kZarnOK);
    EXPECT_EQ(read(), kZarnOK) << "a failed read leaves the connection usable";
}

// A row another station holds is waited for no longer than the station waits for the server:
// the write is answered busy (and is written once the row is free), not left to hang.
TEST_F(PostgresTest, ARowHeldElsewhereHoldsAStationNoLongerThanItsWait) {
    CZARN10MFC station(0);
    station.SetProgramID(3);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port,
                            server.Settings().user.c_str(), "");
    station.Session()->settings.database = server.Settings().database;
    station.SetReconnectWait(300);
    ASSERT_TRUE(station.Logon(0).IsOK(0));
    ZARNVOLSEx record;
    ASSERT_TRUE(station.Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    Store &holder = server.Admin();
    ASSERT_TRUE(holder.Database().transaction());
    ASSERT_EQ(holder.Run("SELECT 1 FROM volumes WHERE volume = 'A00002' FOR UPDATE"), kZarnOK);
    record.locations[0].slot = 77;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(station.Update(&record).Code(), kZarnDatabaseBusy);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    holder.Database().rollback();
    EXPECT_TRUE(station.Update(&record).IsOK(0)) << "written once the row is free";
}

TEST_F(PostgresTest, AConnectionTheServerEndsIsMadeAgainAndTheWriteGoesOn) {
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ASSERT_NE(station, nullptr);
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));

    QSqlQuery terminate(server.Admin().Database());
    ASSERT_EQ(server.Admin().Run(terminate,
                                 "SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                                 " WHERE datname = ? AND pid <> pg_backend_pid()",
                                 {QString::fromStdString(server.Settings().database)}),
              0);
    record.locations[0].slot = 99;
    const CZARN10RC written = station->Update(&record);
    EXPECT_TRUE(written.IsOK(0)) << written.Get();

    std::unique_ptr<CZARN10MFC> again = server.Connect();
    ASSERT_NE(again, nullptr);
    ZARNVOLS stored;
    ASSERT_TRUE(again->Get(&stored, "ACME", "LTO9", "A00002").IsOK(0));
    EXPECT_EQ(stored.locations[0].slot, 99);
}

}  // namespace

namespace {

// A station's own log-on role on the test store, dropped again at the end.
class StationRoleTest : public PostgresTest {
protected:
    std::string role;
    std::unique_ptr<CZARN10MFC> station;

    void SetUp() override {
        PostgresTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        role = "station_" + server.Settings().database.substr(10);
        std::string error;
        ASSERT_EQ(CreateStationRole(server.Admin(), role, "pw", error), 0) << error;
        station = std::make_unique<CZARN10MFC>(0);
        station->SetLogonDetails(server.Settings().host.c_str(), server.Settings().port,
                                 role.c_str(), "pw");
        station->Session()->settings.database = server.Settings().database;
        ASSERT_TRUE(station->Logon(0).IsOK(0));
    }
    void TearDown() override {
        if (station) {
            station->Logoff(true);
            server.Admin().Run(QString::fromStdString("DROP OWNED BY " + role));
            server.Admin().Run(QString::fromStdString("DROP ROLE " + role));
        }
    }
    Store &Own() { return *station->Session()->store; }
    long long AdminCount(const std::string &sql) {
        QSqlQuery query(server.Admin().Database());
        return server.Admin().Run(query, QString::fromStdString(sql)) == 0 && query.next()
                   ? query.value(0).toLongLong()
                   : -1;
    }
};

TEST_F(StationRoleTest, ASearchPathOfItsOwnDoesNotTurnTheRulesOff) {
    ASSERT_EQ(Own().Run("SET search_path = pg_catalog, public"), 0);
    EXPECT_EQ(Own().Run("UPDATE volumes SET version = 1, destination_repository = 'OFFS'"
                        " WHERE volume = 'A00002'"),
              kZarnPermissionDenied);
    // Its own tables first in the path, where the rules look for the store's.
    ASSERT_EQ(Own().Run("CREATE TEMP TABLE repositories (id VARCHAR(4))"), 0);
    ASSERT_EQ(Own().Run("INSERT INTO pg_temp.repositories VALUES ('ZZZZ')"), 0);
    ASSERT_EQ(Own().Run("SET search_path = pg_temp, public"), 0);
    EXPECT_EQ(Own().Run("UPDATE volumes SET current_repository = 'ZZZZ', version = version + 1"
                        " WHERE volume = 'A00002'"),
              kZarnRepositoryNotFound);
    ASSERT_EQ(Own().Run("RESET search_path"), 0);
    EXPECT_EQ(AdminCount("SELECT COUNT(*) FROM volumes WHERE volume = 'A00002' AND version = 1"
                         " AND current_repository = 'LIB1' AND destination_repository = ''"),
              1);
}

TEST_F(StationRoleTest, WhatAStationInsertsKeepsTheRulesOfWhatItUpdates) {
    const auto insertVolume = [&](const char *volume, const char *version,
                                  const char *destination) {
        return Own().Run(QString("INSERT INTO volumes (customer_id, media_id, volume,"
                                 " current_repository, destination_repository, version)"
                                 " VALUES ('ACME', 'LTO9', '%1', 'LIB1', '%2', %3)")
                             .arg(volume, destination, version));
    };
    EXPECT_EQ(insertVolume("X1", "77", ""), kZarnPermissionDenied);
    EXPECT_EQ(insertVolume("X2", "1", "OFFS"), kZarnPermissionDenied);
    EXPECT_EQ(Own().Run("UPDATE volumes SET current_repository = 'ZZZZ', version = version + 1"
                        " WHERE volume = 'A00002'"),
              kZarnRepositoryNotFound);
    const auto insertHistory = [&](const char *station, const char *action, const char *volume) {
        return Own().Run(QString("INSERT INTO movement_history (at, station, action, customer_id,"
                                 " media_id, volume, from_repository, from_slot, to_repository,"
                                 " to_slot, flags) VALUES (0, '%1', '%2', 'ACME', 'LTO9', '%3',"
                                 " '', 0, 'LIB1', 0, 0)")
                             .arg(station, action, volume));
    };
    EXPECT_NE(insertHistory("host/3", "stolen", "A00002"), 0);
    EXPECT_EQ(insertHistory("host/3", "loaded", "A00002"), kZarnPermissionDenied);
    EXPECT_EQ(insertHistory("", "moved", "A00002"), kZarnPermissionDenied);
    EXPECT_EQ(insertHistory("host/3", "moved", "NOSUCH"), kZarnPermissionDenied);
    EXPECT_EQ(AdminCount("SELECT COUNT(*) FROM volumes WHERE volume IN ('X1', 'X2')"), 0);
    EXPECT_EQ(AdminCount("SELECT COUNT(*) FROM movement_history WHERE at = 0"), 0);

    // What the station's own library writes still goes through, as the server's role.
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    WriteField(record.volume, "N00001");
    WriteField(record.locations[1].repositoryId, "OFFS");  // not the station's to set
    ASSERT_TRUE(station->Add(&record).IsOK(0));
    EXPECT_EQ(AdminCount("SELECT COUNT(*) FROM volumes WHERE volume = 'N00001' AND version = 1"
                         " AND destination_repository = ''"),
              1);
    EXPECT_EQ(AdminCount("SELECT COUNT(*) FROM movement_history WHERE volume = 'N00001'"
                         " AND action = 'added' AND role = '" +
                         role + "'"),
              1);
}

// A station whose URL holds no password: libpq's password file serves, else the operator is
// asked once; a wrong answer is not kept.
TEST_F(StationRoleTest, ThePasswordComesFromThePasswordFileOrIsAskedOnce) {
    const ConnectionSettings &cluster = server.Settings();
    TempDir folder;
    const std::string passwords =
        folder.WriteFile("pgpass", cluster.host + ":" + std::to_string(cluster.port) + ":" +
                                       cluster.database + ":" + role + ":pw\n");
    std::filesystem::permissions(
        passwords, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ScopedEnvironment noPassword{"PGPASSWORD", nullptr};
    CZARN10MFC fromFile(0);
    fromFile.SetLogonDetails(cluster.host.c_str(), cluster.port, role.c_str(), "");
    fromFile.Session()->settings.database = cluster.database;
    {
        ScopedEnvironment file{"PGPASSFILE", passwords.c_str()};
        EXPECT_TRUE(fromFile.Logon(0).IsOK(0));
    }

    ScopedEnvironment none{"PGPASSFILE", (folder.Path() / "none").c_str()};
    CZARN10MFC asking(0);
    asking.SetLogonDetails(cluster.host.c_str(), cluster.port, role.c_str(), "");
    asking.Session()->settings.database = cluster.database;
    EXPECT_EQ(asking.Logon(0).Code(), kZarnLogonRefused) << "no prompt: a refusal";
    std::vector<std::string> asked;
    std::vector<std::string> answers = {"wrong", "pw"};
    asking.SetPasswordPrompt([&](const std::string &server) {
        asked.push_back(server);
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    EXPECT_EQ(asking.Logon(0).Code(), kZarnLogonRefused);
    EXPECT_TRUE(asking.Logon(0).IsOK(0)) << "asked again after a wrong answer";
    asking.Logoff(true);
    EXPECT_TRUE(asking.Logon(0).IsOK(0)) << "the right one is kept for the run";
    EXPECT_EQ(asked, std::vector<std::string>(2, role + "@" + cluster.host));
    asking.Logoff(true);
    fromFile.Logoff(true);
}

}  // namespace
