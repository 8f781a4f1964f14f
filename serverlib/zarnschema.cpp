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

// The actions a history row may name; stations write all but "loaded" (imports, demo data).
const char *const kHistoryActions = "'loaded', 'added', 'picked', 'moved', 'arrived', 'changed'";

// SQLite cannot change a column's type: the table is made anew beside the old one, filled from
// it and put in its place (inside the migration's transaction).
QStringList RebuiltTable(const QString &table, const QString &columns, const QStringList &after) {
    const QString fresh = table + "_rebuilt";
    return QStringList{"CREATE TABLE " + fresh + " (" + columns + ")",
                       "INSERT INTO " + fresh + " SELECT * FROM " + table, "DROP TABLE " + table,
                       "ALTER TABLE " + fresh + " RENAME TO " + table} +
           after;
}

// SQLite: a volume names only repositories on file (an empty id: none).
QStringList SqliteRepositoryChecks() {
    const QString unknown =
        " WHEN (NEW.current_repository <> '' AND NOT EXISTS (SELECT 1 FROM repositories"
        "  WHERE id = NEW.current_repository))"
        " OR (NEW.destination_repository <> '' AND NOT EXISTS (SELECT 1 FROM repositories"
        "  WHERE id = NEW.destination_repository))"
        " OR (NEW.scanned_repository <> '' AND NOT EXISTS (SELECT 1 FROM repositories"
        "  WHERE id = NEW.scanned_repository))"
        " BEGIN SELECT RAISE(ABORT, 'repository is not on file'); END";
    return {"CREATE TRIGGER zarn_volume_repositories_insert BEFORE INSERT ON volumes" + unknown,
            "CREATE TRIGGER zarn_volume_repositories_update BEFORE UPDATE OF current_repository,"
            " destination_repository, scanned_repository ON volumes" +
                unknown};
}

QStringList SqliteVersionThree() {
    return RebuiltTable(
               "movement_history",
               QString("id INTEGER PRIMARY KEY, at BIGINT NOT NULL, station VARCHAR(255) NOT NULL,"
                       " role VARCHAR(63) NOT NULL DEFAULT '', action VARCHAR(10) NOT NULL"
                       " CHECK (action IN (%1)), customer_id VARCHAR(4) NOT NULL,"
                       " media_id VARCHAR(4) NOT NULL, volume VARCHAR(10) NOT NULL,"
                       " from_repository VARCHAR(4) NOT NULL, from_slot INTEGER NOT NULL,"
                       " to_repository VARCHAR(4) NOT NULL, to_slot INTEGER NOT NULL,"
                       " flags BIGINT NOT NULL")
                   .arg(kHistoryActions),
               {"CREATE INDEX history_by_volume ON movement_history (customer_id, media_id,"
                " volume)"}) +
           RebuiltTable("journal_postings",
                        "id INTEGER PRIMARY KEY, at BIGINT NOT NULL,"
                        " station VARCHAR(255) NOT NULL, label VARCHAR(200) NOT NULL,"
                        " text2 VARCHAR(200) NOT NULL, text3 VARCHAR(200) NOT NULL,"
                        " code INTEGER NOT NULL, quantity BIGINT NOT NULL,"
                        " text VARCHAR(200) NOT NULL",
                        {}) +
           SqliteRepositoryChecks();
}

