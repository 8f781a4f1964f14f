#include "zarn30journal.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>

#include "zarnstationfiles.h"

namespace {

// The journal's layout; a file with another is not ours to read.
constexpr int kJournalVersion = 2;

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS scans (sequence INTEGER PRIMARY KEY, at INTEGER NOT NULL,"
    " server TEXT NOT NULL, customer TEXT NOT NULL, media TEXT NOT NULL, volume TEXT NOT NULL,"
    " repository TEXT NOT NULL, slot INTEGER NOT NULL, container INTEGER NOT NULL,"
    " scanned_out INTEGER NOT NULL, settled INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS unsettled ON scans (customer, media, volume) WHERE settled = 0;"
    "CREATE TABLE IF NOT EXISTS listed (customer TEXT NOT NULL, media TEXT NOT NULL,"
    " volume TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS errors (scanned BLOB NOT NULL, sequence INTEGER NOT NULL,"
    " code INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS containers (number INTEGER NOT NULL UNIQUE, name TEXT NOT NULL);";

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) {
        sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    bool Ready() const { return m_statement != nullptr; }
    Statement &Bind(int index, const std::string &text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement &BindBlob(int index, const std::string &bytes) {
        sqlite3_bind_blob(m_statement, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    std::string Blob(int column) const {
        const void *bytes = sqlite3_column_blob(m_statement, column);
        return bytes ? std::string(
                           static_cast<const char *>(bytes),
                           static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                     : std::string();
    }
    Statement &Bind(int index, int64_t value) {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    int Step() { return m_statement ? sqlite3_step(m_statement) : SQLITE_ERROR; }
    void Reset() { sqlite3_reset(m_statement); }
    int64_t Int(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string Text(int column) const {
        const unsigned char *text = sqlite3_column_text(m_statement, column);
        return text ? reinterpret_cast<const char *>(text) : "";
    }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// A key's customer, media and volume, bound from index on.
void BindKey(Statement &statement, int index, const std::string &key) {
    const std::size_t first = key.find('\0');
    const std::size_t second = key.find('\0', first + 1);
    statement.Bind(index, key.substr(0, first))
        .Bind(index + 1, key.substr(first + 1, second - first - 1))
        .Bind(index + 2, key.substr(second + 1));
}

void RemoveWithSidecars(const std::string &path) {
    std::error_code ignored;
    for (const char *suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path + suffix, ignored);
    }
}

}  // namespace

std::string CZARN30Journal::DefaultPath() {
    const std::string folder = zarn::StationStateFolder();
    return (folder.empty() ? std::string(".") : folder) + "/ZARNTollgate-session.db";
}

std::string CZARN30Journal::KeyOf(const std::string &customer, const std::string &media,
                                  const std::string &volume) {
    return customer + '\0' + media + '\0' + volume;
}

CZARN30Journal::~CZARN30Journal() {
    if (m_db) {
        sqlite3_close(m_db);
    }
}

bool CZARN30Journal::Failed(const char *what) {
    m_error = std::string(what) + ": " + (m_db ? sqlite3_errmsg(m_db) : "no journal open");
    return false;
}

bool CZARN30Journal::Execute(const char *sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Failed(sql);
}

bool CZARN30Journal::Open(const std::string &path, std::string &error) {
    m_path = path;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::filesystem::create_directories(folder, ignored);
    ::chmod(folder.c_str(), 0700);  // what a station scanned is the station's own
    const bool opened =
        sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
        SQLITE_OK;
    bool ok = opened && Execute("PRAGMA journal_mode=WAL") && Execute("PRAGMA synchronous=FULL");
    if (ok) {
        Statement check(m_db, "PRAGMA quick_check");
        ok = check.Step() == SQLITE_ROW && check.Text(0) == "ok";
        if (!ok) {
            m_error = "the journal is damaged";
        }
    }
    if (ok) {
        Statement version(m_db, "PRAGMA user_version");
        ok = version.Step() == SQLITE_ROW;
        const int64_t found = ok ? version.Int(0) : -1;
        if (found != 0 && found != kJournalVersion) {
            ok = false;
            m_error = "the journal was written by another version of the program";
        }
    }
    ok = ok && Execute(kSchema) &&
         Execute(("PRAGMA user_version = " + std::to_string(kJournalVersion)).c_str());
    ok = ok && LoadUnsettledKeys();
    if (!ok) {
        error = m_error.empty() && m_db ? sqlite3_errmsg(m_db) : m_error;
        if (error.empty()) {
            error = "the file is not a journal";
        }
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    return ok;
}

bool CZARN30Journal::LoadUnsettledKeys() {
    m_unsettled.clear();
    Statement read(m_db, "SELECT customer, media, volume FROM scans WHERE settled = 0");
    int step = SQLITE_ERROR;
    while ((step = read.Step()) == SQLITE_ROW) {
        m_unsettled.insert(KeyOf(read.Text(0), read.Text(1), read.Text(2)));
    }
    return step == SQLITE_DONE || Failed("reading the journal");
}

bool CZARN30Journal::RecordScan(CZARN30JournalScan &scan) {
    Statement insert(m_db,
                     "INSERT INTO scans (at, server, customer, media, volume, repository, slot,"
                     " container, scanned_out) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.Ready()) {
        return Failed("recording a scan");
    }
    insert.Bind(1, static_cast<int64_t>(std::time(nullptr)))
        .Bind(2, scan.server)
        .Bind(3, scan.customer)
        .Bind(4, scan.media)
        .Bind(5, scan.volume)
        .Bind(6, scan.repository)
        .Bind(7, int64_t{scan.slot})
        .Bind(8, int64_t{scan.container})
        .Bind(9, int64_t{scan.scannedOut});
    if (insert.Step() != SQLITE_DONE) {
        return Failed("recording a scan");
    }
    scan.sequence = sqlite3_last_insert_rowid(m_db);
    m_unsettled.insert(KeyOf(scan.customer, scan.media, scan.volume));
    return true;
}

bool CZARN30Journal::RecordScans(std::vector<CZARN30JournalScan> &scans) {
    if (!m_db || !Execute("BEGIN IMMEDIATE")) {
        return Failed("recording scans");
    }
    for (CZARN30JournalScan &scan : scans) {
        if (!RecordScan(scan)) {
            const std::string error = m_error;
            Execute("ROLLBACK");
            LoadUnsettledKeys();  // as the file holds them again
            m_error = error;
            return false;
        }
    }
    return Execute("COMMIT");
}

bool CZARN30Journal::Settle(const std::vector<std::string> &given) {
    // Only volumes with a move recorded and not settled: a scan written at once was never
    // recorded, and costs the journal nothing.
    std::vector<std::string> keys;
    std::copy_if(given.begin(), given.end(), std::back_inserter(keys),
                 [&](const std::string &key) { return m_unsettled.count(key) != 0; });
    if (keys.empty()) {
        return true;
    }
    // A settled mark need not reach the disk before the next scan is answered: one lost to a
    // power cut only offers a move again, and the store knows a move it already holds.
    const bool settled = Quickly("settling scans", [&]() {
        Statement settle(m_db,
                         "UPDATE scans SET settled = 1 WHERE settled = 0 AND customer = ?"
                         " AND media = ? AND volume = ?");
        return settle.Ready() && std::all_of(keys.begin(), keys.end(), [&](const std::string &key) {
                   BindKey(settle, 1, key);
                   const bool done = settle.Step() == SQLITE_DONE;
                   settle.Reset();
                   return done;
               });
    });
    if (!settled) {
        return false;
    }
    for (const std::string &key : keys) {
        m_unsettled.erase(key);
    }
    return true;
}

bool CZARN30Journal::Quickly(const char *what, const std::function<bool()> &work) {
    if (!m_db || !Execute("PRAGMA synchronous=NORMAL") || !Execute("BEGIN IMMEDIATE")) {
        return Failed(what);
    }
    if (!work()) {
        Failed(what);
        Execute("ROLLBACK");
        Execute("PRAGMA synchronous=FULL");
        return false;
    }
    return Execute("COMMIT") && Execute("PRAGMA synchronous=FULL");
}

bool CZARN30Journal::RecordListed(const std::vector<std::string> &keys) {
    if (keys.empty()) {
        return true;
    }
    return Quickly("recording the list", [&]() {
        Statement insert(m_db, "INSERT INTO listed (customer, media, volume) VALUES (?, ?, ?)");
        return insert.Ready() && std::all_of(keys.begin(), keys.end(), [&](const std::string &key) {
                   BindKey(insert, 1, key);
                   const bool done = insert.Step() == SQLITE_DONE;
                   insert.Reset();
                   return done;
               });
    });
}

bool CZARN30Journal::ForgetListed(const std::string *key) {
    return Quickly("recording the list", [&]() {
        Statement remove(m_db, key ? "DELETE FROM listed WHERE customer = ? AND media = ?"
                                     " AND volume = ?"
                                   : "DELETE FROM listed");
        if (key && remove.Ready()) {
            BindKey(remove, 1, *key);
        }
        return remove.Step() == SQLITE_DONE;
    });
}

bool CZARN30Journal::RecordError(const CZARN30JournalError &error) {
    return Quickly("recording a bad scan", [&]() {
        Statement insert(m_db, "INSERT INTO errors (scanned, sequence, code) VALUES (?, ?, ?)");
        insert.BindBlob(1, error.scanned).Bind(2, error.sequence).Bind(3, int64_t{error.code});
        return insert.Step() == SQLITE_DONE;
    });
}

bool CZARN30Journal::ForgetErrors() {
    return Quickly("recording the bad scans", [&]() {
        Statement remove(m_db, "DELETE FROM errors");
        return remove.Step() == SQLITE_DONE;
    });
}

bool CZARN30Journal::RecordContainer(int number, const std::string &name) {
    return Quickly("recording a container", [&]() {
        // Replaced, so that the last container set is the last row.
        Statement insert(m_db, "INSERT OR REPLACE INTO containers (number, name) VALUES (?, ?)");
        insert.Bind(1, int64_t{number}).Bind(2, name);
        return insert.Step() == SQLITE_DONE;
    });
}

bool CZARN30Journal::Errors(std::vector<CZARN30JournalError> &errors) {
    errors.clear();
    Statement read(m_db, "SELECT scanned, sequence, code FROM errors ORDER BY rowid");
    int step = SQLITE_ERROR;
    while ((step = read.Step()) == SQLITE_ROW) {
        errors.push_back({read.Blob(0), read.Int(1), static_cast<uint8_t>(read.Int(2))});
    }
    return step == SQLITE_DONE || Failed("reading the journal");
}

bool CZARN30Journal::Containers(std::vector<std::pair<int, std::string>> &containers) {
    containers.clear();
    Statement read(m_db, "SELECT number, name FROM containers ORDER BY rowid");
    int step = SQLITE_ERROR;
    while ((step = read.Step()) == SQLITE_ROW) {
        containers.emplace_back(static_cast<int>(read.Int(0)), read.Text(1));
    }
    return step == SQLITE_DONE || Failed("reading the journal");
}

bool CZARN30Journal::Listed(std::vector<std::string> &keys) {
    keys.clear();
    Statement read(m_db, "SELECT customer, media, volume FROM listed ORDER BY rowid");
    int step = SQLITE_ERROR;
    while ((step = read.Step()) == SQLITE_ROW) {
        keys.push_back(KeyOf(read.Text(0), read.Text(1), read.Text(2)));
    }
    if (step != SQLITE_DONE) {
        keys.clear();
        return Failed("reading the journal");
    }
    return true;
}

bool CZARN30Journal::Unwritten(std::vector<CZARN30JournalScan> &scans) {
    scans.clear();
    Statement read(m_db,
                   "SELECT sequence, customer, media, volume, repository, slot, container,"
                   " scanned_out, server FROM scans WHERE settled = 0 ORDER BY sequence");
    int step = SQLITE_ERROR;
    while ((step = read.Step()) == SQLITE_ROW) {
        CZARN30JournalScan &scan = scans.emplace_back();
        scan.sequence = read.Int(0);
        scan.customer = read.Text(1);
        scan.media = read.Text(2);
        scan.volume = read.Text(3);
        scan.repository = read.Text(4);
        scan.slot = static_cast<int>(read.Int(5));
        scan.container = static_cast<int>(read.Int(6));
        scan.scannedOut = static_cast<int>(read.Int(7));
        scan.server = read.Text(8);
    }
    if (step != SQLITE_DONE) {
        scans.clear();  // never half of them
        return Failed("reading the journal");
    }
    return true;
}

std::string CZARN30Journal::SetAside() {
    if (m_db) {
        sqlite3_close(m_db);  // the last connection folds the log back into the file
        m_db = nullptr;
    }
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::string aside = m_path + "." + stamp + ".aside";
    for (int n = 1; std::filesystem::exists(aside); ++n) {
        aside = m_path + "." + stamp + "-" + std::to_string(n) + ".aside";
    }
    std::error_code failed;
    std::filesystem::rename(m_path, aside, failed);
    RemoveWithSidecars(m_path);
    std::string ignored;
    Open(m_path, ignored);
    return failed ? std::string() : aside;
}

void CZARN30Journal::Close() {
    if (!m_db) {
        return;
    }
    std::vector<CZARN30JournalScan> left;
    const bool read = Unwritten(left);
    sqlite3_close(m_db);
    m_db = nullptr;
    if (read && left.empty()) {
        RemoveWithSidecars(m_path);
    }
}
