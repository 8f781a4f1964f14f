// What one CZARN10MFC connection holds: its log-on details and its open store.
#ifndef ZARN_SERVERLIB_ZARNSESSION_H
#define ZARN_SERVERLIB_ZARNSESSION_H

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "zarnbarcode.h"
#include "zarnserverworker.h"
#include "zarnstore.h"

namespace zarn {

class ServerSession {
public:
    ConnectionSettings settings;
    int programId = 0;
    std::unique_ptr<Store> store;
    bool cancelled = false;
    ScanDialogPresenter *openDialog = nullptr;  // while ScanDialog runs
    BarCodeGrammar grammar;  // the scan dialog's; programs set it from their configuration
    // The scan dialog's look-ups, on a connection of their own (made at its first opening).
    std::unique_ptr<ServerWorker> lookUps;

    // The open store, or null with result set to "not logged on".
    Store *Require(uint8_t &result) {
        result = store ? 0 : 2;
        return store.get();
    }
    // Reads one volume by its key (null parts count as empty); "not logged on" without a store.
    // The row is kept as the last read, for the update that usually follows.
    uint8_t ReadVolume(const char *customer, const char *media, const char *volume, VolumeRow &row);
    // A volume this connection read or wrote lately, when the store held it at that version: an
    // update of a record just read needs no second read (its write checks the version anyway).
    // A batch's worth of volumes is kept.
    const VolumeRow *RecentVolume(const std::string &customer, const std::string &media,
                                  const std::string &volume, uint32_t version) const;
    void KeepRecentVolume(const VolumeRow &row);
    void ForgetRecentVolume(const VolumeRow &row) { m_recentVolumes.erase(KeyOf(row)); }
    // After a rolled-back batch: what it wrote was never stored.
    void ForgetRecentVolumes() { m_recentVolumes.clear(); }
    // Whether a repository is on file; those found once are not asked again (repositories are
    // not deleted while stations work).
    uint8_t CheckRepository(const std::string &repository);
    // Runs a statement on the open store; "not logged on" without one.
    uint8_t Select(QSqlQuery &query, const QString &sql, Store::Bindings bindings = {});
    // This station's name in the movement history: host name and program.
    std::string StationName() const;

private:
    static std::string KeyOf(const std::string &customer, const std::string &media,
                             const std::string &volume);
    static std::string KeyOf(const VolumeRow &row) {
        return KeyOf(row.customer, row.media, row.volume);
    }
    std::unordered_map<std::string, VolumeRow> m_recentVolumes;
    std::unordered_set<std::string> m_knownRepositories;
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
