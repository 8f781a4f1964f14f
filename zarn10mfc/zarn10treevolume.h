// One volume due to move: held by value in its media node's array; the To-Scan list and the
// origin repository nodes point at it.
#ifndef ZARN_ZARN10MFC_ZARN10TREEVOLUME_H
#define ZARN_ZARN10MFC_ZARN10TREEVOLUME_H

#include <cstdint>
#include <string>

#include "zarn10rc.h"
#include "zarnrecords.h"

class CZARN10MFC;
class CZARN10TreeMedia;
class CZARN10TreeRepository;

class CZARN10TreeVolume {
public:
    // The serial is kept in a fixed field, not a string: a tree holds a million of these.
    char volumeSerial[kZarnVolumeWidth + 1] = "";
    int customerValue = 0;
    CZARN10TreeRepository *destination = nullptr;
    int destinationSlot = 0;
    CZARN10TreeRepository *origin = nullptr;
    int originSlot = 0;
    CZARN10TreeMedia *media = nullptr;
    uint8_t state = 0;
    uint8_t updated = 0;
    uint8_t listed = 0;      // on the program's To-Scan list (the document keeps it)
    int32_t listIndex = -1;  // its place there while listed
    ZARNVOLABS location{};
    int locationFetched = 0;
    int blankEntry = 0;
    int lastDirection = -1;
    uint8_t result = 0;
    int64_t moveDate = 0;
    uint32_t volumeFlags = 0;
    int moved = 0;
    // The container number the next update writes; -1 leaves the store's number alone.
    int container = -1;

    // From one record of the media's volume list.
    void Initialise(const ZARNVOLSFULL &record, CZARN10TreeMedia *owner, CZARN10MFC *server);

    std::string GetVolumeSerial() const { return volumeSerial; }
    std::string GetCustomerId() const;
    std::string GetMediaId() const;
    std::string GetCustomerName() const;
    std::string GetMediaName() const;
    // Index 0: the destination; any other: the origin.
    std::string GetRepositoryId(int index) const;
    int GetSlot(int index) const;
    std::string GetSlotText(int index) const;
    std::string GetLocationText(int index) const;
    std::string GetZoneSlotText(int index) const;
    // Reads the server location once; returns the moved flag (0 when the read failed, and a
    // later call tries again).
    int FetchLocation(CZARN10MFC *server);
    // The same read, answering the server's result (OK when fetched before) for callers that
    // must not go on without the location.
    CZARN10RC ReadLocation(CZARN10MFC *server);
    // Takes a location read for many volumes at once, with the same meaning as FetchLocation.
    int TakeLocation(const ZARNVOLABS &record);
    // The 18-byte key: customer id, media id, volume serial, each NUL-padded.
    void GetKey(char key[kZarnVolumeKeyWidth]) const;
    std::string GetDisplayKey() const;
    int DaysUntilMove() const;
    // 1 when warnDays is not 0, the move date is known (0x10) and at most warnDays away.
    int IsMoveDue(int warnDays, int *daysOut) const;
};

#endif
