#include "zarnstore.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUuid>

#include <cstdlib>
#include <filesystem>

#include "zarn10rc.h"
#include "zarnclock.h"
#include "zarnpgrows.h"
#include "zarnsqlitestatements.h"

namespace zarn {
namespace {

// What the store's own repository check says when a volume names one not on file.
const char *const kUnknownRepositoryText = "repository is not on file";

// A row of SQLite's own interface.
class SqliteRow : public zarn::StoreRow {
public:
    explicit SqliteRow(const zarn::SqliteStatements::Run &read) : m_read(read) {}
    int64_t Int(int column) const override { return m_read.Int(column); }
    std::string_view Text(int column) const override { return m_read.Text(column); }

private:
    const zarn::SqliteStatements::Run &m_read;
};

// A row of Qt SQL; texts are held until the next row, one place per column (sized once, so
// that a text read stays where it is while the next is read).
class QueryRow : public zarn::StoreRow {
public:
    explicit QueryRow(const QSqlQuery &query)
        : m_query(query), m_texts(static_cast<std::size_t>(query.record().count())) {}
    int64_t Int(int column) const override { return m_query.value(column).toLongLong(); }
    std::string_view Text(int column) const override {
        std::string &text = m_texts.at(static_cast<std::size_t>(column));
        text = m_query.value(column).toString().toStdString();
        return text;
    }

private:
    const QSqlQuery &m_query;
    mutable std::vector<std::string> m_texts;
};

QString Text(const std::string &text) {
    return QString::fromStdString(text);
}

std::string ToStd(const QVariant &value) {
    return value.toString().toStdString();
}

}  // namespace

std::string NewWriteId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

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
    // The SQLite driver files every failed step as a connection error: only PostgreSQL's are.
    const bool lost =
        m_backend == Backend::PostgreSQL && error.type() == QSqlError::ConnectionError;
    return CodeOfFailure(error.text().toStdString(), error.nativeErrorCode().toStdString(), lost);
}

uint8_t Store::CodeOfFailure(const std::string &message, const std::string &state, bool lost) {
    ++m_statementFailures;
    if (!m_database.isOpen()) {
        // A connection that broke and is not back yet: the reason is the last try's.
        return kZarnServerUnavailable;
    }
    m_lastError = message;
    const QString text = QString::fromStdString(message).toLower();
    m_lastDuplicate =
        state == "23505" || text.contains("unique constraint") || text.contains("duplicate key");
    // Tried again: SQLite's lock held by another writer, PostgreSQL's serialization failures,
    // deadlocks and locks waited for too long. Refusals by the store's rules are not.
    if (text.contains("locked") || text.contains("busy") || text.contains("deadlock") ||
        state == "40001" || state == "40P01" || state == "55P03") {
        return kZarnDatabaseBusy;
    }
    if (m_lastDuplicate) {
        return kZarnDatabaseError;
    }
    if (lost || text.contains("server closed") || text.contains("connection") ||
        text.contains("terminating")) {
        return kZarnServerUnavailable;
    }
    if (text.contains("permission denied")) {
        return kZarnPermissionDenied;
    }
    return text.contains(kUnknownRepositoryText) ? uint8_t{kZarnRepositoryNotFound}
                                                 : uint8_t{kZarnDatabaseError};
}

uint8_t Store::Run(QSqlQuery &query, const QString &sql, Bindings bindings) {
    return Run(query, sql, QVariantList(bindings));
}

uint64_t Store::ReadsRun() const {
    return m_readsRun + (m_sqlite ? m_sqlite->Reads() : 0);
}

uint8_t Store::Run(QSqlQuery &query, const QString &sql, const QVariantList &bindings) {
    uint8_t result = RunOnce(query, sql, bindings);
    if (result == kZarnServerUnavailable && MayReconnect() && Reconnect()) {
        result = RunOnce(query, sql, bindings);
    }
    return result;
}

