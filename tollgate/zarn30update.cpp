#include "zarn30update.h"

#include <cstring>

#include "zarn10treerepository.h"
#include "zarnfields.h"

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

CZARN10RC MoveVolume(CZARN30VolumeRecord &holder, CZARN10MFC &server, const std::string &repository,
                     int slot, int container, int scannedOut) {
    if (CZARN10RC read = holder.Read(server); !read.IsOK(0)) {
        return read;
    }
    ZARNVOLSEx &record = holder.record;
    if (scannedOut) {
        record.flags |= kZarnVolScannedOut;
    }
    zarn::WriteField(record.locations[2].repositoryId, repository.substr(0, 4));
    record.locations[2].slot = slot == -1 ? record.locations[0].slot : slot;
    SetContainer(record, container);
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

uint8_t UpdateVolume(CZARN10TreeVolume &item, CZARN10MFC &server, int direction,
                     int checkRepository, int scannedOut) {
    if (checkRepository && item.destination &&
        (item.destination->repositoryFlags & kZarnRepoQueryOnly)) {
        direction = 0;
    }
    if (!(item.state == 1 || (!item.updated && item.lastDirection != direction))) {
        return item.result;
    }
    CZARN30VolumeRecord holder(item.GetCustomerId(), item.GetMediaId(), item.volumeSerial);
    const CZARN10RC result = MoveVolume(holder, server, item.GetRepositoryId(direction),
                                        item.GetSlot(direction), item.container, scannedOut);
    // A failed write leaves the item scanned and not updated, whatever an earlier run did,
    // so that the exit warning counts it and the next update tries it again.
    item.updated = result.IsOK(0) ? 1 : 0;
    if (result.IsOK(0)) {
        item.lastDirection = direction;
    }
    item.result = result.Code();
    return item.result;
}
