#include "zarn10treevolume.h"

#include <cstdio>
#include <cstring>

#include "packeddate.h"
#include "zarn10mfc.h"
#include "zarn10treecustomer.h"
#include "zarn10treemedia.h"
#include "zarn10treerepository.h"
#include "zarnfields.h"

namespace {
const char kNoZone[] = "No-Alloc";
}

void CZARN10TreeVolume::Initialise(const ZARNVOLSFULL &record, CZARN10TreeMedia *owner,
                                   CZARN10MFC *server) {
    media = owner;
    const std::string serial = zarn::ReadField(record.volume);
    std::memcpy(volumeSerial, serial.data(), serial.size());
    volumeSerial[serial.size()] = '\0';
    destinationSlot = record.slot0;
    originSlot = record.slot1;
    customerValue = owner->customer ? owner->customer->customerValue : 0;

    const std::string destinationId = zarn::ReadField(record.repositoryId0);
    auto &slot = owner->destinations[destinationId];
    if (!slot) {
        slot = std::make_unique<CZARN10TreeRepository>(destinationId, owner, server, 0);
    }
    destination = slot.get();
    origin = destination->GetOrAddOrigin(this, zarn::ReadField(record.repositoryId1));
    moveDate = PackedToTime(record.nextMoveDate);
    volumeFlags = record.flags;
}

std::string CZARN10TreeVolume::GetCustomerId() const {
    return media && media->customer ? media->customer->id : std::string();
}

std::string CZARN10TreeVolume::GetMediaId() const {
    return media ? media->id : std::string();
}

std::string CZARN10TreeVolume::GetCustomerName() const {
    return media && media->customer ? media->customer->name : std::string();
}

std::string CZARN10TreeVolume::GetMediaName() const {
    return media ? media->name : std::string();
}

std::string CZARN10TreeVolume::GetRepositoryId(int index) const {
    const CZARN10TreeRepository *node = index == 0 ? destination : origin;
    return node ? node->id : std::string();
}

int CZARN10TreeVolume::GetSlot(int index) const {
    return index == 0 ? destinationSlot : originSlot;
}

std::string CZARN10TreeVolume::GetSlotText(int index) const {
    return std::to_string(GetSlot(index));
}

std::string CZARN10TreeVolume::GetLocationText(int index) const {
    if (index > 1) {
        index = 0;
    }
    const std::string treeText =
        "(" + GetRepositoryId(index) + ":" + std::to_string(GetSlot(index)) + ")";
    if (!locationFetched) {
        return treeText;
    }
    const std::string zone = zarn::ReadField(location.blocks[index].zoneName);
    return zone == kNoZone ? treeText : zone;
}

std::string CZARN10TreeVolume::GetZoneSlotText(int index) const {
    return CZARN10MFC::FormatZoneSlot(location.blocks[index > 1 ? 0 : index].zoneSlot);
}

int CZARN10TreeVolume::TakeLocation(const ZARNVOLABS &record) {
    location = record;
    locationFetched = 1;
    moved = 0;
    for (int index = 0; index < 2; ++index) {
        const ZARNVOLABSBLOCK &block = record.blocks[index];
        const CZARN10TreeRepository *node = index == 0 ? destination : origin;
        if (block.slot != GetSlot(index) || node == nullptr ||
            std::string_view(node->id).substr(0, kZarnRepositoryIdWidth) !=
                zarn::FieldView(block.repositoryId)) {
            moved = 1;
        }
    }
    return moved;
}

int CZARN10TreeVolume::FetchLocation(CZARN10MFC *server) {
    return ReadLocation(server).IsOK(0) ? moved : 0;
}

CZARN10RC CZARN10TreeVolume::ReadLocation(CZARN10MFC *server) {
    if (locationFetched) {
        return kZarnOK;
    }
    ZARNVOLABS record;
    const CZARN10RC result =
        server->Get(&record, GetCustomerId().c_str(), GetMediaId().c_str(), volumeSerial);
    if (result.IsOK(0)) {
        TakeLocation(record);
    }
    return result;
}

void CZARN10TreeVolume::GetKey(char key[kZarnVolumeKeyWidth]) const {
    std::memset(key, 0, kZarnVolumeKeyWidth);
    const std::string customer = GetCustomerId();
    const std::string mediaId = GetMediaId();
    std::memcpy(key, customer.data(), std::min<size_t>(customer.size(), 4));
    std::memcpy(key + 4, mediaId.data(), std::min<size_t>(mediaId.size(), 4));
    std::memcpy(key + 8, volumeSerial, std::strlen(volumeSerial));
}

std::string CZARN10TreeVolume::GetDisplayKey() const {
    return zarn::DisplayKey(GetCustomerId(), GetMediaId(), volumeSerial);
}

int CZARN10TreeVolume::DaysUntilMove() const {
    return DaysBetween(0, moveDate);
}

int CZARN10TreeVolume::IsMoveDue(int warnDays, int *daysOut) const {
    if (warnDays == 0 || !(volumeFlags & kZarnVolMoveDateKnown)) {
        return 0;
    }
    const int days = DaysUntilMove();
    if (daysOut) {
        *daysOut = days;
    }
    return days <= warnDays ? 1 : 0;
}
