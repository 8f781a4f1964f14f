// What only a shared PostgreSQL server has: station roles, and a server that goes away.
#include <gtest/gtest.h>

#include <QSqlQuery>

#include "serverfixture.h"
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

TEST_F(PostgresTest, AServerThatGoesAwayGivesACodeAndChangesNothing) {
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
    const CZARN10RC lost = station->Update(&record);
    EXPECT_FALSE(lost.IsOK(0));
    EXPECT_TRUE(lost.Code() == kZarnServerUnavailable || lost.Code() == kZarnDatabaseError)
        << lost.Get();

    std::unique_ptr<CZARN10MFC> again = server.Connect();
    ASSERT_NE(again, nullptr);
    ZARNVOLS stored;
    ASSERT_TRUE(again->Get(&stored, "ACME", "LTO9", "A00002").IsOK(0));
    EXPECT_EQ(stored.locations[0].slot, 6);
}

}  // namespace