uint8_t Store::RunOnce(QSqlQuery &query, const QString &sql, const QVariantList &bindings) {
    if (!m_database.isOpen()) {
        ++m_statementFailures;
        return kZarnServerUnavailable;  // broken and not back: the last try's error stands
    }
    m_readsRun += sql.startsWith("SELECT") ? 1 : 0;
    // A statement left open after its rows were read would keep SQLite on an old snapshot:
    // close them all before the next one runs.
    for (auto &[text, open] : m_prepared) {
        open.finish();
    }
    // Reads are kept prepared, with parameters or without (the tree asks the same question
    // once per media); PostgreSQL cannot prepare statements such as CREATE TABLE.
    if (bindings.size() == 0 && !sql.startsWith("SELECT")) {
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
    if (sqlite && !m_sqlite) {
        return kZarnServerUnavailable;  // the file could not be opened again
    }
    const auto sqliteCommand = [this](const char *sql) {
        FinishStatements();
        const int done = m_sqlite->Prepared(sql).Done();
        return done == SQLITE_OK ? uint8_t{kZarnOK} : SqliteFailure(done);
    };
    if (uint8_t failed = sqlite ? sqliteCommand("BEGIN IMMEDIATE")
                                : (m_database.transaction() ? uint8_t{kZarnOK}
                                                            : CodeOf(m_database.lastError()))) {
        return failed;
    }
    ++m_transactionDepth;
    uint8_t result = work();
    --m_transactionDepth;
    if (result == kZarnOK) {
        result = sqlite ? sqliteCommand("COMMIT")
                        : (m_database.commit() ? uint8_t{kZarnOK} : CodeOf(m_database.lastError()));
        if (result == kZarnOK) {
            return Committed();
        }
    }
    if (result != kZarnOK) {
        if (sqlite) {
            const std::string error = m_lastError;
            sqliteCommand("ROLLBACK");
            m_lastError = error;  // the failure, not the rollback, is what is reported
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

uint8_t Store::SqliteFailure(int result) {
    ++m_statementFailures;
    m_lastError = m_sqlite->LastError();
    const uint8_t code = SqliteStatements::CodeOf(result, m_lastDuplicate);
    return code == kZarnDatabaseError &&
                   m_lastError.find(kUnknownRepositoryText) != std::string::npos
               ? uint8_t{kZarnRepositoryNotFound}
               : code;
}

uint8_t Store::GetVolumeFromSqlite(const std::string &customer, const std::string &media,
                                   const std::string &volume, VolumeRow &row) {
    SqliteStatements::Run read =
        m_sqlite->Prepared("SELECT " + VolumeColumns().toStdString() +
                           " FROM volumes WHERE customer_id = ? AND media_id = ? AND volume = ?");
    read.Bind(1, customer).Bind(2, media).Bind(3, volume);
    if (!read.Next()) {
        return read.Failed() ? SqliteFailure(read.Result()) : MissingVolumeCode(volume);
    }
    VolumeFromRow(SqliteRow(read), row);
    return kZarnOK;
}

void Store::VolumeFromRow(const StoreRow &read, VolumeRow &row) {
    const auto text = [&](int column) { return std::string(read.Text(column)); };
    const auto number = [&](int column) { return static_cast<int32_t>(read.Int(column)); };
    row.customer = text(0);
    row.media = text(1);
    row.volume = text(2);
    row.flags = static_cast<uint32_t>(read.Int(3));
    row.container = number(4);
    row.nextMoveDate = static_cast<uint32_t>(read.Int(5));
    row.current = {text(6), number(7)};
    row.destination = {text(8), number(9)};
    row.scanned = {text(10), number(11)};
    row.description = text(12);
    row.version = static_cast<uint32_t>(read.Int(13));
    row.changed = read.Int(14);
}

uint8_t Store::ForEachRow(const std::string &sql, const std::vector<std::string> &parameters,
                          const std::function<void(const StoreRow &)> &take) {
    if (m_sqlite) {
        FinishStatements();
        SqliteStatements::Run read = m_sqlite->Prepared(sql);
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            read.Bind(static_cast<int>(i + 1), parameters[i]);
        }
        const SqliteRow row(read);
        while (read.Next()) {
            take(row);
        }
        return read.Failed() ? SqliteFailure(read.Result()) : uint8_t{kZarnOK};
    }
    if (PGconn *connection = PostgresConnection()) {
        PgFailure failure;
        ++m_readsRun;
        return ForEachPgRow(connection, sql, parameters, take, failure)
                   ? uint8_t{kZarnOK}
                   : CodeOfFailure(failure.message, failure.state, failure.connectionLost);
    }
    QVariantList bindings;
    for (const std::string &parameter : parameters) {
        bindings.append(Text(parameter));
    }
    QSqlQuery query(m_database);
    if (uint8_t failed = Run(query, QString::fromStdString(sql), bindings)) {
        return failed;
    }
    const QueryRow row(query);
    while (query.next()) {
        take(row);
    }
    return query.lastError().isValid() ? CodeOf(query.lastError()) : uint8_t{kZarnOK};
}

PGconn *Store::PostgresConnection() {
    if (m_backend != Backend::PostgreSQL || !m_database.isOpen() || !m_database.driver()) {
        return nullptr;
    }
    const QVariant handle = m_database.driver()->handle();
    // Qt's driver names the type by libpq's struct.
    return handle.isValid() && (qstrcmp(handle.typeName(), "PGconn*") == 0 ||
                                qstrcmp(handle.typeName(), "pg_conn*") == 0)
               ? *static_cast<PGconn *const *>(handle.constData())
               : nullptr;
}

uint8_t Store::GetVolume(const std::string &customer, const std::string &media,
                         const std::string &volume, VolumeRow &row) {
    if (m_sqlite) {
        FinishStatements();
        return GetVolumeFromSqlite(customer, media, volume, row);
    }
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

QVariantList Store::ToVariants(const std::vector<SqlValue> &values) {
    QVariantList bindings;
    for (const SqlValue &value : values) {
        bindings << (std::holds_alternative<int64_t>(value)
                         ? QVariant::fromValue<qlonglong>(std::get<int64_t>(value))
                         : QVariant(QString::fromStdString(std::get<std::string>(value))));
    }
    return bindings;
}

// The history row's values from "at" on, as both statements below and the PostgreSQL update
// take them: at, station, [role,] action, key, from, to, flags.
std::vector<Store::SqlValue> Store::HistoryValues(const VolumeRow &row,
                                                  const HistoryRow &history) const {
    std::vector<SqlValue> values{row.changed, Cut(m_station, kStationWidth).toStdString()};
    if (m_backend == Backend::SQLite) {
        values.emplace_back(Cut(m_role, kRoleWidth).toStdString());
    }
    values.insert(values.end(),
                  {history.action, row.customer, row.media, row.volume, history.from.repository,
                   int64_t{history.from.slot}, history.to.repository, int64_t{history.to.slot},
                   int64_t{history.flags}});
    values.emplace_back(history.writeId.empty() ? NewWriteId() : history.writeId);
    return values;
}

uint8_t Store::AddHistory(const VolumeRow &row, const HistoryRow &history) {
    const std::vector<SqlValue> values = HistoryValues(row, history);
    if (m_sqlite) {
        SqliteStatements::Run insert = m_sqlite->Prepared(
            "INSERT INTO movement_history (at, station, role, action, customer_id, media_id,"
            " volume, from_repository, from_slot, to_repository, to_slot, flags, write_id)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (size_t i = 0; i < values.size(); ++i) {
            std::visit([&](const auto &value) { insert.Bind(static_cast<int>(i + 1), value); },
                       values[i]);
        }
        const int done = insert.Done();
        return done == SQLITE_OK ? uint8_t{kZarnOK} : SqliteFailure(done);
    }
    // The server writes who the log-on is: a station cannot name another role.
    QSqlQuery query(m_database);
    return Run(query,
               "INSERT INTO movement_history (at, station, action, customer_id, media_id,"
               " volume, from_repository, from_slot, to_repository, to_slot, flags, write_id)"
               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               ToVariants(values));
}

// The UPDATE of a volume that sets only the columns that changed since it was read (fewer
// index entries and foreign keys to maintain), with the version check in its WHERE.
Store::VolumeUpdate Store::VolumeUpdateOf(const VolumeRow &row, const VolumeRow &before) const {
    VolumeUpdate update;
    std::string set;
    const auto column = [&](bool changed, const char *name, SqlValue value) {
        if (changed) {
            set += std::string(name) + " = ?, ";
            update.values.push_back(std::move(value));
        }
    };
    column(row.flags != before.flags, "flags", int64_t{row.flags});
    column(row.container != before.container, "container", int64_t{row.container});
    column(row.nextMoveDate != before.nextMoveDate, "next_move_date", int64_t{row.nextMoveDate});
    column(row.current.repository != before.current.repository, "current_repository",
           row.current.repository);
    column(row.current.slot != before.current.slot, "current_slot", int64_t{row.current.slot});
    column(row.destination.repository != before.destination.repository, "destination_repository",
           row.destination.repository);
    column(row.destination.slot != before.destination.slot, "destination_slot",
           int64_t{row.destination.slot});
    column(row.scanned.repository != before.scanned.repository, "scanned_repository",
           row.scanned.repository);
    column(row.scanned.slot != before.scanned.slot, "scanned_slot", int64_t{row.scanned.slot});
    column(row.description != before.description, "description", row.description);
    update.sql = "UPDATE volumes SET " + set +
                 "version = version + 1, changed = ?"
                 " WHERE customer_id = ? AND media_id = ? AND volume = ? AND version = ?";
    update.values.insert(update.values.end(), {row.changed, row.customer, row.media, row.volume,
                                               int64_t{before.version}});
    return update;
}

uint8_t Store::WriteVolume(VolumeRow &row, const VolumeRow &before, const HistoryRow &history) {
    row.changed = ZarnNow();
    const VolumeUpdate update = VolumeUpdateOf(row, before);
    const uint8_t result = Retried([&]() {
        return m_backend == Backend::PostgreSQL ? WriteVolumeInOneStatement(update, row, history)
                                                : WriteVolumeInTransaction(update, row, history);
    });
    if (result == kZarnOK) {
        row.version = before.version + 1;
    }
    return result;
}

uint8_t Store::WriteVolumeInTransaction(const VolumeUpdate &update, const VolumeRow &row,
                                        const HistoryRow &history) {
    return InTransaction([&]() -> uint8_t {
        SqliteStatements::Run write = m_sqlite->Prepared(update.sql);
        for (size_t i = 0; i < update.values.size(); ++i) {
            std::visit([&](const auto &value) { write.Bind(static_cast<int>(i + 1), value); },
                       update.values[i]);
        }
        if (const int done = write.Done(); done != SQLITE_OK) {
            return SqliteFailure(done);
        }
        if (m_sqlite->Changes() != 1) {
            return kZarnChangedElsewhere;
        }
        return AddHistory(row, history);
    });
}

// PostgreSQL: the update and its history row in one statement, so one round trip, atomic
// without a transaction of its own (and part of the caller's when there is one).
uint8_t Store::WriteVolumeInOneStatement(const VolumeUpdate &update, const VolumeRow &row,
                                         const HistoryRow &history) {
    std::vector<SqlValue> values = update.values;
    const std::vector<SqlValue> historyValues = HistoryValues(row, history);
    // at, station, action, then the key from the updated row, then from, to and flags.
    values.insert(values.end(), historyValues.begin(), historyValues.begin() + 3);
    values.insert(values.end(), historyValues.begin() + 6, historyValues.end());
    QSqlQuery query(m_database);
    if (uint8_t failed =
            Run(query,
                QString::fromStdString("WITH moved AS (" + update.sql +
                                       " RETURNING customer_id, media_id, volume)") +
                    " INSERT INTO movement_history (at, station, action, customer_id, media_id,"
                    " volume, from_repository, from_slot, to_repository, to_slot, flags,"
                    " write_id) SELECT CAST(? AS BIGINT), CAST(? AS VARCHAR), CAST(? AS VARCHAR),"
                    " customer_id, media_id, volume, CAST(? AS VARCHAR), CAST(? AS INTEGER),"
                    " CAST(? AS VARCHAR), CAST(? AS INTEGER), CAST(? AS BIGINT),"
                    " CAST(? AS VARCHAR) FROM moved",
                ToVariants(values))) {
        return failed;
    }
    if (query.numRowsAffected() != 1) {
        return kZarnChangedElsewhere;
    }
    return m_transactionDepth == 0 ? Committed() : uint8_t{kZarnOK};
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

uint8_t Store::HasWrite(const std::string &writeId, bool &stored) {
    QSqlQuery query(m_database);
    if (uint8_t failed =
            Run(query, "SELECT 1 FROM movement_history WHERE write_id = ?", {Text(writeId)})) {
        return failed;
    }
    stored = query.next();
    return kZarnOK;
}

int32_t Store::NextContainerNumber() {
    QSqlQuery query(m_database);
    if (Run(query, "SELECT COALESCE(MAX(container), 0) + 1 FROM volumes") || !query.next()) {
        return 0;
    }
    return query.value(0).toInt();
}

}  // namespace zarn
