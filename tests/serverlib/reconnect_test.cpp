// A connection that breaks: made again within a call's wait, and a write whose answer was lost
// on the way stored once and reported written, on both stores; a PostgreSQL server restarted
// in the middle of a station's writes loses none of them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "serverfixture.h"
#include "zarnfields.h"
#include "zarnreconnect.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;
using namespace std::chrono_literals;

namespace {

// A clock that moves only when the schedule pauses, and a connection that comes back once the
// clock reaches a given time.
struct ScriptedOutage {
    ReconnectSchedule::Clock::time_point now{};
    ReconnectSchedule::Clock::time_point backAt = ReconnectSchedule::Clock::time_point::max();
    std::vector<long long> pauses;  // in ms
    int tries = 0;
    ReconnectSchedule Schedule(ReconnectSchedule::Duration wait) {
        return ReconnectSchedule(
            wait, [this]() { return now; },
            [this](ReconnectSchedule::Duration pause) {
                pauses.push_back(pause.count());
                now += pause;
            });
    }
    bool Connect() {
        ++tries;
        return now >= backAt;
    }
};

TEST(ReconnectScheduleTest, ACallWaitsWithGrowingPausesAndLaterCallsTryOnlyWhenDue) {
    ScriptedOutage outage;
    ReconnectSchedule schedule = outage.Schedule(5000ms);
    const auto connect = [&]() { return outage.Connect(); };

    outage.backAt = outage.now + 300ms;
    EXPECT_TRUE(schedule.Reconnect(connect)) << "back within the wait";
    EXPECT_EQ(outage.pauses, (std::vector<long long>{50, 100, 200})) << "tried soon, then less";

    outage.pauses.clear();
    outage.backAt = ReconnectSchedule::Clock::time_point::max();
    EXPECT_FALSE(schedule.Reconnect(connect));
    long long waited = 0;
    for (long long pause : outage.pauses) {
        EXPECT_LE(pause, 1000) << "a waiting call tries at least every second";
        waited += pause;
    }
    EXPECT_LE(waited, 5000) << "no call waits longer than its wait";
    EXPECT_GT(waited, 3000);
    EXPECT_TRUE(schedule.GaveUp());

    // Given up: the next calls fail at once until a try is due, the tries further apart each
    // time, never more than 30 s.
    const std::size_t pausesOfTheWaitingCall = outage.pauses.size();
    std::vector<long long> intervals;
    auto lastTry = outage.now;
    for (int second = 0; second < 200; ++second) {
        outage.now += 1000ms;
        const int before = outage.tries;
        EXPECT_FALSE(schedule.Reconnect(connect));
        if (outage.tries != before) {
            intervals.push_back((outage.now - lastTry) / 1ms);
            lastTry = outage.now;
        }
    }
    EXPECT_EQ(outage.pauses.size(), pausesOfTheWaitingCall) << "no call waits once given up";
    ASSERT_GE(intervals.size(), 6u);
    EXPECT_EQ(intervals.front(), 1000);
    EXPECT_EQ(intervals.back(), 30000);
    EXPECT_TRUE(std::is_sorted(intervals.begin(), intervals.end()));

    outage.backAt = outage.now;
    outage.now += 30000ms;
    EXPECT_TRUE(schedule.Reconnect(connect));
    EXPECT_FALSE(schedule.GaveUp()) << "back: the next break is waited for again";
}

class LostAnswerTest : public SmallWorldTest {
protected:
    // The next commit of the station stores its work and its answer never arrives: on
    // PostgreSQL the server ends the station's connection right after the commit.
    void LoseTheNextCommitsAnswer() {
        Store &store = *station->Session()->store;
        qlonglong backend = 0;
        if (store.Kind() == Backend::PostgreSQL) {
            QSqlQuery pid(store.Database());
            ASSERT_TRUE(pid.exec("SELECT pg_backend_pid()") && pid.next());
            backend = pid.value(0).toLongLong();
        }
        store.SetAfterCommit([this, backend, fired = false]() mutable {
            if (fired) {
                return false;
            }
            fired = true;
            if (backend) {
                server.Admin().Run("SELECT pg_terminate_backend(?)", {backend});
            }
            return true;
        });
    }
    long long HistoryOf(const char *volume) {
        return Count(std::string("SELECT COUNT(*) FROM movement_history WHERE volume = '") +
                     volume + "' AND action <> 'loaded'");
    }
    ZARNVOLSEx Read(const char *volume) {
        ZARNVOLSEx record{};
        EXPECT_TRUE(station->Get(&record, "ACME", "LTO9", volume).IsOK(0)) << volume;
        return record;
    }
};

TEST_P(LostAnswerTest, AWriteWhoseAnswerWasLostIsStoredOnceAndReportedWritten) {
    ZARNVOLSEx record = Read("A00002");
    record.locations[0].slot = 42;
    LoseTheNextCommitsAnswer();
    const CZARN10RC result = station->Update(&record);
    EXPECT_TRUE(result.IsOK(0)) << result.Get() << ": never \"changed elsewhere\"";
    EXPECT_EQ(HistoryOf("A00002"), 1) << "one history row";
    EXPECT_EQ(Read("A00002").locations[0].slot, 42);
    EXPECT_EQ(record.version, 2u) << "the record is the store's copy";

    record.locations[0].slot = 43;
    EXPECT_TRUE(station->Update(&record).IsOK(0)) << "the connection works on";
    EXPECT_EQ(HistoryOf("A00002"), 2);
}

TEST_P(LostAnswerTest, ABatchWhoseAnswerWasLostIsStoredOnceWithEveryResult) {
    std::vector<ZARNVOLSEx> records = {Read("A00001"), Read("A00002"), Read("A00002")};
    for (int i = 0; i < 3; ++i) {
        WriteField(records[i].locations[2].repositoryId, "VLT1");
        records[i].locations[2].slot = 20 + i;
    }
    LoseTheNextCommitsAnswer();
    std::vector<CZARN10RC> results;
    ASSERT_TRUE(station->Update(records, results).IsOK(0));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].IsOK(0)) << results[0].Get();
    EXPECT_TRUE(results[1].IsOK(0)) << results[1].Get();
    EXPECT_EQ(results[2].Code(), kZarnChangedElsewhere)
        << "a second write from the same read is still another station's change to it";
    EXPECT_EQ(HistoryOf("A00001"), 1);
    EXPECT_EQ(HistoryOf("A00002"), 1);
}