// PostgreSQL: the trigger functions run with a search path of their own (the system catalog,
// then the store's schema, then temporary objects last), so a station that changes its
// session's path can neither hide the store's tables from them nor put its own in their way.
// The store's owner (zarnserver) is held only to the repository rule.
QStringList PostgresVersionThree() {
    const QString isOwner =
        " IF pg_catalog.pg_has_role(current_user, (SELECT c.relowner FROM pg_catalog.pg_class c"
        "  WHERE c.oid = TG_RELID), 'MEMBER') THEN RETURN NEW; END IF;";
    const QString refuse = " RAISE EXCEPTION USING ERRCODE = 'insufficient_privilege', MESSAGE =";
    return {
        QString("ALTER TABLE movement_history ADD CONSTRAINT movement_history_action"
                " CHECK (action IN (%1))")
            .arg(kHistoryActions),
        "DROP TRIGGER zarn_station_volume_rules ON volumes",
        "CREATE OR REPLACE FUNCTION zarn_station_volume_rules() RETURNS trigger"
        " LANGUAGE plpgsql AS $$ BEGIN" +
            isOwner +
            " IF TG_OP = 'INSERT' THEN"
            "  IF NEW.version <> 1 THEN" +
            refuse +
            " 'permission denied: a new volume starts at version 1'; END IF;"
            "  IF NEW.destination_repository <> '' THEN" +
            refuse +
            " 'permission denied: stations do not set destinations'; END IF;"
            "  RETURN NEW;"
            " END IF;"
            " IF NEW.version IS DISTINCT FROM OLD.version + 1 THEN" +
            refuse +
            " 'permission denied: a volume''s version only goes up'; END IF;"
            " IF NEW.destination_repository <> OLD.destination_repository"
            "  AND NEW.destination_repository <> '' THEN" +
            refuse +
            " 'permission denied: stations do not set destinations'; END IF;"
            " RETURN NEW; END $$",
        "CREATE TRIGGER zarn_station_volume_rules BEFORE INSERT OR UPDATE ON volumes"
        " FOR EACH ROW EXECUTE FUNCTION zarn_station_volume_rules()",
        "CREATE FUNCTION zarn_volume_repositories() RETURNS trigger LANGUAGE plpgsql AS $$"
        " DECLARE named varchar; BEGIN"
        " FOREACH named IN ARRAY ARRAY[NEW.current_repository, NEW.destination_repository,"
        "  NEW.scanned_repository] LOOP"
        "  IF named <> '' AND NOT EXISTS (SELECT 1 FROM repositories r WHERE r.id = named)"
        "  THEN"
        "   RAISE EXCEPTION USING ERRCODE = 'foreign_key_violation',"
        "    MESSAGE = 'repository is not on file: ' || named;"
        "  END IF;"
        " END LOOP; RETURN NEW; END $$",
        "CREATE TRIGGER zarn_volume_repositories BEFORE INSERT OR UPDATE OF current_repository,"
        " destination_repository, scanned_repository ON volumes"
        " FOR EACH ROW EXECUTE FUNCTION zarn_volume_repositories()",
        // A station's history row: written by the server's idea of who it is, for a volume on
        // file, with an action a scan can have and a station name that says something.
        "CREATE FUNCTION zarn_station_history_rules() RETURNS trigger LANGUAGE plpgsql AS $$"
        " BEGIN" +
            isOwner +
            " NEW.role := session_user;"
            " IF NEW.action = 'loaded' THEN" +
            refuse +
            " 'permission denied: stations do not load volumes'; END IF;"
            " IF NEW.station = '' OR NEW.station ~ '[[:cntrl:]]' THEN" +
            refuse +
            " 'permission denied: a history row names its station'; END IF;"
            " IF NOT EXISTS (SELECT 1 FROM volumes v WHERE v.customer_id = NEW.customer_id"
            "  AND v.media_id = NEW.media_id AND v.volume = NEW.volume) THEN" +
            refuse +
            " 'permission denied: history of a volume not on file'; END IF;"
            " RETURN NEW; END $$",
        "CREATE TRIGGER zarn_station_history_rules BEFORE INSERT ON movement_history"
        " FOR EACH ROW EXECUTE FUNCTION zarn_station_history_rules()",
        // Each function's search path is pinned to the schema the store lives in.
        "DO $$ BEGIN"
        " EXECUTE format('ALTER FUNCTION zarn_station_volume_rules() SET search_path ="
        "  pg_catalog, %1$I, pg_temp', current_schema());"
        " EXECUTE format('ALTER FUNCTION zarn_volume_repositories() SET search_path ="
        "  pg_catalog, %1$I, pg_temp', current_schema());"
        " EXECUTE format('ALTER FUNCTION zarn_station_history_rules() SET search_path ="
        "  pg_catalog, %1$I, pg_temp', current_schema());"
        " END $$",
    };
}

// Both stores hold the same columns (wide station and role names on SQLite as on PostgreSQL,
// so a store's export imports into either), history rows name only known actions, volumes
// only repositories on file, and on PostgreSQL the station rules hold for inserts as for
// updates, whatever search path a session sets.
QStringList VersionThree(const Store &store) {
    return store.Kind() == Backend::PostgreSQL ? PostgresVersionThree() : SqliteVersionThree();
}

// Each history row a station writes carries the id the station gave the write, unique: a write
// retried after its answer was lost (a connection broken just after the commit) finds its own
// row and is not written twice. Station roles made before may write the new column.
QStringList VersionFour(const Store &store) {
    QStringList statements = {
        "ALTER TABLE movement_history ADD COLUMN write_id VARCHAR(36)",
        "CREATE UNIQUE INDEX history_by_write_id ON movement_history (write_id)",
    };
    if (store.Kind() == Backend::PostgreSQL) {
        statements << "DO $$ DECLARE station name; BEGIN"
                      " FOR station IN SELECT DISTINCT grantee FROM"
                      "  information_schema.column_privileges WHERE table_schema ="
                      "  current_schema() AND table_name = 'movement_history'"
                      "  AND column_name = 'station' AND privilege_type = 'INSERT'"
                      "  AND grantee <> current_user LOOP"
                      "  EXECUTE format('GRANT INSERT (write_id) ON movement_history TO %I',"
                      "   station);"
                      " END LOOP; END $$";
    }
    return statements;
}

// Each entry takes the schema from its index to index + 1.
std::vector<QStringList (*)(const Store &)> Migrations() {
    return {VersionOne, VersionTwo, VersionThree, VersionFour};
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
