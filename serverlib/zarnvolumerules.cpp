#include "zarnvolumerules.h"

#include <cstring>

#include "zarnfields.h"

namespace zarn {
namespace {

// A location a station gave: none when its repository id is empty or the "INIT" placeholder.
bool GivenLocation(const ZARNLOCATION &entry, StoreLocation &location) {
    const std::string id = ReadField(entry.repositoryId);
    if (id.empty() || id == "INIT") {
        return false;
    }
    location = {id, entry.slot};
    return true;
}

void FillLocation(const StoreLocation &location, ZARNLOCATION &entry) {
    std::memset(&entry, 0, sizeof entry);
    WriteField(entry.repositoryId, location.repository);
    entry.slot = location.slot;
}

}  // namespace

bool IsDueToMove(const VolumeRow &row) {
    return !row.destination.repository.empty() &&
           row.destination.repository != row.current.repository;
}

uint32_t RecordFlags(const VolumeRow &row) {
    return (row.flags & ~kZarnVolDueToMove) | (IsDueToMove(row) ? kZarnVolDueToMove : 0);
}

void FillVolumeRecord(const VolumeRow &row, ZARNVOLS &record) {
    std::memset(&record, 0, sizeof record);
    WriteField(record.customerId, row.customer);
    WriteField(record.mediaId, row.media);
    WriteField(record.volume, row.volume);
    record.flags = RecordFlags(row);
    record.container = row.container;
    record.nextMoveDate = row.nextMoveDate;
    FillLocation(row.current, record.locations[0]);
    FillLocation(IsDueToMove(row) ? row.destination : row.current, record.locations[1]);
    FillLocation(row.scanned, record.locations[2]);
    record.version = row.version;
    record.changed = static_cast<uint32_t>(row.changed);
    WriteField(record.description, row.description);
}

void FillVolumeListRecord(const VolumeRow &row, ZARNVOLSFULL &record) {
    std::memset(&record, 0, sizeof record);
    WriteField(record.volume, row.volume);
    record.flags = RecordFlags(row);
    const StoreLocation &destination = IsDueToMove(row) ? row.destination : row.current;
    WriteField(record.repositoryId0, destination.repository);
    record.slot0 = destination.slot;
    WriteField(record.repositoryId1, row.current.repository);
    record.slot1 = row.current.slot;
    record.nextMoveDate = row.nextMoveDate;
    record.container = row.container;
}

VolumeRow NewVolumeRow(const ZARNVOLSEx &record) {
    VolumeRow row;
    row.customer = ReadField(record.customerId);
    row.media = ReadField(record.mediaId);
    row.volume = ReadField(record.volume);
    row.flags = record.flags & ~kZarnVolDueToMove;
    row.container = record.container;
    row.nextMoveDate = record.nextMoveDate;
    GivenLocation(record.locations[0], row.current);
    // Entry 2, the destination, is the store's: a new volume has no move pending.
    GivenLocation(record.locations[2], row.scanned);
    row.description = ReadField(record.description);
    return row;
}

bool SameVolume(const VolumeRow &a, const VolumeRow &b) {
    return a.flags == b.flags && a.container == b.container && a.nextMoveDate == b.nextMoveDate &&
           a.current == b.current && a.destination == b.destination && a.scanned == b.scanned &&
           a.description == b.description;
}

UpdateOutcome ApplyUpdate(const VolumeRow &stored, const ZARNVOLSEx &record) {
    UpdateOutcome outcome{stored, {"changed", stored.current, stored.current, 0, {}}};
    VolumeRow &row = outcome.row;
    row.flags = record.flags & ~kZarnVolDueToMove;
    row.nextMoveDate = record.nextMoveDate;
    row.description = ReadField(record.description);
    if (!(stored.flags & kZarnVolContainer)) {
        row.container = record.container;
    }

    StoreLocation current;
    if (GivenLocation(record.locations[0], current)) {
        row.current = current;
    } else {
        row.current.slot = record.locations[0].slot;
    }

    StoreLocation scanned;
    if (GivenLocation(record.locations[2], scanned) && !(scanned == stored.scanned)) {
        row.scanned = scanned;
        if (IsDueToMove(stored) && scanned.repository == stored.destination.repository) {
            row.current = scanned;
            row.destination = {};
            row.flags &= ~kZarnVolScannedOut;
            outcome.history.action = "arrived";
        } else if (scanned.repository != row.current.repository) {
            row.current = scanned;
        } else if (row.flags & kZarnVolScannedOut) {
            outcome.history.action = "picked";
        }
    }
    if (outcome.history.action == "changed" && !(row.current == stored.current)) {
        outcome.history.action = "moved";
    }
    if (!IsDueToMove(row)) {
        row.destination = {};
    }
    outcome.history.to = row.current;
    outcome.history.flags = row.flags;
    return outcome;
}

}  // namespace zarn
