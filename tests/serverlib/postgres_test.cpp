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
    ASSERT_EQ(CreateStationRole(server.Admin(), role, "pa'ss", error), 0) << error;
    CZARN10MFC station(0);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port, role.c_str(),
                            "pa'ss");
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
