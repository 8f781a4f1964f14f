// The demo data set: a small, plausible world to try the stations on.
#include <cstdio>

#include "packeddate.h"
#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarnclock.h"
#include "zarnrecords.h"

namespace zarn {
namespace {

const CustomerData kCustomers[] = {
    {"ACME", "Acme Insurance", 1, 0, "555-0100", "Dana Reyes",
     "1 Harbour Road\r\nPort Elsby\r\nPE1 4AA"},
    {"BETA", "Beta Logistics", 2, 0, "555-0110", "Sam Okafor", "77 Mill Lane\r\nNorthgate"},
    {"CRUX", "Crux Health Trust", 3, 0, "555-0120", "Lee Marsh", "Crux House\r\nSouthbank"},
    {"DORM", "Dormant Holdings", 4, kZarnCustExcluded, "", "", "PO Box 9"},
    {"EMPT", "Empty Accounts Ltd", 5, kZarnCustHideWhenEmpty, "", "", "12 Quiet Street"},
};

const MediaData kMedia[] = {
    {"ACME", "LTO9", "LTO-9 cartridges", 0},
    {"ACME", "LTO8", "LTO-8 cartridges", kZarnMediaCountsGiven | kZarnMediaHighlight},
    {"BETA", "LTO9", "LTO-9 cartridges", kZarnMediaCountsGiven},
    {"BETA", "3592", "3592 cartridges", 0},
    {"CRUX", "LTO7", "", 0},
    {"EMPT", "LTO9", "LTO-9 cartridges", 0},
};

const RepositoryData kRepositories[] = {
    {"LIB1", "Main library", "HQ", 0},
    {"VLT1", "North vault", "NV", 0},
    {"VLT2", "South vault", "SV", 0},
    {"OFFS", "Offsite store", "OS", kZarnRepoQueryOnly},
};

const ZoneData kZones[] = {
    {1, "LIB-A", "Library A", "Library aisle A", "LIB1", "", "", 1, 500, 0},
    {2, "LIB-B", "Library B", "Library aisle B", "LIB1", "", "", 501, 1000, 0},
    {3, "NV-RACK1", "North one", "North vault rack 1", "VLT1", "", "", 1, 400, 0},
    {4, "SV-RACK1", "South one", "South vault rack 1", "VLT2", "", "", 1, 400, 0},
    {5, "ACME-CAGE", "Acme cage", "Acme's own cage", "VLT2", "ACME", "", 401, 600, 0},
};

// Where the volumes of one media start and where they are due to go, in turn.
const char *const kMoves[][2] = {
    {"LIB1", "VLT1"}, {"VLT1", "LIB1"}, {"LIB1", "VLT2"}, {"VLT2", "OFFS"}};

uint8_t LoadVolumes(Store &store, const MediaData &media, int count, int index) {
    const int64_t now = ZarnNow();
    for (int i = 0; i < count; ++i) {
        VolumeRow row;
        row.customer = media.customer;
        row.media = media.media;
        char serial[16];
        std::snprintf(serial, sizeof serial, "%c%c%04d", media.customer[0], 'A' + index, i + 1);
        row.volume = serial;
        const auto &move = kMoves[i % 4];
        row.current = {move[0], 1 + (i * 7 + index * 50) % 400};
        if (i % 5 != 4) {  // every fifth volume stays where it is
            row.destination = {move[1], 1 + (i * 3 + index * 40) % 400};
        }
        row.nextMoveDate = PackTime(now + static_cast<int64_t>((i % 9) - 2) * 86400);
        row.flags = (i % 3 == 0) ? kZarnVolMoveDateKnown : 0;
        if (i % 25 == 0) {
            row.flags |= kZarnVolContainer;
            row.container = 1000 + index * 100 + i;
        }
        if (uint8_t failed = PutVolume(store, row)) {
            return failed;
        }
    }
    return kZarnOK;
}

uint8_t LoadReferenceData(Store &store) {
    for (const CustomerData &c : kCustomers) {
        if (uint8_t failed = PutCustomer(store, c)) {
            return failed;
        }
    }
    for (const MediaData &m : kMedia) {
        if (uint8_t failed = PutMedia(store, m)) {
            return failed;
        }
    }
    for (const RepositoryData &r : kRepositories) {
        if (uint8_t failed = PutRepository(store, r)) {
            return failed;
        }
    }
    for (const ZoneData &z : kZones) {
        if (uint8_t failed = PutZone(store, z)) {
            return failed;
        }
    }
    return kZarnOK;
}

uint8_t LoadJournalCodes(Store &store) {
    const char *const names[] = {"Courier run",      "Emergency delivery", "Tape handling",
                                 "Weekend call-out", "Box supply",         "Container seal"};
    for (int position = 0; position < 100; ++position) {
        const bool empty = position >= 6 && position % 10 != 0;  // most positions are unused
        const std::string name =
            position < 6 ? names[position] : "Service " + std::to_string(position);
        if (uint8_t failed = PutJournalCode(store, position, empty ? 0 : 100 + position,
                                            empty ? "" : name, empty ? 0 : 1 + position % 3)) {
            return failed;
        }
    }
    return kZarnOK;
}

}  // namespace

uint8_t LoadDemoData(Store &store, int volumesPerMedia) {
    return store.InTransaction([&]() -> uint8_t {
        if (uint8_t failed = LoadReferenceData(store)) {
            return failed;
        }
        if (uint8_t failed = LoadJournalCodes(store)) {
            return failed;
        }
        for (const auto &[key, value] :
             {std::pair<const char *, const char *>{"server_id", "KESTRAVA-DEMO"},
              {"server_name", "Demo server"},
              {"prepared_by", "Kestrava Media Services"}}) {
            if (uint8_t failed = SetMeta(store, key, value)) {
                return failed;
            }
        }
        int index = 0;
        for (const MediaData &m : kMedia) {
            const int count = m.customer == std::string("EMPT") ? 0 : volumesPerMedia;
            if (uint8_t failed = LoadVolumes(store, m, count, index++)) {
                return failed;
            }
        }
        return kZarnOK;
    });
}

}  // namespace zarn
