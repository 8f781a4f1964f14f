// The server records: plain fixed-layout structures that the library fills into buffers the
// caller owns. Character fields are fixed-width and not zero-terminated when full (read and
// write them with zarnfields.h). Layouts are checked at compile time below.
#ifndef ZARN_SERVERAPI_ZARNRECORDS_H
#define ZARN_SERVERAPI_ZARNRECORDS_H

#include <cstddef>
#include <cstdint>

// Widths of the identifiers.
constexpr std::size_t kZarnCustomerIdWidth = 4;
constexpr std::size_t kZarnMediaIdWidth = 4;
constexpr std::size_t kZarnRepositoryIdWidth = 4;
constexpr std::size_t kZarnVolumeWidth = 10;
constexpr std::size_t kZarnZoneNameWidth = 10;
constexpr std::size_t kZarnVolumeKeyWidth = 18;

// Volume flag word.
constexpr uint32_t kZarnVolScannedOut = 0x8;        // set by a pick-mode update
constexpr uint32_t kZarnVolMoveDateKnown = 0x10;    // the move-date warning applies
constexpr uint32_t kZarnVolDueToMove = 0x40;        // a move is pending
constexpr uint32_t kZarnVolSlotAllocated = 0x2000;  // the slot was given by allocation
constexpr uint32_t kZarnVolContainer = 0x20000;     // the volume is itself a container

// Customer flag word.
constexpr uint32_t kZarnCustExcluded = 0x8;  // never in the movement tree
constexpr uint32_t kZarnCustHideWhenEmpty = 0x1000;

// Media flag word.
constexpr uint32_t kZarnMediaCountsGiven = 0x8000;  // the record carries its counts
constexpr uint32_t kZarnMediaHighlight = 0x4000;

// Repository flag word.
constexpr uint32_t kZarnRepoQueryOnly = 0x8000;  // moves into it are written as query moves

// Scanned bar code flags.
constexpr uint32_t kZarnScanVolume = 0x1;
constexpr uint32_t kZarnScanSerialOnly = 0x2;  // the label named only the serial
constexpr uint32_t kZarnScanContainer = 0x4;

struct ZARNSERVERID {
    char serverId[20];
    char serverName[20];
    char stationId[16];
    char preparedBy[40];
    uint32_t schemaVersion;
};

struct ZARNCUST {
    char customerId[4];
    int32_t customerValue;
    uint32_t flags;
    uint32_t volumeCount;
    uint32_t moveCount;
    char phone[16];
    char name[40];
    char contact[28];
    char address[100];  // lines separated by "\r\n"
};

struct ZARNCUSTEx {
    char customerId[4];
    char name[40];
    int32_t customerValue;
    uint32_t flags;
};

struct ZARNMEDIAEx {
    char customerId[4];
    char mediaId[4];
    char description[20];
    uint32_t flags;
    uint32_t volumeCount;
    uint32_t moveCount;
};
using ZARNMEDIA = ZARNMEDIAEx;

struct ZARNREPOSITORY {
    char customerId[4];
    char mediaId[4];
    char repositoryId[4];
    uint32_t flags;
    char siteCode[20];
    char description[20];
};

struct ZARNREPOSITORYFULL {
    char repositoryId[4];
    char description[20];
    uint32_t flags;
};

// One location of a volume. The first 8 bytes, repository id and slot, are all most callers use.
struct ZARNLOCATION {
    char repositoryId[4];
    int32_t slot;
    int32_t zoneNumber;
    uint32_t date;  // packed date the volume arrived there
    char station[16];
    uint32_t flags;
    uint32_t reserved[2];
};

// A volume. Location entry 1 (locations[0]) is the current location, entry 2 the destination of
// a pending move (the current location again when none is pending), entry 3 the location a scan
// last wrote. Callers set the ids to "INIT" before a Get.
struct ZARNVOLS {
    char customerId[4];
    char mediaId[4];
    char volume[10];
    char pad[2];
    uint32_t flags;
    int32_t container;      // a container's own number, else the number of the container holding it
    uint32_t nextMoveDate;  // packed date (or a plain time)
    ZARNLOCATION locations[3];
    uint32_t version;  // the store's change counter: an update of an older copy is refused
    uint32_t changed;  // time of the last change
    char description[20];
};
struct ZARNVOLSEx : ZARNVOLS {};

struct ZARNVOLSFULL {
    char volume[10];
    char pad[2];
    uint32_t flags;
    char repositoryId0[4];
    int32_t slot0;
    char repositoryId1[4];
    int32_t slot1;
    uint32_t nextMoveDate;
    int32_t container;
};

// Filter of the volume list: the bits a volume's flag word must carry.
struct ZARNVOLFLAGS {
    uint32_t flags;
};

