#include "zarn30update.h"

#include <cstring>

#include "zarn10treerepository.h"
#include "zarnfields.h"
#include "zarnstationlog.h"

CZARN30VolumeRecord::CZARN30VolumeRecord(const std::string &customerId, const std::string &mediaId,
                                         const std::string &serial)
    : customer(customerId), media(mediaId), volume(serial), record{} {
    for (ZARNLOCATION &entry : record.locations) {
        zarn::WriteField(entry.repositoryId, "INIT");
    }
}

CZARN10RC CZARN30VolumeRecord::Read(CZARN10MFC &server) {
    result = server.Get(&record, customer.c_str(), media.c_str(), volume.c_str());
    return result;
}

namespace {

void SetContainer(ZARNVOLSEx &record, int container) {
    if (container != -1 && !(record.flags & kZarnVolContainer)) {
        record.container = container;
    }
}

// Update; the result is the update's. A written record is already as the store holds it; a
// refused one is read again, so that the holder never shows what was not written.
CZARN10RC Write(CZARN30VolumeRecord &holder, CZARN10MFC &server) {
    const CZARN10RC updated = server.Update(&holder.record);
    if (!updated.IsOK(0)) {
        holder.Read(server);
    }
    holder.result = updated;
    return updated;
}

}  // namespace

void PrepareMove(ZARNVOLSEx &record, const std::string &repository, int slot, int container,
                 int scannedOut) {
    if (scannedOut) {
        record.flags |= kZarnVolScannedOut;
    }
    zarn::WriteField(record.locations[2].repositoryId, repository.substr(0, 4));
    record.locations[2].slot = slot == -1 ? record.locations[0].slot : slot;
    SetContainer(record, container);
}

CZARN10RC MoveVolume(CZARN30VolumeRecord &holder, CZARN10MFC &server, const std::string &repository,
                     int slot, int container, int scannedOut) {
    if (CZARN10RC read = holder.Read(server); !read.IsOK(0)) {
        return read;
    }
    PrepareMove(holder.record, repository, slot, container, scannedOut);
    return Write(holder, server);
}

CZARN10RC SetCurrentLocation(CZARN30VolumeRecord &holder, CZARN10MFC &server,
                             const std::string &repository, int slot, int further, int container) {
    if (CZARN10RC read = holder.Read(server); !read.IsOK(0)) {
        return read;
    }
    ZARNVOLSEx &record = holder.record;
    char given[4] = {};
    std::memcpy(given, repository.data(), std::min<size_t>(repository.size(), 4));
    if (std::memcmp(record.locations[0].repositoryId, given, 4) != 0) {
        record.flags &= ~kZarnVolMoveDateKnown;
    }
    std::memcpy(record.locations[0].repositoryId, given, 4);
    record.locations[0].slot = slot;
    record.locations[0].reserved[0] = static_cast<uint32_t>(further);
    SetContainer(record, container);
    return Write(holder, server);
}

namespace {

// The direction an item is written in: a move into a query-only repository is a query.
int DirectionFor(const CZARN10TreeVolume &item, int direction, int checkRepository) {
    const bool queryOnly = checkRepository && item.destination &&
                           (item.destination->repositoryFlags & kZarnRepoQueryOnly);
    return queryOnly ? 0 : direction;
}

bool NeedsUpdate(const CZARN10TreeVolume &item, int direction) {
    return item.state == 1 || (!item.updated && item.lastDirection != direction);
}

void RecordResult(CZARN10TreeVolume &item, const CZARN10RC &result, int direction) {
    // A failed write leaves the item scanned and not updated, whatever an earlier run did,
    // so that the exit warning counts it and the next update tries it again.
    item.updated = result.IsOK(0) ? 1 : 0;
    if (result.IsOK(0)) {
        item.lastDirection = direction;
    }
    item.result = result.Code();
}

}  // namespace

CZARN30JournalScan JournalScanOf(const CZARN10TreeVolume &item, int direction, int checkRepository,
                                 int scannedOut) {
    direction = DirectionFor(item, direction, checkRepository);
    CZARN30JournalScan scan;
    scan.customer = item.GetCustomerId();
    scan.media = item.GetMediaId();
    scan.volume = item.volumeSerial;
    scan.repository = item.GetRepositoryId(direction);
    scan.slot = item.GetSlot(direction);
    scan.container = item.container;
    scan.scannedOut = scannedOut;
    return scan;
}

bool IsSettled(uint8_t result) {
    return result != kZarnServerUnavailable && result != kZarnDatabaseBusy &&
           result != kZarnNotLoggedOn;
}

std::string FailureReason(uint8_t result, const CZARN10MFC &server) {
    const bool vague = result == kZarnDatabaseError || result == kZarnServerUnavailable ||
                       result == kZarnDatabaseBusy;
    return vague ? server.LastStoreError() : std::string();
}

