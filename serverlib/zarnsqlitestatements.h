// SQLite statements run through SQLite's own interface, on the connection Qt SQL opened: for
// the reads and writes of every scan and of the long volume lists, where turning each value
// into a QVariant and QString and back costs more than the database's own work.
#ifndef ZARN_SERVERLIB_ZARNSQLITESTATEMENTS_H
#define ZARN_SERVERLIB_ZARNSQLITESTATEMENTS_H

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zarn {

class SqliteStatements {
public:
    explicit SqliteStatements(sqlite3 *db) : m_db(db) {}
    ~SqliteStatements();
    SqliteStatements(const SqliteStatements &) = delete;
    SqliteStatements &operator=(const SqliteStatements &) = delete;

    // One run of a statement kept prepared on the connection. Bind positions count from 1;
    // the statement is reset when the run goes, so no read snapshot outlives it.
    class Run {
    public:
        Run(sqlite3_stmt *statement, int prepareResult)
            : m_statement(statement), m_result(prepareResult) {}
        ~Run();
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;
        Run(Run &&other) noexcept : m_statement(other.m_statement), m_result(other.m_result) {
            other.m_statement = nullptr;
        }

        Run &Bind(int position, std::string_view text);
        Run &Bind(int position, int64_t value);
        // True with a row to read; false at the end or on failure (Failed() then says which).
        bool Next();
        // Runs a statement that returns no rows; SQLite's result code.
        int Done();
        int64_t Int(int column) const { return sqlite3_column_int64(m_statement, column); }
        std::string_view Text(int column) const;
        bool Failed() const { return m_result != SQLITE_OK && m_result != SQLITE_DONE; }
        int Result() const { return m_result; }

    private:
        sqlite3_stmt *m_statement;
        int m_result;
    };

    Run Prepared(const std::string &sql);
    // Statements run so far that read (SELECT), for tests of how often the store is asked.
    uint64_t Reads() const { return m_reads; }
    int Changes() const { return sqlite3_changes(m_db); }
    std::string LastError() const { return sqlite3_errmsg(m_db); }
    // The library's code for a failed SQLite result; duplicate says whether a uniqueness rule
    // was broken.
    static uint8_t CodeOf(int result, bool &duplicate);

private:
    sqlite3 *m_db;
    std::map<std::string, sqlite3_stmt *> m_statements;
    uint64_t m_reads = 0;
};

}  // namespace zarn

#endif
