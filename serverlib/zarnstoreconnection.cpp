// The store's connection: opened with its settings, and opened again when it breaks.
#include <QLoggingCategory>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <filesystem>

#include "zarn10rc.h"
#include "zarnstore.h"

Q_LOGGING_CATEGORY(lcConnection, "kestrava.connection")

namespace zarn {
namespace {

QString Text(const std::string &text) {
    return QString::fromStdString(text);
}

// A server that does not answer a log-on in 3 s is taken as away; TCP keepalives find a
// connection whose server or network went away without a word within about 20 s, instead of
// the system's two hours.
const QString kConnectOptions =
    "connect_timeout=3;keepalives=1;keepalives_idle=10;keepalives_interval=3;keepalives_count=3";

// A server that answered and refused the log-on is not a server that cannot be reached.
uint8_t OpenFailureCode(const QSqlError &error) {
    const QString text = error.text().toLower();
    return text.contains("password authentication failed") ||
                   text.contains("no password supplied") || text.contains("authentication failed")
               ? kZarnLogonRefused
               : kZarnServerUnavailable;
}

// libpq's lists for several servers "name[:port],...": the names, and a port for each (the
// settings' port, else 5432, for a name without one).
std::pair<QString, QString> HostAndPortLists(const std::string &hosts, unsigned port) {
    QStringList names;
    QStringList ports;
    for (const QString &entry : Text(hosts).split(',')) {
        const int colon = entry.indexOf(':');
        names << entry.left(colon);
        ports << (colon < 0 ? QString::number(port ? port : 5432) : entry.mid(colon + 1));
    }
    return {names.join(','), ports.join(',')};
}

}  // namespace

Store::Store(Backend backend, const QString &connectionName, const ConnectionSettings &settings)
    : m_backend(backend),
      m_connectionName(connectionName),
      m_settings(settings),
      m_reconnect(settings.reconnectWait) {}

Store::~Store() {
    m_sqlite.reset();
    m_prepared.clear();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<Store> Store::Open(const ConnectionSettings &settings, uint8_t &result,
                                   std::string &error) {
    const bool embedded = settings.host.empty();
    const QString name = "zarn-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::unique_ptr<Store> store(
        new Store(embedded ? Backend::SQLite : Backend::PostgreSQL, name, settings));
    store->m_database = QSqlDatabase::addDatabase(embedded ? "QSQLITE" : "QPSQL", name);
    if (!store->m_database.isValid()) {
        result = kZarnServerUnavailable;
        error = embedded ? "the Qt SQLite driver is not installed"
                         : "the Qt PostgreSQL driver is not installed";
        return nullptr;
    }
    result = store->Connect(error);
    return result == kZarnOK ? std::move(store) : nullptr;
}

uint8_t Store::Connect(std::string &error) {
    const ConnectionSettings &settings = m_settings;
    QSqlDatabase &db = m_database;
    const bool embedded = m_backend == Backend::SQLite;
    if (embedded) {
        const std::string path =
            settings.database.empty() ? DefaultDatabasePath() : settings.database;
        std::error_code ignored;
        // Reading never makes a store (a name mistyped must not leave an empty one behind),
        // and neither does opening again a store whose file has gone.
        if ((settings.readOnly || m_connected) &&
            !std::filesystem::is_regular_file(path, ignored)) {
            error = "there is no store at " + path;
            return kZarnServerUnavailable;
        }
        // A write held up by another writer's lock is tried three times, each waiting up to the
        // busy timeout: a third of the station's wait for the server, so that a station that
        // must answer at once (the Tollgate, 300 ms) is not held longer than that.
        const long long busyMs =
            std::clamp<long long>(settings.reconnectWait.count() / 3, 50, 1500);
        const QString busy = QString("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs);
        if (settings.readOnly) {
            db.setConnectOptions(busy + ";QSQLITE_OPEN_READONLY");
        } else {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
            db.setConnectOptions(busy);
        }
        db.setDatabaseName(Text(path));
    } else {
        if (settings.host.find(',') != std::string::npos) {
            // A primary and its standbys: libpq tries each and keeps the one taking writes, so
            // a station follows a standby promoted after its primary is gone.
            const auto [hosts, ports] = HostAndPortLists(settings.host, settings.port);
            db.setHostName(hosts);
            db.setConnectOptions(kConnectOptions + ";port=" + ports +
                                 ";target_session_attrs=read-write");
        } else {
            db.setHostName(Text(settings.host));
            db.setPort(settings.port ? static_cast<int>(settings.port) : 5432);
            db.setConnectOptions(kConnectOptions);
        }
        db.setUserName(Text(settings.user));
        db.setPassword(Text(settings.password));
        db.setDatabaseName(Text(settings.database.empty() ? "kestrava" : settings.database));
    }
    if (!db.open()) {
        error = db.lastError().text().toStdString();
        return OpenFailureCode(db.lastError());
    }
    if (embedded) {
        // Durable on every commit; readers do not block the writer. (The journal mode is the
        // file's own, kept by its writers.)
        for (const char *pragma :
             {settings.readOnly ? "PRAGMA query_only=ON" : "PRAGMA journal_mode=WAL",
              "PRAGMA synchronous=FULL", "PRAGMA foreign_keys=ON"}) {
            QSqlQuery query(db);
            if (uint8_t failed = RunOnce(query, pragma, {})) {
                error = m_lastError;
                return failed;
            }
        }
        const QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") != 0 || !handle.isValid()) {
            error = "the Qt SQLite driver gives no SQLite handle";
            return kZarnServerUnavailable;
        }
        m_sqlite =
            std::make_unique<SqliteStatements>(*static_cast<sqlite3 *const *>(handle.constData()));
    } else {
        // A row another station holds is waited for no longer than the station waits for the
        // server: then the write is answered busy (and kept, at the Tollgate), not left to hang.
        const std::string lockTimeout =
            "SET lock_timeout = " + std::to_string(settings.reconnectWait.count());
        for (const std::string &set :
             {lockTimeout,
              std::string(settings.readOnly ? "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"
                                            : "")}) {
            QSqlQuery query(db);
            if (uint8_t failed = set.empty() ? uint8_t{kZarnOK}
                                             : RunOnce(query, QString::fromStdString(set), {})) {
                error = m_lastError;
                return failed;
            }
        }
    }
    m_connected = true;
    return kZarnOK;
}

bool Store::Reconnect() {
    m_prepared.clear();
    m_sqlite.reset();
    m_database.close();
    const bool back = m_reconnect.Reconnect([this]() {
        std::string error;
        if (Connect(error) == kZarnOK) {
            return true;
        }
        m_lastError = error;
        return false;
    });
    if (back) {
        qCInfo(lcConnection) << "connection to the store restored";
    } else {
        qCWarning(lcConnection).noquote()
            << "the store cannot be reached:" << QString::fromStdString(m_lastError);
    }
    return back;
}

uint8_t Store::Resilient(const std::function<uint8_t()> &work) {
    if (!MayReconnect()) {
        return work();
    }
    m_resilient = true;
    uint8_t result = work();
    if (result == kZarnServerUnavailable && Reconnect()) {
        result = work();
    }
    m_resilient = false;
    return result;
}

uint8_t Store::Committed() {
    if (m_afterCommit && m_afterCommit()) {
        m_lastError = "the connection broke before the commit was answered";
        return kZarnServerUnavailable;
    }
    return kZarnOK;
}

}  // namespace zarn
