// What one CZARN10MFC connection holds: its log-on details and its open store.
#ifndef ZARN_SERVERLIB_ZARNSESSION_H
#define ZARN_SERVERLIB_ZARNSESSION_H

#include <memory>
#include <string>

#include "zarnbarcode.h"
#include "zarnstore.h"

namespace zarn {

class ServerSession {
public:
    ConnectionSettings settings;
    int programId = 0;
    std::unique_ptr<Store> store;
    bool cancelled = false;
    BarCodeGrammar grammar;  // the scan dialog's; programs set it from their configuration

    // The open store, or null with result set to "not logged on".
    Store *Require(uint8_t &result) {
        result = store ? 0 : 2;
        return store.get();
    }
    // Reads one volume by its key (null parts count as empty); "not logged on" without a store.
    uint8_t ReadVolume(const char *customer, const char *media, const char *volume, VolumeRow &row);
    // Runs a statement on the open store; "not logged on" without one.
    uint8_t Select(QSqlQuery &query, const QString &sql, Store::Bindings bindings = {});
    // This station's name in the movement history: host name and program.
    std::string StationName() const;
};

// Ends the connection's statements when a call of the library returns: an idle station must
// not hold a read snapshot, which would keep SQLite's log from being folded back.
class StatementsDone {
public:
    explicit StatementsDone(ServerSession &session) : m_session(session) {}
    ~StatementsDone() {
        if (m_session.store) {
            m_session.store->FinishStatements();
        }
    }
    StatementsDone(const StatementsDone &) = delete;
    StatementsDone &operator=(const StatementsDone &) = delete;

private:
    ServerSession &m_session;
};

// Zero-fills a record before it is filled, so that nothing of an earlier read stays in it.
template <typename Record>
void Clear(Record *record) {
    *record = Record{};
}

}  // namespace zarn

#endif
