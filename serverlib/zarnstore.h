// The server's data in a real database: SQLite (the embedded default) or PostgreSQL, through
// Qt SQL, with one set of parameterised statements for both wherever SQL allows.
#ifndef ZARN_SERVERLIB_ZARNSTORE_H
#define ZARN_SERVERLIB_ZARNSTORE_H

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include <vector>

#include "zarnreconnect.h"
#include "zarnsqlitestatements.h"

typedef struct pg_conn PGconn;

namespace zarn {

enum class Backend { SQLite, PostgreSQL };

struct ConnectionSettings {
    std::string host;   // empty: the embedded SQLite store
    unsigned port = 0;  // 0: 5432
    std::string user;
    std::string password;
    std::string database;   // SQLite: the file; PostgreSQL: the database name (default "kestrava")
    bool readOnly = false;  // for reading only: an embedded store must exist, nothing is written
    // How long a call waits for a broken connection to come back before it fails.
    std::chrono::milliseconds reconnectWait{5000};
};

// The embedded store's file: ZARNDATABASE, else $XDG_DATA_HOME/Quillfen/kestrava.db.
std::string DefaultDatabasePath();

struct StoreLocation {
    std::string repository;
    int32_t slot = 0;
    bool operator==(const StoreLocation &) const = default;
};

struct VolumeRow {
    std::string customer;
    std::string media;
    std::string volume;
    uint32_t flags = 0;
    int32_t container = 0;
    uint32_t nextMoveDate = 0;
    StoreLocation current;
    StoreLocation destination;  // empty repository: no move pending
    StoreLocation scanned;
    std::string description;
    uint32_t version = 0;
    int64_t changed = 0;
};

struct HistoryRow {
    std::string action;  // "added", "picked", "moved", "arrived", "changed"
    StoreLocation from;
    StoreLocation to;
    uint32_t flags = 0;
    // The station's id of this write, unique in the store (one is made when empty): a write
    // tried again finds by it whether its first try was stored.
    std::string writeId;
};

// A new write id: a random UUID.
std::string NewWriteId();

// One row of a long read, whichever store ran it. A text stays valid until the next row.
class StoreRow {
public:
    virtual ~StoreRow() = default;
    virtual int64_t Int(int column) const = 0;
    virtual std::string_view Text(int column) const = 0;
};

// One open database. Result codes are those of CZARN10RC.
class Store {
public:
    // Opens (and for SQLite creates) the database; result 0 or a failure code, error the
    // driver's text.
    static std::unique_ptr<Store> Open(const ConnectionSettings &settings, uint8_t &result,
                                       std::string &error);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    Backend Kind() const { return m_backend; }
    const std::string &LastError() const { return m_lastError; }
    void SetStation(const std::string &station, const std::string &role);

    // Creates or migrates the schema; a current one is only read.
    uint8_t Migrate();
    // The stored schema version: 0 none, -1 unreadable.
    int SchemaVersion();
    static int TargetSchemaVersion();
    // Refuses a schema newer than this program (or an unreadable version).
    uint8_t CheckSchema();
    // Ends every open statement, so that a connection that goes idle holds no read snapshot.
    void FinishStatements();
    // Statements run so far that read (SELECT): tests count how often a call asks the store.
    uint64_t ReadsRun() const;
    // Statements that failed so far: work inside a transaction that saw one must not commit
    // (PostgreSQL has already given the transaction up).
    uint64_t StatementFailures() const { return m_statementFailures; }

    // Runs work, and once more after the connection is back when it broke (PostgreSQL
    // restarted or failed over, the network gone for a moment): work must be safe to run again.
    // Inside a transaction, or inside another such call, work runs once: the outermost retries.
    uint8_t Resilient(const std::function<uint8_t()> &work);
    // Whether a history row carries writeId: a write whose answer was lost was stored.
    uint8_t HasWrite(const std::string &writeId, bool &stored);
    // For tests: called after each commit; when it answers true, the commit's answer is lost
    // on the way (the caller sees a broken connection, though the work was stored).
    void SetAfterCommit(std::function<bool()> hook) { m_afterCommit = std::move(hook); }

    using Bindings = std::initializer_list<QVariant>;
    // Runs a statement with positional parameters; result code. The query stays readable.
    uint8_t Run(QSqlQuery &query, const QString &sql, Bindings bindings = {});
    uint8_t Run(QSqlQuery &query, const QString &sql, const QVariantList &bindings);
    uint8_t Run(const QString &sql, Bindings bindings = {});
    // Runs work in one transaction: committed when it returns 0, rolled back otherwise.
    uint8_t InTransaction(const std::function<uint8_t()> &work);

