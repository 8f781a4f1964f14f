// Zones and slots: a zone is a run of slots in one repository, optionally kept for one
// customer and media. Zone slot s of a zone is repository slot first_slot + s - 1.
#include <QSqlQuery>
#include <QString>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "zarn10mfc.h"
#include "zarnfields.h"
#include "zarnserialindex.h"
#include "zarnsession.h"

namespace zarn {
namespace {

const char kNoZone[] = "No-Alloc";

QString ZoneColumns() {
    return "zone_number, zone_name, spoken_text, description, repository_id, customer_id,"
           " media_id, first_slot, last_slot, flags";
}

void FillZone(const QSqlQuery &query, ZARNZONEEx &zone) {
    Clear(&zone);
    zone.zoneNumber = query.value(0).toInt();
    WriteField(zone.zoneName, query.value(1).toString().toStdString());
    WriteField(zone.spokenText, query.value(2).toString().toStdString());
    WriteField(zone.description, query.value(3).toString().toStdString());
    WriteField(zone.repositoryId, query.value(4).toString().toStdString());
    WriteField(zone.customerId, query.value(5).toString().toStdString());
    WriteField(zone.mediaId, query.value(6).toString().toStdString());
    zone.firstSlot = query.value(7).toInt();
    zone.lastSlot = query.value(8).toInt();
    zone.flags = static_cast<uint32_t>(query.value(9).toLongLong());
}

bool ZoneServes(const ZARNZONEEx &zone, std::string_view customer, std::string_view media) {
    const std::string_view zoneCustomer = FieldView(zone.customerId);
    const std::string_view zoneMedia = FieldView(zone.mediaId);
    return (zoneCustomer.empty() || zoneCustomer == customer) &&
           (zoneMedia.empty() || zoneMedia == media);
}

uint8_t LoadZone(Store &store, int zone, ZARNZONEEx &found) {
    QSqlQuery query(store.Database());
    if (uint8_t failed = store.Run(
            query, "SELECT " + ZoneColumns() + " FROM zones WHERE zone_number = ?", {zone})) {
        return failed;
    }
    if (!query.next()) {
        return kZarnZoneNotFound;
    }
    FillZone(query, found);
    return kZarnOK;
}

// The zones of a repository (all with an empty id); a failed read is returned, never taken
// for "no zones".
uint8_t LoadZones(Store &store, const std::string &repository, std::vector<ZARNZONEEx> &zones) {
    QSqlQuery query;
    const uint8_t failed =
        repository.empty()
            ? store.Run(query, "SELECT " + ZoneColumns() + " FROM zones ORDER BY zone_number")
            : store.Run(query,
                        "SELECT " + ZoneColumns() +
                            " FROM zones WHERE repository_id = ? ORDER BY zone_number",
                        {QString::fromStdString(repository)});
    while (failed == 0 && query.next()) {
        FillZone(query, zones.emplace_back());
    }
    return failed;
}

// The zone block of one location: the first zone holding that repository slot for the
// customer and media, else "No-Alloc" with the repository slot. Zones are few.
void FillBlock(const std::vector<ZARNZONEEx> &zones, std::string_view customer,
               std::string_view media, std::string_view repository, int32_t slot,
               ZARNVOLABSBLOCK &block) {
    std::memset(&block, 0, sizeof block);
    WriteField(block.repositoryId, repository);
    block.slot = slot;
    for (const ZARNZONEEx &zone : zones) {
        if (!repository.empty() && FieldEquals(zone.repositoryId, repository) &&
            zone.firstSlot <= slot && slot <= zone.lastSlot && ZoneServes(zone, customer, media)) {
            std::memcpy(block.zoneName, zone.zoneName, sizeof block.zoneName);
            block.zoneNumber = zone.zoneNumber;
            block.zoneSlot = slot - zone.firstSlot + 1;
            return;
        }
    }
    WriteField(block.zoneName, kNoZone);
    block.zoneSlot = slot;
}

// Block 0 the destination (the current location when no move is pending), block 1 the
// current location.
void FillLocations(const std::vector<ZARNZONEEx> &zones, std::string_view customer,
                   std::string_view media, std::string_view volume, const StoreLocation &current,
                   const StoreLocation &destination, ZARNVOLABS &record) {
    Clear(&record);
    WriteField(record.customerId, customer);
    WriteField(record.mediaId, media);
    WriteField(record.volume, volume);
    const StoreLocation &to = destination.repository.empty() ? current : destination;
    FillBlock(zones, customer, media, to.repository, to.slot, record.blocks[0]);
    FillBlock(zones, customer, media, current.repository, current.slot, record.blocks[1]);
}

void FillLocations(const std::vector<ZARNZONEEx> &zones, const VolumeRow &row, ZARNVOLABS &record) {
    FillLocations(zones, row.customer, row.media, row.volume, row.current, row.destination, record);
}

}  // namespace
}  // namespace zarn

using namespace zarn;