TEST_P(LostAnswerTest, AVolumeAddedWhoseAnswerWasLostIsAddedOnce) {
    ZARNVOLSEx record{};
    WriteField(record.customerId, "ACME");
    WriteField(record.mediaId, "LTO9");
    WriteField(record.volume, "A00077");
    WriteField(record.locations[1].repositoryId, "LIB1");
    record.locations[1].slot = 12;
    LoseTheNextCommitsAnswer();
    const CZARN10RC result = station->Add(&record);
    EXPECT_TRUE(result.IsOK(0)) << result.Get() << ": never \"already on file\"";
    EXPECT_EQ(HistoryOf("A00077"), 1);
    EXPECT_EQ(station->Add(&record).Code(), kZarnVolumeExists) << "a second add is refused";
}

ZARN_ON_BOTH_BACKENDS(LostAnswerTest);

TEST(EmbeddedReconnectTest, AStoreFileThatIsGoneIsNeitherMadeAnewNorACrash) {
    TestServer server(Backend::SQLite);
    ASSERT_TRUE(server.Available());
    server.BuildSmallWorld();
    const std::string path = server.Settings().database;
    auto station = std::make_unique<CZARN10MFC>(0);
    station->SetLogonDetails("", 0, "station", "");
    station->Session()->settings.database = path;
    station->Session()->settings.reconnectWait = std::chrono::milliseconds(100);
    ASSERT_TRUE(station->Logon(0).IsOK(0));
    ZARNVOLSEx record{};
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    station->Session()->store->SetAfterCommit([&path]() {
        for (const char *suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
        return true;
    });
    record.locations[0].slot = 41;
    EXPECT_EQ(station->Update(&record).Code(), kZarnServerUnavailable);
    station->Session()->store->SetAfterCommit(nullptr);
    record.locations[0].slot = 42;
    EXPECT_EQ(station->Update(&record).Code(), kZarnServerUnavailable) << "and again, at once";
    EXPECT_FALSE(std::filesystem::exists(path)) << "no empty store in its place";
    EXPECT_THAT(station->LastStoreError(), ::testing::HasSubstr("there is no store at"));
}

TEST(ServerRestartTest, APostgresServerRestartedDuringWritesLosesNone) {
    if (PostgresTestCluster().host.empty()) {
        GTEST_SKIP() << "no PostgreSQL test cluster here";
    }
    OwnCluster cluster;
    ASSERT_TRUE(cluster.Running());
    const ScopedEnvironment host("ZARN_TEST_PGHOST", cluster.Host().c_str());
    const ScopedEnvironment port("ZARN_TEST_PGPORT", cluster.Port().c_str());
    TestServer server(Backend::PostgreSQL);
    ASSERT_TRUE(server.Available()) << server.Unavailable();
    server.BuildSmallWorld();
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ASSERT_NE(station, nullptr);

    std::thread restart([&]() {
        std::this_thread::sleep_for(200ms);
        EXPECT_TRUE(cluster.Command("restart", "0.3"));
    });
    constexpr int kWrites = 60;
    int written = 0;
    for (int slot = 1; slot <= kWrites; ++slot) {
        ZARNVOLSEx record{};
        const CZARN10RC read = station->Get(&record, "ACME", "LTO9", "A00002");
        record.locations[0].slot = slot;
        const CZARN10RC result = read.IsOK(0) ? station->Update(&record) : read;
        EXPECT_TRUE(result.IsOK(0)) << "write " << slot << ": " << result.Get();
        written += result.IsOK(0) ? 1 : 0;
        std::this_thread::sleep_for(10ms);
    }
    restart.join();
    EXPECT_EQ(written, kWrites);
    QSqlQuery check(server.Admin().Database());
    ASSERT_EQ(server.Admin().Run(check,
                                 "SELECT COUNT(*), (SELECT current_slot FROM volumes WHERE"
                                 " volume = 'A00002') FROM movement_history WHERE volume ="
                                 " 'A00002' AND action <> 'loaded'"),
              0);
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0).toInt(), kWrites) << "each write stored once";
    EXPECT_EQ(check.value(1).toInt(), kWrites);
}

}  // namespace

