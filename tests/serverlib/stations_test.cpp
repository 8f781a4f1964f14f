// The store under several stations at once, long names, careless texts and broken schemas:
// every case on SQLite and on PostgreSQL, and the store checked afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSqlQuery>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;

namespace {

class StationsTest : public SmallWorldTest {
protected:
    ZARNVOLSEx NewVolume(const std::string &serial, uint32_t flags = 0) {
        ZARNVOLSEx record{};
        WriteField(record.customerId, "ACME");
        WriteField(record.mediaId, "LTO9");
        WriteField(record.volume, serial);
        WriteField(record.locations[0].repositoryId, "LIB1");
        record.locations[0].slot = 1;
        record.flags = flags;
        return record;
    }
    // Runs work on count threads, each with a connection of its own, all started together.
    void OnStations(int count, const std::function<void(CZARN10MFC &, int)> &work) {
        std::atomic<int> ready{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([&, i]() {
                std::unique_ptr<CZARN10MFC> own = server.Connect();
                ++ready;
                while (ready < count) {
                    std::this_thread::yield();
                }
                if (own) {
                    work(*own, i);
                }
            });
        }
        for (std::thread &thread : threads) {
            thread.join();
        }
    }
};

TEST_P(StationsTest, LongStationAndRoleNamesAreKeptAsFarAsTheColumnsHold) {
    station->Session()->store->SetStation(std::string(300, 'h') + "/3", std::string(70, 'r'));
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    record.locations[0].slot = 9;
    EXPECT_TRUE(station->Update(&record).IsOK(0));
    EXPECT_EQ(Count("SELECT LENGTH(station) FROM movement_history WHERE action = 'moved'"), 255);
}

TEST_P(StationsTest, JournalPostingsGetTheSameAnswerOnBothStores) {
    EXPECT_EQ(station->Put("ACME", "", "", 101, 1, std::string(200, 'x').c_str()).Code(), kZarnOK);
    EXPECT_EQ(station->Put("ACME", "", "", 101, 1, std::string(1000, 'x').c_str()).Code(),
              kZarnInvalidArgument);
    EXPECT_EQ(station->Put("ACME", "", "", 4294967295u, 1, "x").Code(), kZarnJournalCodeNotFound);
    EXPECT_EQ(station->Put("M\xFCller", "", "", 101, 1, "x").Code(), kZarnInvalidArgument);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM journal_postings"), 1);
}

TEST_P(StationsTest, FiftySixStationsLogOnAtOnce) {
    std::atomic<int> refused{0};
    OnStations(56, [&](CZARN10MFC &own, int) { refused += own.IsLoggedOn() ? 0 : 1; });
    EXPECT_EQ(refused, 0);
}

TEST_P(StationsTest, LogOnToACurrentStoreWritesNothing) {
    // Another connection holds the write lock: a log-on that only reads is not held up by it.
    std::unique_ptr<CZARN10MFC> writer = server.Connect();
    Store &locking = *writer->Session()->store;
    if (GetParam() == Backend::SQLite) {
        ASSERT_EQ(locking.Run("BEGIN IMMEDIATE"), 0);
    } else {
        ASSERT_EQ(locking.Run("BEGIN"), 0);
        ASSERT_EQ(locking.Run("LOCK TABLE meta IN EXCLUSIVE MODE"), 0);
    }
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<CZARN10MFC> late = server.Connect();
    EXPECT_NE(late, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    writer->Session()->store->Run("ROLLBACK");
}

TEST_P(StationsTest, ARecordReadBeforeAnotherStationsWriteIsAConflictChangedOrNot) {
    ZARNVOLSEx mine;
    ASSERT_TRUE(station->Get(&mine, "ACME", "LTO9", "A00002").IsOK(0));
    std::unique_ptr<CZARN10MFC> other = server.Connect();
    ZARNVOLSEx theirs;
    ASSERT_TRUE(other->Get(&theirs, "ACME", "LTO9", "A00002").IsOK(0));
    theirs.locations[0].slot = 44;
    ASSERT_TRUE(other->Update(&theirs).IsOK(0));

    ZARNVOLSEx unchanged = mine;
    EXPECT_EQ(station->Update(&unchanged).Code(), kZarnChangedElsewhere);
    mine.locations[0].slot = 45;
    EXPECT_EQ(station->Update(&mine).Code(), kZarnChangedElsewhere);
    EXPECT_EQ(Count("SELECT current_slot FROM volumes WHERE volume = 'A00002'"), 44);

    // Read again, the station's write goes through and only what it changed is written.
    ASSERT_TRUE(station->Get(&mine, "ACME", "LTO9", "A00002").IsOK(0));
    mine.locations[0].slot = 45;
    EXPECT_TRUE(station->Update(&mine).IsOK(0));
    mine.locations[0].slot = 46;  // the record the update gave back is current
    EXPECT_TRUE(station->Update(&mine).IsOK(0));
    EXPECT_EQ(Count("SELECT current_slot FROM volumes WHERE volume = 'A00002'"), 46);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM movement_history WHERE volume = 'A00002'"
                    " AND action <> 'loaded'"),
              3);
}

