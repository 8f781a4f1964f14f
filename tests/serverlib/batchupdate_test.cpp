// Many volumes written in one call: what each volume's result means, what the store holds when
// one volume is refused or cannot be written, and after a station is killed in the middle.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlQuery>

#include <chrono>
#include <thread>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class BatchUpdateTest : public SmallWorldTest {
protected:
    bool Exec(const std::string &sql) {
        QSqlQuery query(server.Admin().Database());
        return query.exec(QString::fromStdString(sql));
    }
    // The volume as read, moved to VLT1 at slot.
    ZARNVOLSEx Moved(const char *volume, int slot) {
        ZARNVOLSEx record{};
        EXPECT_TRUE(station->Get(&record, "ACME", "LTO9", volume).IsOK(0)) << volume;
        WriteField(record.locations[2].repositoryId, "VLT1");
        record.locations[2].slot = slot;
        return record;
    }
    // Volumes whose version does not tell how many changes their history holds: a write that
    // left the row without its history row, or the reverse.
    long long HalfWritten() {
        return Count(
            "SELECT COUNT(*) FROM volumes v WHERE v.version - 1 <> (SELECT COUNT(*) FROM"
            " movement_history h WHERE h.customer_id = v.customer_id AND h.media_id = v.media_id"
            " AND h.volume = v.volume AND h.action <> 'loaded')");
    }
};

std::vector<uint8_t> Codes(const std::vector<CZARN10RC> &results) {
    std::vector<uint8_t> codes;
    for (const CZARN10RC &result : results) {
        codes.push_back(result.Code());
    }
    return codes;
}

TEST_P(BatchUpdateTest, ARefusedVolumeKeepsItsCodeAndTheOthersAreWritten) {
    std::vector<ZARNVOLSEx> records = {Moved("A00001", 11), Moved("A00002", 12),
                                       Moved("C00001", 13), Moved("A00001", 14)};
    // A00002 changes at another station after it was read; C00001 names no repository on file;
    // a volume nobody holds; A00001 a second time, from the first read (stale by then).
    std::unique_ptr<CZARN10MFC> other = server.Connect();
    ZARNVOLSEx theirs = Moved("A00002", 40);
    ASSERT_TRUE(other->Get(&theirs, "ACME", "LTO9", "A00002").IsOK(0));
    theirs.locations[0].slot = 44;
    ASSERT_TRUE(other->Update(&theirs).IsOK(0));
    WriteField(records[2].locations[2].repositoryId, "NONE");
    ZARNVOLSEx missing = records[0];
    WriteField(missing.volume, "A09999");
    records.insert(records.begin() + 3, missing);

    std::vector<CZARN10RC> results;
    EXPECT_TRUE(station->Update(records, results).IsOK(0));
    EXPECT_THAT(Codes(results), ElementsAre(kZarnOK, kZarnChangedElsewhere, kZarnRepositoryNotFound,
                                            kZarnVolumeNotFound, kZarnChangedElsewhere));
    EXPECT_EQ(records[0].version, 2u) << "a written record is given back as stored";
    EXPECT_EQ(Count("SELECT scanned_slot FROM volumes WHERE volume = 'A00001'"), 11);
    EXPECT_EQ(Count("SELECT current_slot FROM volumes WHERE volume = 'A00002'"), 44);
    EXPECT_EQ(Count("SELECT scanned_slot FROM volumes WHERE volume = 'A00002'"), 0);
    EXPECT_EQ(Count("SELECT version FROM volumes WHERE volume = 'C00001'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes WHERE volume = 'A09999'"), 0);
    EXPECT_EQ(HalfWritten(), 0);
}

TEST_P(BatchUpdateTest, AVolumeTheStoreCannotWriteDoesNotStopTheOthers) {
    ASSERT_TRUE(server.RefuseUpdatesOf("A00002"));
    std::vector<ZARNVOLSEx> records = {Moved("A00001", 11), Moved("A00002", 12),
                                       Moved("C00001", 13)};
    std::vector<CZARN10RC> results;
    station->Update(records, results);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_TRUE(results[0].IsOK(0));
    EXPECT_FALSE(results[1].IsOK(0));
    EXPECT_TRUE(results[2].IsOK(0));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes WHERE scanned_repository = 'VLT1'"), 2);
    EXPECT_EQ(Count("SELECT version FROM volumes WHERE volume = 'A00002'"), 1);
    EXPECT_EQ(HalfWritten(), 0);
    // The station goes on working after the failure.
    ZARNVOLSEx again = Moved("A00001", 21);
    EXPECT_TRUE(station->Update(&again).IsOK(0));
}

TEST_P(BatchUpdateTest, AStationKilledInTheMiddleLeavesEachVolumeWholeOrUntouched) {
    ASSERT_EQ(server.Admin().InTransaction([&]() -> uint8_t {
        for (int i = 0; i < 1500; ++i) {
            char serial[8];
            std::snprintf(serial, sizeof serial, "V%05d", i);
            if (uint8_t failed =
                    PutVolume(server.Admin(), MakeVolume("ACME", serial, {"LIB1", 1}))) {
                return failed;
            }
        }
        return 0;
    }),
              0);
    ASSERT_TRUE(server.HoldUpdatesOf(
        "V01200"));  // in the second batch of 1,000: the writer is killed while there
    const ConnectionSettings &settings = server.Settings();
    QProcess writer;
    writer.start(
        ZARN_BATCH_WRITER,
        {QString::fromStdString(settings.host), QString::number(settings.port),
         QString::fromStdString(settings.user), QString::fromStdString(settings.database)});
    ASSERT_TRUE(writer.waitForStarted());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Count("SELECT COUNT(*) FROM volumes WHERE version = 2") < 1000 &&
           writer.state() == QProcess::Running && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(writer.state(), QProcess::Running) << writer.readAllStandardError().toStdString();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // well into the second batch
    writer.kill();
    writer.waitForFinished();
    if (GetParam() == Backend::PostgreSQL) {
        // The server notices the lost client once the trigger's sleep ends; end it now.
        Exec(
            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
            " WHERE datname = current_database() AND pid <> pg_backend_pid()");
    }

    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes WHERE version = 2"), 1000)
        << "the first batch committed, the second not at all";
    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes WHERE volume >= 'V00997' AND version = 2"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM volumes WHERE (version = 2) <>"
                    " (scanned_repository = 'VLT1')"),
              0);
    EXPECT_EQ(HalfWritten(), 0);
}

ZARN_ON_BOTH_BACKENDS(BatchUpdateTest);

}  // namespace
