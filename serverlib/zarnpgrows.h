// Long reads on PostgreSQL through libpq itself. Qt's driver reads a forward-only query one row
// at a time, a libpq result and a QVariant per value for each: the tree of a million volumes
// spent more than half its time there. Here the rows come through a cursor, many thousands a
// fetch, and are read where libpq holds them.
#ifndef ZARN_SERVERLIB_ZARNPGROWS_H
#define ZARN_SERVERLIB_ZARNPGROWS_H

#include <functional>
#include <string>
#include <vector>

#include "zarnstore.h"

typedef struct pg_conn PGconn;

namespace zarn {

// What a failed read said: its SQLSTATE, the server's message and whether the connection is
// gone.
struct PgFailure {
    std::string state;
    std::string message;
    bool connectionLost = false;
};

// Runs sql, whose "?" marks take parameters (as text literals, escaped by libpq), and hands
// each row to take. Inside a transaction of the caller's the cursor lives in it; else in one of
// its own. False with the failure filled in when the read failed.
bool ForEachPgRow(PGconn *connection, const std::string &sql,
                  const std::vector<std::string> &parameters,
                  const std::function<void(const StoreRow &)> &take, PgFailure &failure);

}  // namespace zarn

#endif