TEST_P(StationsTest, ContainersAddedAtOnceGetNumbersOfTheirOwn) {
    std::atomic<int> failed{0};
    OnStations(8, [&](CZARN10MFC &own, int index) {
        for (int i = 0; i < 10; ++i) {
            ZARNVOLSEx record = NewVolume("K" + std::to_string(index * 100 + i), kZarnVolContainer);
            failed += own.Add(&record).IsOK(0) ? 0 : 1;
        }
    });
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT container) FROM volumes WHERE volume LIKE 'K%'"), 80);
}

TEST_P(StationsTest, TheSameVolumeAddedAtOnceIsAddedOnceAndTheOthersAreTold) {
    std::atomic<int> added{0}, exists{0}, other{0};
    OnStations(6, [&](CZARN10MFC &own, int) {
        for (int i = 0; i < 5; ++i) {
            ZARNVOLSEx record = NewVolume("SAME" + std::to_string(i));
            const uint8_t code = own.Add(&record).Code();
            (code == kZarnOK ? added : code == kZarnVolumeExists ? exists : other) += 1;
        }
    });
    EXPECT_EQ(added, 5);
    EXPECT_EQ(exists, 25);
    EXPECT_EQ(other, 0);
}

TEST_P(StationsTest, UnusableVolumesAreRefusedWithTheLibrarysCodes) {
    ZARNVOLSEx record = NewVolume("BAD0001");
    WriteField(record.locations[0].repositoryId, "NOPE");
    EXPECT_EQ(station->Add(&record).Code(), kZarnRepositoryNotFound);
    record = NewVolume("BAD0002");
    record.locations[0].slot = INT32_MIN;
    EXPECT_EQ(station->Add(&record).Code(), kZarnInvalidArgument);
    for (const char *serial : {" ", "\x01\x02", "A B", "M\xFC"}) {
        record = NewVolume(serial);
        EXPECT_EQ(station->Add(&record).Code(), kZarnInvalidArgument) << serial;
    }
    ZARNVOLSEx stored;
    ASSERT_TRUE(station->Get(&stored, "ACME", "LTO9", "A00002").IsOK(0));
    WriteField(stored.locations[0].repositoryId, "NOPE");
    EXPECT_EQ(station->Update(&stored).Code(), kZarnRepositoryNotFound);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes"), 4) << "nothing was added";
}

TEST_P(StationsTest, AFailedZoneReadIsAFailureNotANoAllocLocation) {
    server.Admin().Run("ALTER TABLE zones RENAME TO zones_gone");
    ZARNVOLABS location;
    EXPECT_FALSE(station->Get(&location, "ACME", "LTO9", "A00001").IsOK(0));
    server.Admin().Run("ALTER TABLE zones_gone RENAME TO zones");
}

TEST_P(StationsTest, ANewerOrUnreadableSchemaIsRefused) {
    server.Admin().Run("UPDATE meta SET value = '99' WHERE key = 'schema_version'");
    EXPECT_EQ(server.Connect(), nullptr);
    CZARN10MFC late(0);
    late.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port,
                         server.Settings().user.c_str(), "");
    late.Session()->settings.database = server.Settings().database;
    EXPECT_EQ(late.Logon(0).Code(), kZarnSchemaTooNew);
    server.Admin().Run("UPDATE meta SET value = 'abc' WHERE key = 'schema_version'");
    EXPECT_EQ(late.Logon(0).Code(), kZarnDatabaseError);
    ZARNSERVERID identity;
    EXPECT_NO_THROW(station->Get(&identity));
}

ZARN_ON_BOTH_BACKENDS(StationsTest);

TEST(EmbeddedStore, AnIdleStationDoesNotKeepTheLogFromBeingFoldedBack) {
    TestServer server(Backend::SQLite);
    server.BuildSmallWorld();
    std::unique_ptr<CZARN10MFC> idle = server.Connect();
    std::unique_ptr<CZARN10MFC> busy = server.Connect();
    ZARNVOLS seen;
    ASSERT_TRUE(idle->Get(&seen, "ACME", "LTO9", "A00002").IsOK(0));  // then nothing more
    ZARNVOLSEx record;
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(busy->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
        record.locations[0].slot = 1 + i % 90;
        ASSERT_TRUE(busy->Update(&record).IsOK(0));
    }
    const auto wal = std::filesystem::file_size(server.Settings().database + "-wal");
    EXPECT_LT(wal, 8u << 20) << "the log grew to " << wal << " bytes";
}

TEST(SharedServer, AWrongPasswordIsARefusedLogOn) {
    TestServer server(Backend::PostgreSQL);
    if (!server.Configured()) {
        GTEST_SKIP() << server.Unavailable();
    }
    server.BuildSmallWorld();
    const std::string role = "pw_" + server.Settings().database.substr(10);
    std::string error;
    ASSERT_EQ(CreateStationRole(server.Admin(), role, "right one", error), 0) << error;
    CZARN10MFC station(0);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port, role.c_str(),
                            "wrong one");
    station.Session()->settings.database = server.Settings().database;
    EXPECT_EQ(station.Logon(0).Code(), kZarnLogonRefused);
    station.SetLogonDetails(server.Settings().host.c_str(), server.Settings().port, role.c_str(),
                            "right one");
    EXPECT_TRUE(station.Logon(0).IsOK(0));
    station.Logoff(true);
    server.Admin().Run(QString::fromStdString("DROP OWNED BY " + role));
    server.Admin().Run(QString::fromStdString("DROP ROLE " + role));
}

}  // namespace
