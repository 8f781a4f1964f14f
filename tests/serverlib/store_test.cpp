// The server's rules, checked through CZARN10MFC against SQLite and PostgreSQL alike.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <QSqlQuery>

#include <cstring>
#include <string>
#include <vector>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::ElementsAre;

namespace {

class StoreTest : public SmallWorldTest {
protected:
    ZARNVOLSEx Read(const char *volume, const char *customer = "ACME") {
        ZARNVOLSEx record;
        for (ZARNLOCATION &entry : record.locations) {
            WriteField(entry.repositoryId, "INIT");
        }
        EXPECT_TRUE(station->Get(&record, customer, "LTO9", volume).IsOK(0)) << volume;
        return record;
    }

    std::vector<std::string> DueVolumes() {
        std::vector<ZARNVOLSFULL> records;
        unsigned all = 0, notDue = 0, scannedOut = 0;
        EXPECT_TRUE(station
                        ->List(records, "ACME", "LTO9", {kZarnVolDueToMove}, &all, &notDue,
                               &scannedOut, 0, 0)
                        .IsOK(0));
        std::vector<std::string> volumes;
        for (const ZARNVOLSFULL &record : records) {
            volumes.push_back(ReadField(record.volume));
        }
        return volumes;
    }

    std::vector<std::string> History(const char *volume) {
        QSqlQuery query(server.Admin().Database());
        server.Admin().Run(query,
                           "SELECT action, to_repository FROM movement_history WHERE volume = ?"
                           " ORDER BY id",
                           {QString(volume)});
        std::vector<std::string> actions;
        while (query.next()) {
            actions.push_back(query.value(0).toString().toStdString() + ":" +
                              query.value(1).toString().toStdString());
        }
        return actions;
    }
};

TEST_P(StoreTest, GetsVolumesAndTellsMissingFromNotHeld) {
    const ZARNVOLSEx record = Read("A00001");
    EXPECT_EQ(ReadField(record.volume), "A00001");
    EXPECT_EQ(ReadField(record.locations[0].repositoryId), "LIB1");  // where it is
    EXPECT_EQ(record.locations[0].slot, 5);
    EXPECT_EQ(ReadField(record.locations[1].repositoryId), "VLT1");  // where it is going
    EXPECT_EQ(record.flags, kZarnVolMoveDateKnown | kZarnVolDueToMove);

    ZARNVOLS missing;
    EXPECT_EQ(station->Get(&missing, "ACME", "LTO9", "ZZZZZZ").Code(), kZarnVolumeNotFound);
    EXPECT_EQ(station->Get(&missing, "ACME", "LTO9", "B00001").Code(), kZarnVolumeNotHeld);
    EXPECT_STREQ(CZARN10RC(kZarnVolumeNotHeld).Get(),
                 "Volume is not held for this customer and media type");
    EXPECT_EQ(ReadField(missing.volume), "") << "a failed read leaves a zeroed record";

    station->Logoff(true);
    EXPECT_EQ(station->Get(&missing, "ACME", "LTO9", "A00001").Code(), kZarnNotLoggedOn);
}

TEST_P(StoreTest, VolumeListHoldsDueVolumesWithTheirCounts) {
    std::vector<ZARNVOLSFULL> records;
    unsigned all = 0, notDue = 0, scannedOut = 0;
    ASSERT_TRUE(
        station
            ->List(records, "ACME", "LTO9", {kZarnVolDueToMove}, &all, &notDue, &scannedOut, 0, 0)
            .IsOK(0));
    EXPECT_EQ(all, 3u);
    EXPECT_EQ(notDue, 1u);
    EXPECT_EQ(scannedOut, 0u);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(ReadField(records[0].volume), "A00001");
    EXPECT_EQ(ReadField(records[0].repositoryId0), "VLT1");  // pair 0: the destination
    EXPECT_EQ(records[0].slot0, 7);
    EXPECT_EQ(ReadField(records[0].repositoryId1), "LIB1");  // pair 1: where it is
    EXPECT_EQ(records[0].slot1, 5);
    EXPECT_EQ(records[1].container, 900);

    std::vector<ZARNMEDIAEx> media;
    ASSERT_TRUE(station->List(media, "ACME").IsOK(0));
    ASSERT_EQ(media.size(), 2u);
    EXPECT_EQ(ReadField(media[1].mediaId), "LTO9");
    EXPECT_EQ(media[1].volumeCount, 3u);
    EXPECT_EQ(media[1].moveCount, 2u);
}

TEST_P(StoreTest, PickThenQueryUpdateCompletesTheMove) {
    ZARNVOLSEx record = Read("A00001");
    record.flags |= kZarnVolScannedOut;  // picked from where it is
    record.locations[2] = record.locations[0];
    ASSERT_TRUE(station->Update(&record).IsOK(0));
    record = Read("A00001");
    EXPECT_TRUE(record.flags & kZarnVolScannedOut);
    EXPECT_THAT(DueVolumes(), ElementsAre("A00001", "C00001"));

    WriteField(record.locations[2].repositoryId, "VLT1");  // scanned in at its destination
    record.locations[2].slot = 7;
    ASSERT_TRUE(station->Update(&record).IsOK(0));
    record = Read("A00001");
    EXPECT_EQ(ReadField(record.locations[0].repositoryId), "VLT1");
    EXPECT_EQ(record.locations[0].slot, 7);
    EXPECT_FALSE(record.flags & (kZarnVolScannedOut | kZarnVolDueToMove));
    EXPECT_THAT(DueVolumes(), ElementsAre("C00001"));
    EXPECT_THAT(History("A00001"), ElementsAre("loaded:LIB1", "picked:LIB1", "arrived:VLT1"));
}

TEST_P(StoreTest, ClearingTheCurrentRepositoryIdNeverLosesTheVolume) {
    ZARNVOLSEx record = Read("A00002");
    record.flags &= ~kZarnVolSlotAllocated;
    std::memset(record.locations[0].repositoryId, 0, 4);  // the slot-allocation scan
    ASSERT_TRUE(station->Update(&record).IsOK(0));
    record = Read("A00002");
    EXPECT_EQ(ReadField(record.locations[0].repositoryId), "LIB1");
    EXPECT_EQ(record.locations[0].slot, 6);
}

TEST_P(StoreTest, AContainerKeepsItsOwnNumber) {
    ZARNVOLSEx container = Read("C00001");
    container.container = 5;
    ASSERT_TRUE(station->Update(&container).IsOK(0));
    EXPECT_EQ(Read("C00001").container, 900);

    ZARNVOLSEx volume = Read("A00002");
    volume.container = 900;
    ASSERT_TRUE(station->Update(&volume).IsOK(0));
    EXPECT_EQ(Read("A00002").container, 900);
}

TEST_P(StoreTest, TwoStationsNeverOverwriteEachOther) {
    std::unique_ptr<CZARN10MFC> other = server.Connect("other");
    ASSERT_NE(other, nullptr);
    ZARNVOLSEx mine = Read("A00002");
    ZARNVOLSEx theirs;
    ASSERT_TRUE(other->Get(&theirs, "ACME", "LTO9", "A00002").IsOK(0));

    mine.locations[0].slot = 50;
    ASSERT_TRUE(station->Update(&mine).IsOK(0));
    theirs.locations[0].slot = 60;
    const CZARN10RC refused = other->Update(&theirs);
    EXPECT_EQ(refused.Code(), kZarnChangedElsewhere);
    EXPECT_STREQ(refused.Get(), "Record was changed by another station; read it again");
    EXPECT_EQ(Read("A00002").locations[0].slot, 50);
    EXPECT_EQ(History("A00002").size(), 2u) << "the refused write left no history";

    ASSERT_TRUE(other->Get(&theirs, "ACME", "LTO9", "A00002").IsOK(0));
    theirs.locations[0].slot = 60;
    EXPECT_TRUE(other->Update(&theirs).IsOK(0)) << "after reading again it goes through";
}

TEST_P(StoreTest, ZonesMapToRepositorySlots) {
    ZARNCOORD coordinate;
    ASSERT_TRUE(station->Get(&coordinate, "ACME", "LTO9", 2, 5).IsOK(0));
    EXPECT_EQ(ReadField(coordinate.repositoryId), "VLT1");
    EXPECT_EQ(coordinate.slot, 205);
    EXPECT_EQ(station->Get(&coordinate, "BETA", "LTO9", 2, 5).Code(), kZarnZoneNotFound);
    EXPECT_EQ(station->Get(&coordinate, "ACME", "LTO9", 2, 101).Code(), kZarnSlotOutsideZone);
    EXPECT_EQ(station->Get(&coordinate, "ACME", "LTO9", 2, 0).Code(), kZarnSlotOutsideZone);
    EXPECT_EQ(station->Get(&coordinate, "ACME", "LTO9", 9, 1).Code(), kZarnZoneNotFound);

    ZARNVOLABS location;
    ASSERT_TRUE(station->Get(&location, "ACME", "LTO9", "A00001").IsOK(0));
    EXPECT_EQ(ReadField(location.blocks[1].zoneName), "LIB-A");  // where it is
    EXPECT_EQ(location.blocks[1].zoneNumber, 1);
    EXPECT_EQ(location.blocks[1].zoneSlot, 5);
    EXPECT_EQ(ReadField(location.blocks[0].zoneName), "No-Alloc");  // VLT1/7 is in no zone
    EXPECT_EQ(ReadField(location.blocks[0].repositoryId), "VLT1");
    EXPECT_EQ(location.blocks[0].slot, 7);

    std::vector<ZARNZONEEx> zones;
    ASSERT_TRUE(station->List(zones).IsOK(0));
    ASSERT_EQ(zones.size(), 2u);
    EXPECT_EQ(ReadField(zones[1].spokenText), "Acme cage");
    ZARNZONE zone;
    ASSERT_TRUE(station->Get(&zone, 1).IsOK(0));
    EXPECT_EQ(ReadField(zone.zoneName), "LIB-A");
}

TEST_P(StoreTest, ReadsManyLocationsAtOnce) {
    // More than one statement's worth of serials, and then most of a large media's (read as
    // one range): the same answer either way, only the volumes asked for and held.
    for (int unknown : {600, 2600}) {
        std::vector<ZARNVOLABS> locations;
        std::vector<std::string> serials = {"A00001", "NOPE", "A00002", "C00001", "B00001"};
        for (int i = 0; i < unknown; ++i) {
            serials.push_back("X" + std::to_string(i));
        }
        ASSERT_TRUE(station->Get(locations, "ACME", "LTO9", serials).IsOK(0))
            << server.Admin().LastError();
        std::vector<std::string> found;
        for (const ZARNVOLABS &location : locations) {
            found.push_back(ReadField(location.volume));
        }
        std::sort(found.begin(), found.end());
        EXPECT_THAT(found, ElementsAre("A00001", "A00002", "C00001")) << unknown;
        const auto first = std::find_if(locations.begin(), locations.end(), [](const auto &l) {
            return ReadField(l.volume) == "A00001";
        });
        ASSERT_NE(first, locations.end());
        EXPECT_EQ(ReadField(first->blocks[1].zoneName), "LIB-A");
        EXPECT_EQ(first->blocks[1].zoneSlot, 5);
        EXPECT_EQ(ReadField(first->blocks[0].zoneName), "No-Alloc");
    }
}

TEST_P(StoreTest, AddsNewVolumesOnce) {
    ZARNVOLSEx record{};
    WriteField(record.customerId, "ACME");
    WriteField(record.mediaId, "LTO9");
    WriteField(record.volume, "N00001");
    WriteField(record.locations[0].repositoryId, "LIB1");
    record.locations[0].slot = 44;
    record.locations[1] = record.locations[2] = record.locations[0];
    record.flags = kZarnVolContainer;
    ASSERT_TRUE(station->Add(&record).IsOK(0));
    EXPECT_EQ(record.container, 901) << "a new container gets the next number";
    EXPECT_EQ(station->Add(&record).Code(), kZarnVolumeExists);
    EXPECT_EQ(Read("N00001").locations[0].slot, 44);
    EXPECT_THAT(DueVolumes(), ElementsAre("A00001", "C00001"));

    WriteField(record.mediaId, "NONE");
    EXPECT_EQ(station->Add(&record).Code(), kZarnMediaNotFound);
}

TEST_P(StoreTest, HostileTextStaysText) {
    const char *hostile = "A'; DROP TABLE volumes; --";
    ZARNVOLS record;
    EXPECT_EQ(station->Get(&record, "AC'M", "LTO9", hostile).Code(), kZarnVolumeNotFound);
    ZARNATTRIBUTEEx attribute{};
    WriteField(attribute.name, "note\\';");
    WriteField(attribute.value, std::string(200, '"'));  // cut to the field, never past it
    ASSERT_TRUE(station->Put(&attribute).IsOK(0));
    ZARNATTRIBUTE read;
    ASSERT_TRUE(station->Get(&read, "note\\';").IsOK(0));
    EXPECT_EQ(ReadField(read.value), std::string(80, '"'));
    EXPECT_EQ(TableCounts(server.Admin())["volumes"], 4);
}

TEST_P(StoreTest, FullWidthFieldsAreReadToTheirWidthOnly) {
    ZARNVOLSEx record;
    std::memset(&record, 'Z', sizeof record);  // no terminator anywhere
    std::memcpy(record.customerId, "ACME", 4);
    std::memcpy(record.mediaId, "LTO9", 4);
    std::memcpy(record.volume, "W123456789", 10);
    std::memcpy(record.locations[0].repositoryId, "LIB1", 4);
    record.locations[0].slot = 3;
    record.locations[1] = record.locations[2] = record.locations[0];
    std::memcpy(record.description, "a;b'c\\d\"e--f/*g*/hij", 20);
    record.flags = 0;
    record.container = 0;
    ASSERT_TRUE(station->Add(&record).IsOK(0));
    const ZARNVOLSEx read = Read("W123456789");
    EXPECT_EQ(std::string(read.volume, 10), "W123456789");
    EXPECT_EQ(ReadField(read.description), "a;b'c\\d\"e--f/*g*/hij");
    EXPECT_EQ(read.pad[0], 0) << "records come back zero-filled";
    EXPECT_EQ(TableCounts(server.Admin())["volumes"], 5);
}

TEST_P(StoreTest, JournalAndServerIdentity) {
    ZARN10JOURNALLIST journal;
    ASSERT_TRUE(station->Get(&journal).IsOK(0));
    EXPECT_EQ(journal.entries[0].code, 101u);
    EXPECT_EQ(ReadField(journal.entries[2].name), "Tape handling");
    EXPECT_EQ(journal.entries[1].code, 0u);
    EXPECT_TRUE(station->Put("ACME", "", "", 103, 4, "Tapes handled").IsOK(0));
    EXPECT_EQ(station->Put("ACME", "", "", 0, 4, "No code").Code(), kZarnJournalCodeNotFound);
    EXPECT_EQ(TableCounts(server.Admin())["journal_postings"], 1);

    ZARNSERVERID identity;
    ASSERT_TRUE(station->Get(&identity).IsOK(0));
    EXPECT_EQ(ReadField(identity.serverId), "TEST-SERVER");
    EXPECT_EQ(ReadField(identity.preparedBy), "Kestrava Test Services");
    ZARNCUST customer;
    ASSERT_TRUE(station->Get(&customer, "ACME").IsOK(0));
    EXPECT_EQ(ReadField(customer.name), "Acme Insurance");
    EXPECT_EQ(station->Get(&customer, "NONE").Code(), kZarnCustomerNotFound);
}

ZARN_ON_BOTH_BACKENDS(StoreTest);

TEST_P(StoreTest, AStoreOpenedForReadingReadsButWritesNothing) {
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<Store> reader = OpenForReading(server.Settings(), result, error);
    ASSERT_NE(reader, nullptr) << error;
    const auto before = TableCounts(server.Admin());
    EXPECT_EQ(TableCounts(*reader), before);
    EXPECT_NE(reader->Run("DELETE FROM volumes"), kZarnOK);
    EXPECT_NE(reader->Run("INSERT INTO meta (key, value) VALUES ('x', 'y')"), kZarnOK);
    EXPECT_EQ(TableCounts(server.Admin()), before);
}

TEST(EmbeddedStore, ReadingAMissingOrEmptyStoreFailsAndCreatesNothing) {
    TempDir folder;
    ConnectionSettings settings;
    settings.database = (folder.Path() / "typo" / "none.db").string();
    uint8_t result = 0;
    std::string error;
    EXPECT_EQ(OpenForReading(settings, result, error), nullptr);
    EXPECT_EQ(error, "there is no store at " + settings.database);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "typo"));

    // A file without tables is not a store either, and stays without them.
    settings.database = folder.WriteFile("empty.db", "");
    EXPECT_EQ(OpenForReading(settings, result, error), nullptr);
    EXPECT_THAT(error, ::testing::HasSubstr("no schema"));
    EXPECT_EQ(std::filesystem::file_size(settings.database), 0u);
}

