// The server's rules for volumes: what "due to move" means, what an update of a volume record
// does to its locations, and how records and stored rows map onto each other.
#ifndef ZARN_SERVERLIB_ZARNVOLUMERULES_H
#define ZARN_SERVERLIB_ZARNVOLUMERULES_H

#include "zarnrecords.h"
#include "zarnstore.h"

namespace zarn {

// A move is pending when the volume has a destination other than its current repository.
bool IsDueToMove(const VolumeRow &row);

// The flag word as records carry it: the stored flags plus 0x40 while a move is pending.
uint32_t RecordFlags(const VolumeRow &row);

void FillVolumeRecord(const VolumeRow &row, ZARNVOLS &record);
void FillVolumeListRecord(const VolumeRow &row, ZARNVOLSFULL &record);

// A new volume from a record: entry 1 is where it is; entry 2, when it names another
// repository, is where it is due to go.
VolumeRow NewVolumeRow(const ZARNVOLSEx &record);

struct UpdateOutcome {
    VolumeRow row;
    HistoryRow history;
};

// Applies a record read from the store (at stored.version) and changed by a station:
// - entry 1 with a repository id moves the volume there; an empty or "INIT" id leaves the
//   current repository as it is (so clearing it can never lose where a volume is), its slot
//   is still taken;
// - entry 3 naming the destination's repository completes the move: the volume is there, no
//   move is pending and it is no longer scanned out; entry 3 naming another repository than the
//   current one moves it there; entry 3 naming the current repository only records the scan;
// - entry 2 is the store's own and is not taken from stations;
// - the flags are taken (0x40 is the store's); a container keeps its own container number.
UpdateOutcome ApplyUpdate(const VolumeRow &stored, const ZARNVOLSEx &record);

// True when an update would leave the volume as it is: such a write is not made.
bool SameVolume(const VolumeRow &a, const VolumeRow &b);

}  // namespace zarn

#endif