// Where a volume's locations lie in zone terms: block 0 the destination, block 1 the current
// location. A location in no zone has the zone name "No-Alloc".
struct ZARNVOLABSBLOCK {
    char zoneName[10];
    char pad[2];
    int32_t zoneNumber;
    int32_t zoneSlot;
    char repositoryId[4];
    int32_t slot;
};
struct ZARNVOLABS {
    char customerId[4];
    char mediaId[4];
    char volume[10];
    char pad[2];
    ZARNVOLABSBLOCK blocks[2];
};

// A zone slot translated for a customer and media: the repository and its slot.
struct ZARNCOORD {
    char repositoryId[4];
    int32_t slot;
    int32_t zoneNumber;
    int32_t zoneSlot;
    char zoneName[10];
    char pad[2];
};

struct ZARNZONE {
    int32_t zoneNumber;
    char zoneName[10];
    char pad[2];
    char repositoryId[4];
    int32_t firstSlot;
    int32_t lastSlot;
};

struct ZARNZONEEx {
    int32_t zoneNumber;
    char repositoryId[4];
    char customerId[4];  // empty: any customer
    char mediaId[4];     // empty: any media
    int32_t firstSlot;
    int32_t lastSlot;
    uint32_t flags;
    char spokenText[10];
    char pad[2];
    char description[20];
    char zoneName[10];
    char pad2[2];
    uint32_t reserved[9];
};

struct ZARN10JOURNALENTRY {
    uint32_t defaultQuantity;
    char name[40];
    uint32_t code;  // 0: an empty entry
};
struct ZARN10JOURNALLIST {
    uint32_t count;
    char serverId[20];
    uint32_t reserved[7];
    ZARN10JOURNALENTRY entries[100];
};

struct ZARNATTRIBUTE {
    char name[20];
    char value[80];
};
struct ZARNATTRIBUTEEx {
    char name[20];
    char value[80];
    char station[16];
    uint32_t changed;
};

struct ZARNSCANVOLUMEARGS {
    uint32_t size;      // 36
    uint32_t owner[2];  // the window to notify, an opaque handle
    uint32_t volumeMessage;
    uint32_t controlMessage;
    uint32_t zoneSlotMessage;
    uint32_t reserved[3];
};

// One parsed scanner line. A volume begins with its 18-byte key.
struct ZARN10BARCODEPARSED {
    char customerId[4];
    char mediaId[4];
    char volume[10];
    char pad[2];
    int32_t container;
    uint32_t flags;  // kZarnScan...
    int32_t zone;    // 0: not given
    int32_t slot;    // 0: not given
    char control;    // 0: none
    uint8_t kind;    // ZarnBarCodeKind
    char pad2[2];
};

enum ZarnBarCodeKind : uint8_t {
    kZarnBarCodeNone = 0,
    kZarnBarCodeVolume = 1,
    kZarnBarCodeZone = 2,
    kZarnBarCodeSlot = 3,
    kZarnBarCodeZoneSlot = 4,
    kZarnBarCodeControl = 5,
};

// Layouts the programs rely on.
static_assert(offsetof(ZARNSERVERID, serverId) == 0 && offsetof(ZARNSERVERID, serverName) == 20);
static_assert(offsetof(ZARNSERVERID, preparedBy) == 56 && sizeof(ZARNSERVERID) == 100);
static_assert(offsetof(ZARNCUST, name) == 36 && offsetof(ZARNCUST, address) == 104);
static_assert(sizeof(ZARNCUST) == 204);
static_assert(offsetof(ZARNREPOSITORY, description) == 36 && sizeof(ZARNREPOSITORY) == 56);
static_assert(sizeof(ZARNLOCATION) == 44 && offsetof(ZARNLOCATION, slot) == 4);
static_assert(offsetof(ZARNVOLS, volume) == 8 && offsetof(ZARNVOLS, locations) == 32);
static_assert(sizeof(ZARNVOLS) == 192 && sizeof(ZARNVOLSEx) == sizeof(ZARNVOLS));
static_assert(sizeof(ZARNVOLABS) == 76 && offsetof(ZARNVOLABS, blocks) == 20);
static_assert(offsetof(ZARNZONEEx, zoneNumber) == 0 && offsetof(ZARNZONEEx, spokenText) == 28);
static_assert(offsetof(ZARNZONEEx, zoneName) == 60 && sizeof(ZARNZONEEx) == 108);
static_assert(sizeof(ZARN10JOURNALENTRY) == 48 && offsetof(ZARN10JOURNALENTRY, name) == 4);
static_assert(offsetof(ZARN10JOURNALLIST, entries) == 52 && sizeof(ZARN10JOURNALLIST) == 4852);
static_assert(sizeof(ZARNSCANVOLUMEARGS) == 36);
static_assert(sizeof(ZARNCOORD) <= sizeof(ZARNLOCATION) && offsetof(ZARNCOORD, slot) == 4);
static_assert(offsetof(ZARN10BARCODEPARSED, volume) == 8 && sizeof(ZARN10BARCODEPARSED) == 40);

#endif
