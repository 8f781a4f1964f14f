// Administration of a store, for zarnserver and test fixtures: creating it, and writing the
// data that stations only read (customers, media, repositories, zones, journal codes, identity).
#ifndef ZARN_SERVERLIB_ZARNADMIN_H
#define ZARN_SERVERLIB_ZARNADMIN_H

#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "zarnstore.h"

namespace zarn {

// Opens the store and creates or migrates its schema; null with result and error on failure.
std::unique_ptr<Store> OpenAndMigrate(const ConnectionSettings &settings, uint8_t &result,
                                      std::string &error);
// Opens an existing store for reading only: never creates, migrates or writes it. Refuses a
// missing store and one without a schema this version can read.
std::unique_ptr<Store> OpenForReading(const ConnectionSettings &given, uint8_t &result,
                                      std::string &error);

struct CustomerData {
    std::string id, name;
    int32_t customerValue = 0;
    uint32_t flags = 0;
    std::string phone, contact, address;
};
struct MediaData {
    std::string customer, media, description;
    uint32_t flags = 0;
};
struct RepositoryData {
    std::string id, description, siteCode;
    uint32_t flags = 0;
};
struct ZoneData {
    int32_t number = 0;
    std::string name, spokenText, description, repository, customer, media;
    int32_t firstSlot = 1, lastSlot = 1;
    uint32_t flags = 0;
};

uint8_t PutCustomer(Store &store, const CustomerData &customer);
uint8_t PutMedia(Store &store, const MediaData &media);
uint8_t PutRepository(Store &store, const RepositoryData &repository);
uint8_t PutZone(Store &store, const ZoneData &zone);
uint8_t PutJournalCode(Store &store, int position, uint32_t code, const std::string &name,
                       uint32_t defaultQuantity);
uint8_t SetMeta(Store &store, const std::string &key, const std::string &value);
// A volume as it stands, with a "loaded" history row.
uint8_t PutVolume(Store &store, VolumeRow row);

// CSV of one table: a header of column names, then every row in key order. Returns the rows
// written; -1 with error on failure.
long long ExportTable(Store &store, const std::string &table, std::ostream &output,
                      std::string &error);
// Adds the rows of a CSV (header of column names) to one table, all or nothing. Volumes get a
// "loaded" history row each. Returns the rows added; -1 with error on failure.
long long ImportTable(Store &store, const std::string &table, std::istream &input,
                      std::string &error);
// PostgreSQL: a log-in role for stations with only the rights a station needs (read
// everything; write volumes, their history, journal postings and attributes).
uint8_t CreateStationRole(Store &store, const std::string &name, const std::string &password,
                          std::string &error);

// Rows per table.
std::map<std::string, long long> TableCounts(Store &store);
extern const char *const kStoreTables[];
extern const int kStoreTableCount;

// The demo data set: customers, media, repositories, zones, journal codes, and volumes with
// pending moves, some of them containers; dated relative to today.
uint8_t LoadDemoData(Store &store, int volumesPerMedia = 60);

}  // namespace zarn

#endif
