#include "zarnpgrows.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <memory>

namespace zarn {
namespace {

constexpr int kRowsPerFetch = 20000;

struct ResultFree {
    void operator()(PGresult *result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

// A row of a fetched result, read in place.
class PgRow : public StoreRow {
public:
    PgRow(const PGresult *result, int row) : m_result(result), m_row(row) {}
    int64_t Int(int column) const override {
        const char *value = PQgetvalue(m_result, m_row, column);
        if (value[0] == 't' || value[0] == 'f') {
            return value[0] == 't' ? 1 : 0;  // a boolean column
        }
        return std::strtoll(value, nullptr, 10);
    }
    std::string_view Text(int column) const override {
        return {PQgetvalue(m_result, m_row, column),
                static_cast<std::size_t>(PQgetlength(m_result, m_row, column))};
    }

private:
    const PGresult *m_result;
    int m_row;
};

// The statement with each "?" outside a quoted string replaced by its parameter as a literal.
bool WithLiterals(PGconn *connection, const std::string &sql,
                  const std::vector<std::string> &parameters, std::string &text) {
    std::size_t next = 0;
    bool quoted = false;
    for (char c : sql) {
        if (c == '\'') {
            quoted = !quoted;
        }
        if (c != '?' || quoted) {
            text += c;
            continue;
        }
        if (next >= parameters.size()) {
            return false;
        }
        const std::string &parameter = parameters[next++];
        char *literal = PQescapeLiteral(connection, parameter.data(), parameter.size());
        if (!literal) {
            return false;
        }
        text += literal;
        PQfreemem(literal);
    }
    return next == parameters.size();
}

bool Failed(PGconn *connection, const PGresult *result, PgFailure &failure) {
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    failure.state = state ? state : "";
    failure.message = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
    if (failure.message.empty()) {
        failure.message = PQerrorMessage(connection);
    }
    failure.connectionLost = PQstatus(connection) != CONNECTION_OK;
    return false;
}

bool Command(PGconn *connection, const std::string &sql, PgFailure &failure) {
    const Result result(PQexec(connection, sql.c_str()));
    return (result && PQresultStatus(result.get()) == PGRES_COMMAND_OK) ||
           Failed(connection, result.get(), failure);
}

bool FetchAll(PGconn *connection, const std::function<void(const StoreRow &)> &take,
              PgFailure &failure) {
    const std::string fetch = "FETCH " + std::to_string(kRowsPerFetch) + " FROM zarn_rows";
    for (;;) {
        const Result result(PQexec(connection, fetch.c_str()));
        if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK) {
            return Failed(connection, result.get(), failure);
        }
        const int rows = PQntuples(result.get());
        for (int row = 0; row < rows; ++row) {
            take(PgRow(result.get(), row));
        }
        if (rows < kRowsPerFetch) {
            return true;
        }
    }
}

}  // namespace

bool ForEachPgRow(PGconn *connection, const std::string &sql,
                  const std::vector<std::string> &parameters,
                  const std::function<void(const StoreRow &)> &take, PgFailure &failure) {
    std::string query;
    if (!WithLiterals(connection, sql, parameters, query)) {
        failure = {"", "the read's parameters do not match its statement", false};
        return false;
    }
    // Qt's driver may leave the connection marked busy with a read it finished: anything but a
    // transaction block of the caller's gets one of its own.
    const bool own = PQtransactionStatus(connection) != PQTRANS_INTRANS;
    if (own && !Command(connection, "BEGIN", failure)) {
        return false;
    }
    const bool read =
        Command(connection, "DECLARE zarn_rows NO SCROLL CURSOR FOR " + query, failure) &&
        FetchAll(connection, take, failure) && Command(connection, "CLOSE zarn_rows", failure);
    if (own) {
        PgFailure ignored;
        return read ? Command(connection, "COMMIT", failure)
                    : (Command(connection, "ROLLBACK", ignored), false);
    }
    return read;
}

}  // namespace zarn