namespace {

// The volume's slot and its history rows as the cluster holds them; -1 when it cannot be read.
std::pair<int, int> SlotAndHistory(const OwnCluster &cluster, const std::string &database) {
    ConnectionSettings settings;
    settings.host = cluster.Host();
    settings.port = static_cast<unsigned>(std::stoi(cluster.Port()));
    settings.user = "postgres";
    settings.database = database;
    settings.reconnectWait = std::chrono::milliseconds(0);
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<Store> store = Store::Open(settings, result, error);
    QSqlQuery query;
    if (!store ||
        store->Run(query,
                   "SELECT (SELECT current_slot FROM volumes WHERE volume = 'A00002'),"
                   " (SELECT COUNT(*) FROM movement_history WHERE volume = 'A00002'"
                   " AND action <> 'loaded')") ||
        !query.next()) {
        return {-1, -1};
    }
    return {query.value(0).toInt(), query.value(1).toInt()};
}

TEST(FailoverTest, AStationFollowsAStandbyPromotedAfterItsPrimaryIsGone) {
    if (PostgresTestCluster().host.empty()) {
        GTEST_SKIP() << "no PostgreSQL test cluster here";
    }
    OwnCluster primary;
    ASSERT_TRUE(primary.Running());
    std::string database;
    {
        const ScopedEnvironment host("ZARN_TEST_PGHOST", primary.Host().c_str());
        const ScopedEnvironment port("ZARN_TEST_PGPORT", primary.Port().c_str());
        TestServer server(Backend::PostgreSQL);
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        server.BuildSmallWorld();
        database = server.Settings().database;
        server.KeepDatabase();
    }
    OwnCluster standby(OwnCluster::StandbyOf{primary});
    ASSERT_TRUE(standby.Running());

    CZARN10MFC station(0);
    station.SetLogonDetails((primary.Address() + "," + standby.Address()).c_str(), 0, "postgres",
                            "");
    station.Session()->settings.database = database;
    ASSERT_TRUE(station.Logon(0).IsOK(0)) << "the primary, which takes writes";
    const auto move = [&](int slot) {
        ZARNVOLSEx record{};
        CZARN10RC result = station.Get(&record, "ACME", "LTO9", "A00002");
        record.locations[0].slot = slot;
        return result.IsOK(0) ? station.Update(&record) : result;
    };
    ASSERT_TRUE(move(11).IsOK(0));
    for (int tries = 0; tries < 100 && SlotAndHistory(standby, database).first != 11; ++tries) {
        std::this_thread::sleep_for(50ms);  // the standby streams the write in
    }
    ASSERT_EQ(SlotAndHistory(standby, database), std::make_pair(11, 1));

    ASSERT_TRUE(primary.Command("halt"));
    std::thread promote([&]() {
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(standby.Command("promote"));
    });
    const CZARN10RC written = move(12);
    promote.join();
    EXPECT_TRUE(written.IsOK(0)) << written.Get();
    EXPECT_EQ(SlotAndHistory(standby, database), std::make_pair(12, 2))
        << "written once, on the promoted standby";
}

}  // namespace