CZARN10RC CZARN10MFC::Get(ZARNZONE *record, int zone) {
    const StatementsDone done(*m_session);
    Clear(record);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    ZARNZONEEx full;
    if (!store || (result = LoadZone(*store, zone, full))) {
        return result;
    }
    record->zoneNumber = full.zoneNumber;
    std::memcpy(record->zoneName, full.zoneName, sizeof record->zoneName);
    std::memcpy(record->repositoryId, full.repositoryId, sizeof record->repositoryId);
    record->firstSlot = full.firstSlot;
    record->lastSlot = full.lastSlot;
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNCOORD *record, const char *customer, const char *media, int zone,
                          int slot) {
    const StatementsDone done(*m_session);
    Clear(record);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    ZARNZONEEx full;
    if (!store || (result = LoadZone(*store, zone, full))) {
        return result;
    }
    if (!ZoneServes(full, customer ? customer : "", media ? media : "")) {
        return kZarnZoneNotFound;
    }
    const int64_t repositorySlot = static_cast<int64_t>(full.firstSlot) + slot - 1;
    if (slot < 1 || repositorySlot > full.lastSlot) {
        return kZarnSlotOutsideZone;
    }
    std::memcpy(record->repositoryId, full.repositoryId, sizeof record->repositoryId);
    record->slot = static_cast<int32_t>(repositorySlot);
    record->zoneNumber = zone;
    record->zoneSlot = slot;
    std::memcpy(record->zoneName, full.zoneName, sizeof record->zoneName);
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(ZARNVOLABS *record, const char *customer, const char *media,
                          const char *volume) {
    const StatementsDone done(*m_session);
    Clear(record);
    VolumeRow row;
    if (uint8_t failed = m_session->ReadVolume(customer, media, volume, row)) {
        return failed;
    }
    Store *store = m_session->store.get();
    std::vector<ZARNZONEEx> zones;
    if (uint8_t failed = LoadZones(*store, row.current.repository, zones)) {
        return failed;
    }
    if (!row.destination.repository.empty() &&
        row.destination.repository != row.current.repository) {
        if (uint8_t failed = LoadZones(*store, row.destination.repository, zones)) {
            return failed;
        }
    }
    FillLocations(zones, row, *record);
    return kZarnOK;
}

CZARN10RC CZARN10MFC::Get(std::vector<ZARNVOLABS> &records, const char *customer, const char *media,
                          const std::vector<std::string> &volumes) {
    records.clear();
    const std::vector<std::string_view> serials(volumes.begin(), volumes.end());
    return Get(customer, media, serials,
               [&](std::size_t, const ZARNVOLABS &record) { records.push_back(record); });
}

CZARN10RC CZARN10MFC::Get(const char *customer, const char *media,
                          const std::vector<std::string_view> &volumes,
                          const std::function<void(std::size_t, const ZARNVOLABS &)> &take) {
    const StatementsDone done(*m_session);
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    std::vector<ZARNZONEEx> zones;
    if ((result = LoadZones(*store, "", zones))) {
        return result;
    }
    const std::string customerId = customer ? customer : "";
    const std::string mediaId = media ? media : "";
    SerialIndex<const std::string_view> wanted(volumes,
                                               [](std::string_view serial) { return serial; });
    ZARNVOLABS record;
    StoreLocation current, destination;
    const auto takeRow = [&](const StoreRow &row) {
        const std::string_view volume = row.Text(0);
        const std::string_view *asked = wanted.Find(volume);
        if (!asked) {
            return;
        }
        current = {std::string(row.Text(1)), static_cast<int32_t>(row.Int(2))};
        destination = {std::string(row.Text(3)), static_cast<int32_t>(row.Int(4))};
        FillLocations(zones, customerId, mediaId, volume, current, destination, record);
        take(static_cast<std::size_t>(asked - volumes.data()), record);
    };
    const std::string columns =
        "SELECT volume, current_repository, current_slot, destination_repository,"
        " destination_slot FROM volumes WHERE customer_id = ? AND media_id = ?";
    constexpr std::size_t kChunk = 500;  // serials per statement
    if (volumes.size() > 4 * kChunk) {
        // Most of a media's volumes (a tree node's): one read of the media's range costs less
        // than many statements of listed serials.
        return store->ForEachRow(columns + " ORDER BY volume", {customerId, mediaId}, takeRow);
    }
    for (std::size_t first = 0; first < volumes.size(); first += kChunk) {
        const std::size_t count = std::min(kChunk, volumes.size() - first);
        // Always kChunk serials (the last repeated), so that one prepared statement serves.
        std::string sql = columns + " AND volume IN (?";
        std::vector<std::string> parameters{customerId, mediaId, std::string(volumes[first])};
        for (std::size_t i = 1; i < kChunk; ++i) {
            sql += ", ?";
            parameters.emplace_back(volumes[first + std::min(i, count - 1)]);
        }
        if ((result = store->ForEachRow(sql + ") ORDER BY volume", parameters, takeRow))) {
            return result;
        }
    }
    return kZarnOK;
}

CZARN10RC CZARN10MFC::List(std::vector<ZARNZONEEx> &records) {
    const StatementsDone done(*m_session);
    records.clear();
    uint8_t result = 0;
    Store *store = m_session->Require(result);
    if (!store) {
        return result;
    }
    QSqlQuery query(store->Database());
    if ((result =
             store->Run(query, "SELECT " + ZoneColumns() + " FROM zones ORDER BY zone_number"))) {
        return result;
    }
    while (query.next()) {
        records.emplace_back();
        FillZone(query, records.back());
    }
    return kZarnOK;
}

std::string CZARN10MFC::FormatZoneSlot(int slot) {
    char text[32];
    if (slot >= 0) {
        std::snprintf(text, sizeof text, "%d", slot);
    } else {
        // A negative slot holds a level (upper 16 bits) and a slot (lower 16) of its magnitude.
        const uint32_t magnitude = 0u - static_cast<uint32_t>(slot);
        std::snprintf(text, sizeof text, "%u/%u", magnitude >> 16, magnitude & 0xFFFFu);
    }
    return text;
}
