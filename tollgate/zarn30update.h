// Writing scans to the server: one volume at a time, or a whole list at once.
#ifndef ZARN_TOLLGATE_ZARN30UPDATE_H
#define ZARN_TOLLGATE_ZARN30UPDATE_H

#include <string>
#include <vector>

#include "zarn10mfc.h"
#include "zarn10treevolume.h"
#include "zarn30journal.h"

// The program's wrapper around a volume record: its key, the record (zero-filled, location
// ids "INIT" until read) and the last result.
class CZARN30VolumeRecord {
public:
    CZARN30VolumeRecord(const std::string &customer, const std::string &media,
                        const std::string &volume);
    CZARN10RC Read(CZARN10MFC &server);

    std::string customer, media, volume;
    ZARNVOLSEx record;
    CZARN10RC result;
};

// Sets a move in a record: location entry 3 = the repository (first 4 characters) and slot
// (entry 1's slot for -1); flag 0x8 when scannedOut; the container unless -1 or the volume is
// one.
void PrepareMove(ZARNVOLSEx &record, const std::string &repository, int slot, int container,
                 int scannedOut);

// Reads a volume and writes a move to it (see PrepareMove).
CZARN10RC MoveVolume(CZARN30VolumeRecord &holder, CZARN10MFC &server, const std::string &repository,
                     int slot, int container, int scannedOut);

// Slots a volume: entry 1 = repository and slot (clearing 0x10 when the repository changes).
CZARN10RC SetCurrentLocation(CZARN30VolumeRecord &holder, CZARN10MFC &server,
                             const std::string &repository, int slot, int further, int container);

// The move an update of item in direction would write, for the session journal.
CZARN30JournalScan JournalScanOf(const CZARN10TreeVolume &item, int direction, int checkRepository,
                                 int scannedOut);
// Whether a write's result ends it: written, or refused by the server; not a server that
// could not be reached or was busy, after which the write is still owed.
bool IsSettled(uint8_t result);

// What the store said of a failed write, for the codes that do not say it themselves (a
// database error, a server that cannot be reached or is busy); empty for the others.
std::string FailureReason(uint8_t result, const CZARN10MFC &server);
// A write's line in a result list: the volume's key, and the store's own reason when its code
// does not say it.
std::string DescribedWrite(const CZARN10TreeVolume &item, const std::string &reason);
// The station's log line for a write the server refused: the volume, the code's text and the
// reason.
void LogRefusedWrite(const CZARN10TreeVolume &item, const std::string &reason);

// Updates one To-Scan item in a direction (0 destination, 1 origin); returns the result code.
uint8_t UpdateVolume(CZARN10TreeVolume &item, CZARN10MFC &server, int direction,
                     int checkRepository, int scannedOut);
// A To-Scan item's write made ready on the window's thread, to be written on another: the
// move UpdateVolume would write, and the direction it is written in.
struct CZARN30PreparedMove {
    CZARN30JournalScan move;
    int direction = 0;
};
CZARN30PreparedMove PrepareItemMove(const CZARN10TreeVolume &item, int direction,
                                    int checkRepository, int scannedOut);
// Reads and writes each move as MoveVolume does, written together in a few transactions;
// codes[i] is moves[i]'s.
std::vector<uint8_t> WriteMoves(const std::vector<CZARN30JournalScan> &moves, CZARN10MFC &server);
// What writing moves in scan order came to: a code for each move, and the store's own reason
// for each vague one (see FailureReason).
struct CZARN30WriteOutcome {
    std::vector<uint8_t> codes;
    std::vector<std::string> reasons;
};
// WriteMoves, with the reasons.
CZARN30WriteOutcome WriteMovesTogether(const std::vector<CZARN30JournalScan> &moves,
                                       CZARN10MFC &server);
// The first move alone, then the others together (WriteMoves); while the server cannot take
// the first, the others are not tried and get its code.
CZARN30WriteOutcome WriteMovesInOrder(const std::vector<CZARN30JournalScan> &moves,
                                      CZARN10MFC &server);
// A prepared move's result set on its item, as UpdateVolume sets it.
void RecordWrite(CZARN10TreeVolume &item, uint8_t code, int direction);

// Updates many items as UpdateVolume does, written together in a few transactions; each
// item's result and updated flag are set as UpdateVolume sets them.
void UpdateVolumes(const std::vector<CZARN10TreeVolume *> &items, CZARN10MFC &server, int direction,
                   int checkRepository, int scannedOut);

#endif