TEST(EmbeddedStore, AnUnopenableFileIsAClearFailure) {
    CZARN10MFC server(0);
    server.Session()->settings.database = "/proc/no/such/folder/store.db";
    const CZARN10RC result = server.Logon(0);
    EXPECT_EQ(result.Code(), kZarnServerUnavailable);
    EXPECT_STREQ(result.Get(), "The server cannot be reached");
    EXPECT_FALSE(server.IsLoggedOn());
}

TEST(EmbeddedStore, ALockedFileIsReportedAsBusyAndChangesNothing) {
    TestServer server(Backend::SQLite);
    server.BuildSmallWorld();
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ASSERT_NE(station, nullptr);
    ZARNVOLSEx record;
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    ASSERT_TRUE(server.Admin().Database().transaction());
    ASSERT_EQ(server.Admin().Run("UPDATE customers SET name = 'held' WHERE id = 'BETA'"), 0);
    record.locations[0].slot = 77;
    EXPECT_EQ(station->Update(&record).Code(), kZarnDatabaseBusy);
    server.Admin().Database().rollback();
    ASSERT_TRUE(station->Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    EXPECT_EQ(record.locations[0].slot, 6);
}

// A station that must answer at once (a short wait for the server) is held up by another
// writer's lock for about that wait, not the 4.5 s of three full busy timeouts.
TEST(EmbeddedStore, ALockHoldsAStationNoLongerThanItsWaitForTheServer) {
    TestServer server(Backend::SQLite);
    server.BuildSmallWorld();
    CZARN10MFC station(0);
    station.SetProgramID(3);
    station.SetLogonDetails("", 0, "station", "");
    station.Session()->settings.database = server.Settings().database;
    station.SetReconnectWait(300);
    ASSERT_TRUE(station.Logon(0).IsOK(0));
    ZARNVOLSEx record;
    ASSERT_TRUE(station.Get(&record, "ACME", "LTO9", "A00002").IsOK(0));
    ASSERT_TRUE(server.Admin().Database().transaction());
    ASSERT_EQ(server.Admin().Run("UPDATE customers SET name = 'held' WHERE id = 'BETA'"), 0);
    record.locations[0].slot = 77;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(station.Update(&record).Code(), kZarnDatabaseBusy);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    server.Admin().Database().rollback();
    EXPECT_TRUE(station.Update(&record).IsOK(0)) << "written once the lock is gone";
}

}  // namespace
