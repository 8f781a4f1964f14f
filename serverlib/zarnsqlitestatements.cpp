#include "zarnsqlitestatements.h"

#include "zarn10rc.h"

namespace zarn {

SqliteStatements::~SqliteStatements() {
    for (auto &[sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
}

SqliteStatements::Run SqliteStatements::Prepared(const std::string &sql) {
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        sqlite3_stmt *statement = nullptr;
        const int result = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()),
                                              SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        if (result != SQLITE_OK) {
            sqlite3_finalize(statement);
            return Run(nullptr, result);
        }
        found = m_statements.emplace(sql, statement).first;
    }
    m_reads += sql.compare(0, 6, "SELECT") == 0 ? 1 : 0;
    return Run(found->second, SQLITE_OK);
}

SqliteStatements::Run::~Run() {
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

SqliteStatements::Run &SqliteStatements::Run::Bind(int position, std::string_view text) {
    if (m_statement && m_result == SQLITE_OK) {
        m_result = sqlite3_bind_text(m_statement, position, text.data(),
                                     static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

SqliteStatements::Run &SqliteStatements::Run::Bind(int position, int64_t value) {
    if (m_statement && m_result == SQLITE_OK) {
        m_result = sqlite3_bind_int64(m_statement, position, value);
    }
    return *this;
}

bool SqliteStatements::Run::Next() {
    if (!m_statement || Failed() || m_result == SQLITE_DONE) {
        return false;
    }
    const int step = sqlite3_step(m_statement);
    m_result = step == SQLITE_ROW ? SQLITE_OK : step;
    return step == SQLITE_ROW;
}

int SqliteStatements::Run::Done() {
    while (Next()) {
    }
    return Failed() ? m_result : SQLITE_OK;
}

std::string_view SqliteStatements::Run::Text(int column) const {
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return text ? std::string_view(text,
                                   static_cast<size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string_view();
}

uint8_t SqliteStatements::CodeOf(int result, bool &duplicate) {
    const int primary = result & 0xFF;
    duplicate = result == SQLITE_CONSTRAINT_UNIQUE || result == SQLITE_CONSTRAINT_PRIMARYKEY;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        return kZarnDatabaseBusy;
    }
    if (primary == SQLITE_AUTH) {
        return kZarnPermissionDenied;
    }
    return kZarnDatabaseError;
}

}  // namespace zarn
