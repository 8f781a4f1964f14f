#include "zarnstore.h"

#include <QSqlError>
#include <QStandardPaths>
#include <QUuid>

#include <cstdlib>
#include <filesystem>

#include "zarn10rc.h"
#include "zarnclock.h"

namespace zarn {
namespace {

QString Text(const std::string &text) {
    return QString::fromStdString(text);
}

std::string ToStd(const QVariant &value) {
    return value.toString().toStdString();
}

}  // namespace

std::string DefaultDatabasePath() {
    if (const char *path = std::getenv("ZARNDATABASE"); path && *path) {
        return path;
    }
    std::string base;
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data) {
        base = data;
    } else if (const char *home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        base = ".";
    }
    return base + "/Quillfen/kestrava.db";
}

Store::Store(Backend backend, const QString &connectionName)
    : m_backend(backend), m_connectionName(connectionName) {}

Store::~Store() {
    m_prepared.clear();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<Store> Store::Open(const ConnectionSettings &settings, uint8_t &result,
                                   std::string &error) {
    const bool embedded = settings.host.empty();
    const QString name = "zarn-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<Store> store(new Store(embedded ? Backend::SQLite : Backend::PostgreSQL, name));
    store->m_database = QSqlDatabase::addDatabase(embedded ? "QSQLITE" : "QPSQL", name);
    QSqlDatabase &db = store->m_database;
    if (!db.isValid()) {
        result = kZarnServerUnavailable;
        error = embedded ? "the Qt SQLite driver is not installed"
                         : "the Qt PostgreSQL driver is not installed";
        return nullptr;
    }
    if (embedded) {
        const std::string path =
            settings.database.empty() ? DefaultDatabasePath() : settings.database;
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        db.setDatabaseName(Text(path));
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=1500");
    } else {
        db.setHostName(Text(settings.host));
        db.setPort(settings.port ? static_cast<int>(settings.port) : 5432);
        db.setUserName(Text(settings.user));
        db.setPassword(Text(settings.password));
        db.setDatabaseName(Text(settings.database.empty() ? "kestrava" : settings.database));
        db.setConnectOptions("connect_timeout=3");
    }
    if (!db.open()) {
        error = db.lastError().text().toStdString();
        // A server that answered and refused the log-on is not a server that cannot be reached.
        const QString text = db.lastError().text().toLower();
        result = text.contains("password authentication failed") ||
                         text.contains("no password supplied") ||
                         text.contains("authentication failed")
                     ? kZarnLogonRefused
                     : kZarnServerUnavailable;
        return nullptr;
    }
    if (embedded) {
        // Durable on every commit; readers do not block the writer.
        for (const char *pragma :
             {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
            if (uint8_t failed = store->Run(pragma)) {
                result = failed;
                error = store->m_lastError;
                return nullptr;
            }
        }
    }
    result = kZarnOK;
    return store;
}

void Store::SetStation(const std::string &station, const std::string &role) {
    m_station = station;
    m_role = role;
}

QString Store::ClusteredSuffix() const {
    return m_backend == Backend::SQLite ? " WITHOUT ROWID" : "";
}

QString Store::AutoIdColumn() const {
    return m_backend == Backend::SQLite ? "INTEGER PRIMARY KEY" : "BIGSERIAL PRIMARY KEY";
}

uint8_t Store::CodeOf(const QSqlError &error) {
    m_lastError = error.text().toStdString();
    const QString text = error.text().toLower();
    m_lastDuplicate = error.nativeErrorCode() == "23505" || text.contains("unique constraint") ||
                      text.contains("duplicate key");
    if (text.contains("locked") || text.contains("busy") || text.contains("deadlock")) {
        return kZarnDatabaseBusy;
    }
    if (m_lastDuplicate) {
        return kZarnDatabaseError;
    }
    // The SQLite driver files every failed step as a connection error: only PostgreSQL's are.
    const bool lost = m_backend == Backend::PostgreSQL && error.type() == QSqlError::ConnectionError;
    if (lost || text.contains("server closed") || text.contains("connection") ||
        text.contains("terminating")) {
        return kZarnServerUnavailable;
    }
    if (text.contains("permission denied")) {
        return kZarnPermissionDenied;
    }
    return kZarnDatabaseError;
}

uint8_t Store::Run(QSqlQuery &query, const QString &sql, Bindings bindings) {
    return Run(query, sql, QVariantList(bindings));
}

uint8_t Store::Run(QSqlQuery &query, const QString &sql, const QVariantList &bindings) {
    // A statement left open after its rows were read would keep SQLite on an old snapshot:
    // close them all before the next one runs.
    for (auto &[text, open] : m_prepared) {
        open.finish();
    }
    if (bindings.size() == 0) {  // PostgreSQL cannot prepare statements such as CREATE TABLE
        query = QSqlQuery(m_database);
        return query.exec(sql) ? uint8_t{kZarnOK} : CodeOf(query.lastError());
    }
    auto found = m_prepared.find(sql);
    if (found == m_prepared.end()) {
        QSqlQuery prepared(m_database);
        prepared.setForwardOnly(true);
        if (!prepared.prepare(sql)) {
            return CodeOf(prepared.lastError());
        }
        found = m_prepared.emplace(sql, prepared).first;
    }
    QSqlQuery &prepared = found->second;
    int position = 0;
    for (const QVariant &value : bindings) {
        prepared.bindValue(position++, value);
    }
    const bool done = prepared.exec();
    // The copy shares the prepared statement and its result, which is the point here; Qt
    // discourages copies only because sharing surprises those who do not expect it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    query = prepared;  // callers read the result before running the statement again
#pragma GCC diagnostic pop
    return done ? uint8_t{kZarnOK} : CodeOf(prepared.lastError());
}

void Store::FinishStatements() {
    for (auto &[text, open] : m_prepared) {
        open.finish();
    }
}

uint8_t Store::Retried(const std::function<uint8_t()> &write) {
    constexpr int kAttempts = 3;  // each waits up to the busy timeout: a few seconds in all
    uint8_t result = write();
    for (int attempt = 1; attempt < kAttempts && result == kZarnDatabaseBusy; ++attempt) {
        result = write();
    }
    return result;
}

uint8_t Store::Run(const QString &sql, Bindings bindings) {
    QSqlQuery query(m_database);
    return Run(query, sql, bindings);
}

uint8_t Store::InTransaction(const std::function<uint8_t()> &work) {
    if (m_transactionDepth > 0) {
        return work();
    }
    // SQLite: take the write lock at the start, so that a station waits its turn (up to the
    // busy timeout) instead of failing when it would turn its read into a write.
    const bool sqlite = m_backend == Backend::SQLite;
    if (uint8_t failed = sqlite ? Run("BEGIN IMMEDIATE")
                                : (m_database.transaction() ? uint8_t{kZarnOK}
                                                            : CodeOf(m_database.lastError()))) {
        return failed;
    }
    ++m_transactionDepth;
    uint8_t result = work();
    --m_transactionDepth;
    if (result == kZarnOK) {
        result = sqlite ? Run("COMMIT")
                        : (m_database.commit() ? uint8_t{kZarnOK} : CodeOf(m_database.lastError()));
    }
    if (result != kZarnOK) {
        if (sqlite) {
            Run("ROLLBACK");
        } else {
            m_database.rollback();
        }
    }
    return result;
}

QString VolumeColumns() {
    return "customer_id, media_id, volume, flags, container, next_move_date, current_repository,"
           " current_slot, destination_repository, destination_slot, scanned_repository,"
           " scanned_slot, description, version, changed";
}

VolumeRow VolumeFromQuery(const QSqlQuery &query, int first) {
    VolumeRow row;
    row.customer = ToStd(query.value(first));
    row.media = ToStd(query.value(first + 1));
    row.volume = ToStd(query.value(first + 2));
    row.flags = static_cast<uint32_t>(query.value(first + 3).toLongLong());
    row.container = query.value(first + 4).toInt();
    row.nextMoveDate = static_cast<uint32_t>(query.value(first + 5).toLongLong());
    row.current = {ToStd(query.value(first + 6)), query.value(first + 7).toInt()};
    row.destination = {ToStd(query.value(first + 8)), query.value(first + 9).toInt()};
    row.scanned = {ToStd(query.value(first + 10)), query.value(first + 11).toInt()};
    row.description = ToStd(query.value(first + 12));
    row.version = static_cast<uint32_t>(query.value(first + 13).toLongLong());
    row.changed = query.value(first + 14).toLongLong();
    return row;
}

uint8_t Store::GetVolume(const std::string &customer, const std::string &media,
                         const std::string &volume, VolumeRow &row) {
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (uint8_t failed =
            Run(query,
                "SELECT " + VolumeColumns() +
                    " FROM volumes WHERE customer_id = ? AND media_id = ? AND volume = ?",
                {Text(customer), Text(media), Text(volume)})) {
        return failed;
    }
    if (!query.next()) {
        return MissingVolumeCode(volume);
    }
    row = VolumeFromQuery(query);
    return kZarnOK;
}

uint8_t Store::MissingVolumeCode(const std::string &volume) {
    QSqlQuery query(m_database);
    if (uint8_t failed = Run(query, "SELECT 1 FROM volumes WHERE volume = ?", {Text(volume)})) {
        return failed;
    }
    return query.next() ? kZarnVolumeNotHeld : kZarnVolumeNotFound;
}

namespace {

// Texts cut to the column's width at a character boundary: what the column can hold, the same
// on both stores.
QString Cut(const std::string &text, int width) {
    QString cut = QString::fromStdString(text);
    if (cut.size() > width) {
        cut.truncate(width);
        if (cut.back().isHighSurrogate()) {
            cut.chop(1);
        }
    }
    return cut;
}

const int kStationWidth = 255;
const int kRoleWidth = 63;

}  // namespace

uint8_t Store::AddHistory(const VolumeRow &row, const HistoryRow &history) {
    const QVariantList common{QVariant::fromValue<qlonglong>(row.changed),
                              Cut(m_station, kStationWidth),
                              Text(history.action),
                              Text(row.customer),
                              Text(row.media),
                              Text(row.volume),
                              Text(history.from.repository),
                              history.from.slot,
                              Text(history.to.repository),
                              history.to.slot,
                              QVariant::fromValue<qlonglong>(history.flags)};
    QSqlQuery query(m_database);
    if (m_backend == Backend::PostgreSQL) {
        // The server writes who the log-on is: a station cannot name another role.
        return Run(query,
                   "INSERT INTO movement_history (at, station, action, customer_id, media_id,"
                   " volume, from_repository, from_slot, to_repository, to_slot, flags)"
                   " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                   common);
    }
    QVariantList bindings = common;
    bindings.insert(2, Cut(m_role, kRoleWidth));
    return Run(query,
               "INSERT INTO movement_history (at, station, role, action, customer_id, media_id,"
               " volume, from_repository, from_slot, to_repository, to_slot, flags)"
               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               bindings);
}

uint8_t Store::WriteVolume(VolumeRow &row, const HistoryRow &history) {
    const uint32_t readVersion = row.version;
    row.changed = ZarnNow();
    return Retried([&]() {
        return InTransaction([&]() -> uint8_t {
            QSqlQuery query(m_database);
            if (uint8_t failed = Run(
                    query,
                    "UPDATE volumes SET flags = ?, container = ?, next_move_date = ?,"
                    " current_repository = ?, current_slot = ?, destination_repository = ?,"
                    " destination_slot = ?, scanned_repository = ?, scanned_slot = ?,"
                    " description = ?, version = version + 1, changed = ?"
                    " WHERE customer_id = ? AND media_id = ? AND volume = ? AND version = ?",
                    {QVariant::fromValue<qlonglong>(row.flags), row.container,
                     QVariant::fromValue<qlonglong>(row.nextMoveDate),
                     Text(row.current.repository), row.current.slot,
                     Text(row.destination.repository), row.destination.slot,
                     Text(row.scanned.repository), row.scanned.slot, Text(row.description),
                     QVariant::fromValue<qlonglong>(row.changed), Text(row.customer),
                     Text(row.media), Text(row.volume),
                     QVariant::fromValue<qlonglong>(readVersion)})) {
                return failed;
            }
            if (query.numRowsAffected() != 1) {
                return kZarnChangedElsewhere;
            }
            row.version = readVersion + 1;
            return AddHistory(row, history);
        });
    });
}

uint8_t Store::InsertVolume(VolumeRow &row, const HistoryRow &history, bool newContainer) {
    row.changed = ZarnNow();
    row.version = 1;
    const auto insert = [&]() -> uint8_t {
        if (newContainer) {
            // Inside the write, and on PostgreSQL one allocation at a time: two stations adding
            // containers at once never take one number (the unique index would refuse it).
            if (m_backend == Backend::PostgreSQL) {
                QSqlQuery lock(m_database);
                if (uint8_t failed = Run(lock, "SELECT pg_advisory_xact_lock(?)",
                                         {QVariant::fromValue<qlonglong>(0x5A41524E)})) {
                    return failed;
                }
            }
            row.container = NextContainerNumber();
            if (row.container <= 0) {
                return kZarnDatabaseError;
            }
        }
        if (uint8_t failed =
                Run("INSERT INTO volumes (" + VolumeColumns() +
                        ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {Text(row.customer), Text(row.media), Text(row.volume),
                     QVariant::fromValue<qlonglong>(row.flags), row.container,
                     QVariant::fromValue<qlonglong>(row.nextMoveDate), Text(row.current.repository),
                     row.current.slot, Text(row.destination.repository), row.destination.slot,
                     Text(row.scanned.repository), row.scanned.slot, Text(row.description),
                     QVariant::fromValue<qlonglong>(row.version),
                     QVariant::fromValue<qlonglong>(row.changed)})) {
            return failed;
        }
        return AddHistory(row, history);
    };
    uint8_t result = kZarnOK;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = Retried([&]() { return InTransaction(insert); });
        if (result != kZarnDatabaseError || !m_lastDuplicate) {
            return result;
        }
        // A duplicate: the key (another station may have added the same volume first), or a
        // container number another station took in the same moment, which a new number mends.
        VolumeRow existing;
        if (GetVolume(row.customer, row.media, row.volume, existing) == kZarnOK) {
            return kZarnVolumeExists;
        }
        if (!newContainer) {
            return kZarnInvalidArgument;  // the container number given is another's
        }
    }
    return result;
}

int32_t Store::NextContainerNumber() {
    QSqlQuery query(m_database);
    if (Run(query, "SELECT COALESCE(MAX(container), 0) + 1 FROM volumes") || !query.next()) {
        return 0;
    }
    return query.value(0).toInt();
}

}  // namespace zarn
