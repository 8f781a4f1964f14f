// The update rules without a database.
#include <gtest/gtest.h>

#include "serverfixture.h"
#include "zarnfields.h"
#include "zarnvolumerules.h"

using namespace zarn;

namespace {

VolumeRow Due() {
    VolumeRow row = zarn::test::MakeVolume("ACME", "A00001", {"LIB1", 5}, {"VLT1", 7});
    row.version = 3;
    return row;
}

ZARNVOLSEx RecordOf(const VolumeRow &row) {
    ZARNVOLSEx record;
    FillVolumeRecord(row, record);
    return record;
}

TEST(VolumeRules, DueMeansADestinationElsewhere) {
    VolumeRow row = Due();
    EXPECT_TRUE(IsDueToMove(row));
    EXPECT_EQ(RecordFlags(row), kZarnVolDueToMove);
    row.destination = {"LIB1", 9};
    EXPECT_FALSE(IsDueToMove(row));
    row.destination = {};
    EXPECT_FALSE(IsDueToMove(row));
}

TEST(VolumeRules, ANewVolumeHasNoMovePendingWhateverItsSecondEntrySays) {
    ZARNVOLSEx record{};
    WriteField(record.volume, "N1");
    WriteField(record.locations[0].repositoryId, "LIB1");
    record.locations[1] = record.locations[2] = record.locations[0];
    EXPECT_FALSE(IsDueToMove(NewVolumeRow(record)));
    WriteField(record.locations[1].repositoryId, "VLT1");  // the destination is the store's
    EXPECT_EQ(NewVolumeRow(record).destination.repository, "");
}

TEST(VolumeRules, ScansAtOtherPlacesMoveTheVolumeButKeepTheMovePending) {
    const VolumeRow stored = Due();
    ZARNVOLSEx record = RecordOf(stored);
    WriteField(record.locations[2].repositoryId, "OFFS");
    record.locations[2].slot = 2;
    const UpdateOutcome outcome = ApplyUpdate(stored, record);
    EXPECT_EQ(outcome.row.current, (StoreLocation{"OFFS", 2}));
    EXPECT_TRUE(IsDueToMove(outcome.row));
    EXPECT_EQ(outcome.history.action, "moved");
}

TEST(VolumeRules, InitPlaceholdersAndTheDueFlagAreNotTaken) {
    const VolumeRow stored = Due();
    ZARNVOLSEx record = RecordOf(stored);
    for (ZARNLOCATION &entry : record.locations) {
        WriteField(entry.repositoryId, "INIT");
    }
    record.locations[0].slot = 5;
    const UpdateOutcome outcome = ApplyUpdate(stored, record);
    EXPECT_EQ(outcome.row.current, stored.current);
    EXPECT_EQ(outcome.row.destination, stored.destination);
    EXPECT_EQ(outcome.row.flags & kZarnVolDueToMove, 0u) << "derived, never stored";
}

}  // namespace