std::string DescribedWrite(const CZARN10TreeVolume &item, const std::string &reason) {
    return item.GetDisplayKey() + (reason.empty() ? "" : " (" + reason + ")");
}

void LogRefusedWrite(const CZARN10TreeVolume &item, const std::string &reason) {
    qCWarning(lcServerUpdate).noquote()
        << "write refused:" << item.GetDisplayKey().c_str() << "-" << CZARN10RC(item.result).Get()
        << (reason.empty() ? "" : "(" + reason + ")").c_str();
}

uint8_t UpdateVolume(CZARN10TreeVolume &item, CZARN10MFC &server, int direction,
                     int checkRepository, int scannedOut) {
    direction = DirectionFor(item, direction, checkRepository);
    if (!NeedsUpdate(item, direction)) {
        return item.result;
    }
    CZARN30VolumeRecord holder(item.GetCustomerId(), item.GetMediaId(), item.volumeSerial);
    RecordResult(item,
                 MoveVolume(holder, server, item.GetRepositoryId(direction),
                            item.GetSlot(direction), item.container, scannedOut),
                 direction);
    return item.result;
}

std::vector<uint8_t> WriteMoves(const std::vector<CZARN30JournalScan> &moves, CZARN10MFC &server) {
    std::vector<uint8_t> codes(moves.size(), kZarnOK);
    std::vector<std::size_t> writing;
    std::vector<ZARNVOLSEx> records;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const CZARN30JournalScan &move = moves[i];
        CZARN30VolumeRecord holder(move.customer, move.media, move.volume);
        if (CZARN10RC read = holder.Read(server); !read.IsOK(0)) {
            codes[i] = read.Code();
            continue;
        }
        PrepareMove(holder.record, move.repository, move.slot, move.container, move.scannedOut);
        writing.push_back(i);
        records.push_back(holder.record);
    }
    std::vector<CZARN10RC> results;
    server.Update(records, results);
    for (std::size_t k = 0; k < writing.size(); ++k) {
        codes[writing[k]] = results[k].Code();
    }
    return codes;
}

CZARN30WriteOutcome WriteMovesInOrder(const std::vector<CZARN30JournalScan> &moves,
                                      CZARN10MFC &server) {
    CZARN30WriteOutcome outcome;
    if (moves.empty()) {
        return outcome;
    }
    outcome = WriteMovesTogether({moves.front()}, server);
    if (!IsSettled(outcome.codes.front())) {
        outcome.codes.assign(moves.size(), outcome.codes.front());
        outcome.reasons.assign(moves.size(), outcome.reasons.front());
    } else if (moves.size() > 1) {
        const CZARN30WriteOutcome rest = WriteMovesTogether(
            std::vector<CZARN30JournalScan>(moves.begin() + 1, moves.end()), server);
        outcome.codes.insert(outcome.codes.end(), rest.codes.begin(), rest.codes.end());
        outcome.reasons.insert(outcome.reasons.end(), rest.reasons.begin(), rest.reasons.end());
    }
    return outcome;
}

CZARN30WriteOutcome WriteMovesTogether(const std::vector<CZARN30JournalScan> &moves,
                                       CZARN10MFC &server) {
    CZARN30WriteOutcome outcome;
    outcome.codes = WriteMoves(moves, server);
    for (uint8_t code : outcome.codes) {
        outcome.reasons.push_back(FailureReason(code, server));
    }
    return outcome;
}

CZARN30PreparedMove PrepareItemMove(const CZARN10TreeVolume &item, int direction,
                                    int checkRepository, int scannedOut) {
    return {JournalScanOf(item, direction, checkRepository, scannedOut),
            DirectionFor(item, direction, checkRepository)};
}

void RecordWrite(CZARN10TreeVolume &item, uint8_t code, int direction) {
    RecordResult(item, CZARN10RC(code), direction);
}

void UpdateVolumes(const std::vector<CZARN10TreeVolume *> &items, CZARN10MFC &server, int direction,
                   int checkRepository, int scannedOut) {
    std::vector<CZARN10TreeVolume *> writing;
    std::vector<int> directions;
    std::vector<CZARN30JournalScan> moves;
    for (CZARN10TreeVolume *item : items) {
        CZARN30PreparedMove prepared =
            PrepareItemMove(*item, direction, checkRepository, scannedOut);
        if (!NeedsUpdate(*item, prepared.direction)) {
            continue;
        }
        writing.push_back(item);
        directions.push_back(prepared.direction);
        moves.push_back(std::move(prepared.move));
    }
    const std::vector<uint8_t> codes = WriteMoves(moves, server);
    for (std::size_t i = 0; i < writing.size(); ++i) {
        RecordResult(*writing[i], CZARN10RC(codes[i]), directions[i]);
    }
}
