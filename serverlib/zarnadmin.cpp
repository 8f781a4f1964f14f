#include "zarnadmin.h"

#include <QSqlQuery>

#include "packeddate.h"
#include "zarn10rc.h"
#include "zarnclock.h"

namespace zarn {
namespace {

QString Text(const std::string &text) {
    return QString::fromStdString(text);
}

QVariant Big(uint64_t value) {
    return QVariant::fromValue<qlonglong>(static_cast<qlonglong>(value));
}

}  // namespace

const char *const kStoreTables[] = {
    "customers",        "media",         "repositories",     "zones",     "volumes",
    "movement_history", "journal_codes", "journal_postings", "attributes"};
const int kStoreTableCount = sizeof kStoreTables / sizeof kStoreTables[0];

std::unique_ptr<Store> OpenAndMigrate(const ConnectionSettings &settings, uint8_t &result,
                                      std::string &error) {
    std::unique_ptr<Store> store = Store::Open(settings, result, error);
    if (store && (result = store->Migrate())) {
        error = store->LastError();
        return nullptr;
    }
    return store;
}

std::unique_ptr<Store> OpenForReading(const ConnectionSettings &given, uint8_t &result,
                                      std::string &error) {
    ConnectionSettings settings = given;
    settings.readOnly = true;
    std::unique_ptr<Store> store = Store::Open(settings, result, error);
    if (!store) {
        return nullptr;
    }
    const int version = store->SchemaVersion();
    if (version == 0) {
        result = kZarnDatabaseError;
        error = "the store has no schema (zarnserver init makes one)";
        return nullptr;
    }
    if ((result = store->CheckSchema())) {
        error = "the store's schema version " + std::to_string(version) +
                " is not one this version reads";
        return nullptr;
    }
    return store;
}

uint8_t PutCustomer(Store &store, const CustomerData &c) {
    return store.Run(
        "INSERT INTO customers (id, name, customer_value, flags, phone, contact, address)"
        " VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET name = excluded.name,"
        " customer_value = excluded.customer_value, flags = excluded.flags,"
        " phone = excluded.phone, contact = excluded.contact, address = excluded.address",
        {Text(c.id), Text(c.name), c.customerValue, Big(c.flags), Text(c.phone), Text(c.contact),
         Text(c.address)});
}

uint8_t PutMedia(Store &store, const MediaData &m) {
    return store.Run(
        "INSERT INTO media (customer_id, media_id, description, flags) VALUES (?, ?, ?, ?)"
        " ON CONFLICT (customer_id, media_id) DO UPDATE SET description = excluded.description,"
        " flags = excluded.flags",
        {Text(m.customer), Text(m.media), Text(m.description), Big(m.flags)});
}

uint8_t PutRepository(Store &store, const RepositoryData &r) {
    return store.Run(
        "INSERT INTO repositories (id, description, site_code, flags) VALUES (?, ?, ?, ?)"
        " ON CONFLICT (id) DO UPDATE SET description = excluded.description,"
        " site_code = excluded.site_code, flags = excluded.flags",
        {Text(r.id), Text(r.description), Text(r.siteCode), Big(r.flags)});
}

uint8_t PutZone(Store &store, const ZoneData &z) {
    return store.Run(
        "INSERT INTO zones (zone_number, zone_name, spoken_text, description, repository_id,"
        " customer_id, media_id, first_slot, last_slot, flags) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?)"
        " ON CONFLICT (zone_number) DO UPDATE SET zone_name = excluded.zone_name,"
        " spoken_text = excluded.spoken_text, description = excluded.description,"
        " repository_id = excluded.repository_id, customer_id = excluded.customer_id,"
        " media_id = excluded.media_id, first_slot = excluded.first_slot,"
        " last_slot = excluded.last_slot, flags = excluded.flags",
        {z.number, Text(z.name), Text(z.spokenText), Text(z.description), Text(z.repository),
         Text(z.customer), Text(z.media), z.firstSlot, z.lastSlot, Big(z.flags)});
}

uint8_t PutJournalCode(Store &store, int position, uint32_t code, const std::string &name,
                       uint32_t defaultQuantity) {
    return store.Run(
        "INSERT INTO journal_codes (position, code, name, default_quantity) VALUES (?, ?, ?, ?)"
        " ON CONFLICT (position) DO UPDATE SET code = excluded.code, name = excluded.name,"
        " default_quantity = excluded.default_quantity",
        {position, Big(code), Text(name), Big(defaultQuantity)});
}

uint8_t SetMeta(Store &store, const std::string &key, const std::string &value) {
    return store.Run(
        "INSERT INTO meta (key, value) VALUES (?, ?)"
        " ON CONFLICT (key) DO UPDATE SET value = excluded.value",
        {Text(key), Text(value)});
}

uint8_t PutVolume(Store &store, VolumeRow row) {
    return store.InsertVolume(row, {"loaded", {}, row.current, row.flags, {}});
}

std::map<std::string, long long> TableCounts(Store &store) {
    std::map<std::string, long long> counts;
    for (int i = 0; i < kStoreTableCount; ++i) {
        QSqlQuery query(store.Database());
        if (store.Run(query, QString("SELECT COUNT(*) FROM ") + kStoreTables[i]) == 0 &&
            query.next()) {
            counts[kStoreTables[i]] = query.value(0).toLongLong();
        }
    }
    return counts;
}

}  // namespace zarn