    uint8_t GetVolume(const std::string &customer, const std::string &media,
                      const std::string &volume, VolumeRow &row);
    // Runs a read with text parameters ("?") and hands every row to take: on SQLite through
    // its own interface, for long reads where a QVariant per value costs more than the
    // database's own work; on PostgreSQL through Qt SQL.
    uint8_t ForEachRow(const std::string &sql, const std::vector<std::string> &parameters,
                       const std::function<void(const StoreRow &)> &take);
    // Code 4 when the serial is nowhere, 10 when it is held for another customer or media.
    uint8_t MissingVolumeCode(const std::string &volume);
    // Writes row over before, the copy it was made from; kZarnChangedElsewhere when the store's
    // copy is no longer at before.version. Only the columns that differ are written.
    uint8_t WriteVolume(VolumeRow &row, const VolumeRow &before, const HistoryRow &history);
    // Code 11 when the key exists (also when another station added it at the same moment); a
    // new container gets the next free number.
    uint8_t InsertVolume(VolumeRow &row, const HistoryRow &history, bool newContainer = false);
    uint8_t AddHistory(const VolumeRow &row, const HistoryRow &history);
    // The next free container number, read inside the insert's transaction.
    int32_t NextContainerNumber();

    QSqlDatabase &Database() { return m_database; }
    // SQL text that differs between the back ends.
    QString AutoIdColumn() const;
    QString ClusteredSuffix() const;

private:
    Store(Backend backend, const QString &connectionName, const ConnectionSettings &settings);
    // Opens the connection (again) with the store's settings; result 0 or a failure code.
    uint8_t Connect(std::string &error);
    bool MayReconnect() const { return m_transactionDepth == 0 && !m_resilient; }
    bool Reconnect();
    // What a commit answers: 0, or a lost answer when the test hook says so.
    uint8_t Committed();
    uint8_t RunOnce(QSqlQuery &query, const QString &sql, const QVariantList &bindings);
    uint8_t CodeOf(const QSqlError &error);
    uint8_t CodeOfFailure(const std::string &message, const std::string &state, bool lost);
    // libpq's connection under Qt's driver, for the long reads; null on SQLite.
    PGconn *PostgresConnection();
    using SqlValue = std::variant<int64_t, std::string>;
    struct VolumeUpdate {
        std::string sql;
        std::vector<SqlValue> values;
    };
    static QVariantList ToVariants(const std::vector<SqlValue> &values);
    VolumeUpdate VolumeUpdateOf(const VolumeRow &row, const VolumeRow &before) const;
    uint8_t WriteVolumeInTransaction(const VolumeUpdate &update, const VolumeRow &row,
                                     const HistoryRow &history);
    std::vector<SqlValue> HistoryValues(const VolumeRow &row, const HistoryRow &history) const;
    // SQLite's own interface: a failed result filed as CodeOf files Qt's errors.
    uint8_t SqliteFailure(int result);
    static void VolumeFromRow(const StoreRow &read, VolumeRow &row);
    uint8_t GetVolumeFromSqlite(const std::string &customer, const std::string &media,
                                const std::string &volume, VolumeRow &row);
    uint8_t WriteVolumeInOneStatement(const VolumeUpdate &update, const VolumeRow &row,
                                      const HistoryRow &history);
    // Runs a write, again while the store answers "busy" (a few seconds in all).
    uint8_t Retried(const std::function<uint8_t()> &write);

    Backend m_backend;
    QString m_connectionName;
    ConnectionSettings m_settings;
    ReconnectSchedule m_reconnect;
    bool m_resilient = false;  // inside Resilient
    bool m_connected = false;  // opened once: opening again never makes a store
    std::function<bool()> m_afterCommit;
    QSqlDatabase m_database;
    std::string m_lastError;
    bool m_lastDuplicate = false;  // the last failure broke a uniqueness rule
    std::string m_station;
    std::string m_role;
    int m_transactionDepth = 0;  // work inside an open transaction joins it
    // Statements with parameters are prepared once per connection: on PostgreSQL a prepare is
    // a round trip of its own.
    std::map<QString, QSqlQuery> m_prepared;
    std::unique_ptr<SqliteStatements> m_sqlite;  // SQLite only: the hot statements
    uint64_t m_readsRun = 0;                     // through Qt SQL
    uint64_t m_statementFailures = 0;
};

// The volume's fields read from a query whose columns start at first in VolumeColumns() order.
VolumeRow VolumeFromQuery(const QSqlQuery &query, int first = 0);
QString VolumeColumns();

}  // namespace zarn

#endif
