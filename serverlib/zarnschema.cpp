// The store's schema, versioned: each migration takes the schema one version further inside
// one transaction, and the version is kept in the meta table.
#include <QSqlQuery>
#include <QStringList>

#include "zarn10rc.h"
#include "zarnstore.h"

namespace zarn {
namespace {

QStringList VersionOne(const Store &store) {
    const QString id = store.AutoIdColumn();
    // Volumes are read a media at a time in key order: SQLite keeps them clustered by key.
    return {
        "CREATE TABLE IF NOT EXISTS meta (key VARCHAR(40) PRIMARY KEY, value VARCHAR(200) NOT "
        "NULL)",
        "CREATE TABLE customers (id VARCHAR(4) PRIMARY KEY, name VARCHAR(40) NOT NULL DEFAULT '',"
        " customer_value INTEGER NOT NULL DEFAULT 0, flags BIGINT NOT NULL DEFAULT 0,"
        " phone VARCHAR(16) NOT NULL DEFAULT '', contact VARCHAR(28) NOT NULL DEFAULT '',"
        " address VARCHAR(100) NOT NULL DEFAULT '')",
        "CREATE TABLE media (customer_id VARCHAR(4) NOT NULL REFERENCES customers(id),"
        " media_id VARCHAR(4) NOT NULL, description VARCHAR(20) NOT NULL DEFAULT '',"
        " flags BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (customer_id, media_id))",
        "CREATE TABLE repositories (id VARCHAR(4) PRIMARY KEY,"
        " description VARCHAR(20) NOT NULL DEFAULT '', site_code VARCHAR(20) NOT NULL DEFAULT '',"
        " flags BIGINT NOT NULL DEFAULT 0)",
        "CREATE TABLE zones (zone_number INTEGER PRIMARY KEY, zone_name VARCHAR(10) NOT NULL,"
        " spoken_text VARCHAR(10) NOT NULL DEFAULT '', description VARCHAR(20) NOT NULL DEFAULT '',"
        " repository_id VARCHAR(4) NOT NULL REFERENCES repositories(id),"
        " customer_id VARCHAR(4) NOT NULL DEFAULT '', media_id VARCHAR(4) NOT NULL DEFAULT '',"
        " first_slot INTEGER NOT NULL, last_slot INTEGER NOT NULL, flags BIGINT NOT NULL DEFAULT "
        "0)",
        "CREATE TABLE volumes (customer_id VARCHAR(4) NOT NULL, media_id VARCHAR(4) NOT NULL,"
        " volume VARCHAR(10) NOT NULL, flags BIGINT NOT NULL DEFAULT 0,"
        " container INTEGER NOT NULL DEFAULT 0, next_move_date BIGINT NOT NULL DEFAULT 0,"
        " current_repository VARCHAR(4) NOT NULL DEFAULT '', current_slot INTEGER NOT NULL DEFAULT "
        "0,"
        " destination_repository VARCHAR(4) NOT NULL DEFAULT '',"
        " destination_slot INTEGER NOT NULL DEFAULT 0,"
        " scanned_repository VARCHAR(4) NOT NULL DEFAULT '', scanned_slot INTEGER NOT NULL DEFAULT "
        "0,"
        " description VARCHAR(20) NOT NULL DEFAULT '', version BIGINT NOT NULL DEFAULT 1,"
        " changed BIGINT NOT NULL DEFAULT 0, PRIMARY KEY (customer_id, media_id, volume),"
        " FOREIGN KEY (customer_id, media_id) REFERENCES media(customer_id, media_id))" +
            store.ClusteredSuffix(),
        "CREATE INDEX volumes_by_serial ON volumes (volume)",
        "CREATE TABLE movement_history (id " + id +
            ", at BIGINT NOT NULL,"
            " station VARCHAR(40) NOT NULL, role VARCHAR(40) NOT NULL, action VARCHAR(10) NOT NULL,"
            " customer_id VARCHAR(4) NOT NULL, media_id VARCHAR(4) NOT NULL, volume VARCHAR(10) "
            "NOT NULL,"
            " from_repository VARCHAR(4) NOT NULL, from_slot INTEGER NOT NULL,"
            " to_repository VARCHAR(4) NOT NULL, to_slot INTEGER NOT NULL, flags BIGINT NOT NULL)",
        "CREATE INDEX history_by_volume ON movement_history (customer_id, media_id, volume)",
        "CREATE TABLE journal_codes (position INTEGER PRIMARY KEY, code INTEGER NOT NULL,"
        " name VARCHAR(40) NOT NULL DEFAULT '', default_quantity INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE journal_postings (id " + id +
            ", at BIGINT NOT NULL,"
            " station VARCHAR(40) NOT NULL, label VARCHAR(200) NOT NULL, text2 VARCHAR(200) NOT "
            "NULL,"
            " text3 VARCHAR(200) NOT NULL, code INTEGER NOT NULL, quantity BIGINT NOT NULL,"
            " text VARCHAR(200) NOT NULL)",
        "CREATE TABLE attributes (name VARCHAR(20) PRIMARY KEY, value VARCHAR(80) NOT NULL,"
        " station VARCHAR(16) NOT NULL DEFAULT '', changed BIGINT NOT NULL DEFAULT 0)",
    };
}

// Wider station and role names in the history (a host name may be long; PostgreSQL role
// names reach 63 characters), container numbers unique among containers, and on PostgreSQL
// the history's role filled by the server itself.
QStringList VersionTwo(const Store &store) {
    QStringList statements = {
        "CREATE UNIQUE INDEX volumes_container_unique ON volumes (container)"
        " WHERE container > 0 AND (flags & 131072) <> 0",
    };
    if (store.Kind() == Backend::PostgreSQL) {
        statements << "ALTER TABLE movement_history ALTER COLUMN station TYPE VARCHAR(255)"
                   << "ALTER TABLE movement_history ALTER COLUMN role TYPE VARCHAR(63)"
                   << "ALTER TABLE movement_history ALTER COLUMN role SET DEFAULT session_user"
                   << "ALTER TABLE journal_postings ALTER COLUMN station TYPE VARCHAR(255)"
                   // A station may move a volume and complete its move, never turn its change
                   // counter back nor give it a destination: the store's rules, kept by the
                   // server for everyone but the store's owner.
                   << "CREATE FUNCTION zarn_station_volume_rules() RETURNS trigger LANGUAGE plpgsql"
                      " AS $$ BEGIN"
                      " IF current_user <> (SELECT tableowner FROM pg_tables"
                      "  WHERE schemaname = current_schema() AND tablename = 'volumes') THEN"
                      "  IF NEW.version <> OLD.version + 1 THEN"
                      "   RAISE EXCEPTION 'permission denied: a volume''s version only goes up';"
                      "  END IF;"
                      "  IF NEW.destination_repository <> OLD.destination_repository"
                      "   AND NEW.destination_repository <> '' THEN"
                      "   RAISE EXCEPTION 'permission denied: stations do not set destinations';"
                      "  END IF;"
                      " END IF;"
                      " RETURN NEW; END $$"
                   << "CREATE TRIGGER zarn_station_volume_rules BEFORE UPDATE ON volumes"
                      " FOR EACH ROW EXECUTE FUNCTION zarn_station_volume_rules()";
    }
    return statements;
}

// Each entry takes the schema from its index to index + 1.
std::vector<QStringList (*)(const Store &)> Migrations() {
    return {VersionOne, VersionTwo};
}

}  // namespace

int Store::SchemaVersion() {
    QSqlQuery query(m_database);
    if (!query.exec("SELECT value FROM meta WHERE key = 'schema_version'") || !query.next()) {
        return 0;
    }
    bool number = false;
    const int version = query.value(0).toString().trimmed().toInt(&number);
    return number ? version : -1;  // -1: a version nobody wrote
}

int Store::TargetSchemaVersion() {
    return static_cast<int>(Migrations().size());
}

uint8_t Store::CheckSchema() {
    const int version = SchemaVersion();
    if (version < 0) {
        return kZarnDatabaseError;
    }
    return version > TargetSchemaVersion() ? uint8_t{kZarnSchemaTooNew} : uint8_t{kZarnOK};
}

uint8_t Store::Migrate() {
    // A current schema is only read: log-on writes nothing then, so stations starting together
    // do not wait for each other.
    if (uint8_t refused = CheckSchema()) {
        return refused;
    }
    const int target = TargetSchemaVersion();
    if (SchemaVersion() == target) {
        return kZarnOK;
    }
    const auto migrations = Migrations();
    return InTransaction([&]() -> uint8_t {
        if (uint8_t failed = Run(VersionOne(*this).front())) {  // the meta table itself
            return failed;
        }
        const int version = SchemaVersion();  // again, inside the write lock
        if (version < 0) {
            return kZarnDatabaseError;
        }
        if (version > target) {
            return kZarnSchemaTooNew;
        }
        for (int step = version; step < target; ++step) {
            for (const QString &statement : migrations[static_cast<size_t>(step)](*this)) {
                if (statement.startsWith("CREATE TABLE IF NOT EXISTS meta")) {
                    continue;
                }
                if (uint8_t failed = Run(statement)) {
                    return failed;
                }
            }
        }
        return Run(
            "INSERT INTO meta (key, value) VALUES ('schema_version', ?) "
            "ON CONFLICT (key) DO UPDATE SET value = excluded.value",
            {QString::number(target)});
    });
}

}  // namespace zarn
