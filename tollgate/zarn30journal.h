// The station's session journal: every accepted scan's move, written to a local SQLite file
// (WAL, a durable commit per scan) before its answer is spoken, and marked when the server
// has taken it or refused it for good. A program that ends any other way (killed, a power
// cut, a crash) leaves the moves not yet written in the file, and the next start offers them.
#ifndef ZARN_TOLLGATE_ZARN30JOURNAL_H
#define ZARN_TOLLGATE_ZARN30JOURNAL_H

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

struct sqlite3;

// A scanned volume's move, as the server update writes it.
struct CZARN30JournalScan {
    int64_t sequence = 0;  // the order of the scans
    std::string server;    // the id of the server the move is owed to
    std::string customer, media, volume;
    std::string repository;
    int slot = 0;
    int container = -1;
    int scannedOut = 0;
};

// A scan the judgement refused, as the error list holds it.
struct CZARN30JournalError {
    std::string scanned;  // the 18-byte key as scanned
    int64_t sequence = 0;
    uint8_t code = 0;
};

class CZARN30Journal {
public:
    // $XDG_STATE_HOME/Quillfen/ZARNTollgate-session.db (~/.local/state when unset).
    static std::string DefaultPath();

    CZARN30Journal() = default;
    ~CZARN30Journal();
    CZARN30Journal(const CZARN30Journal &) = delete;
    CZARN30Journal &operator=(const CZARN30Journal &) = delete;

    // Opens (or makes) the journal; false with the reason when the file is not a journal or is
    // damaged: nothing of it is used then.
    bool Open(const std::string &path, std::string &error);
    const std::string &Path() const { return m_path; }
    const std::string &LastError() const { return m_error; }

    // Kept durably before the scan is answered; false (LastError) when it could not be.
    bool RecordScan(CZARN30JournalScan &scan);
    // Many at once, in one durable commit: all of them, or none (LastError).
    bool RecordScans(std::vector<CZARN30JournalScan> &scans);
    // Written, or refused by the server for good: the volume's moves recorded so far need no
    // further write. One commit for all of them (none for volumes without a move recorded);
    // it does not wait for the disk: a mark lost to a power cut only offers a move again.
    bool Settle(const std::vector<std::string> &keys);
    // The To-Scan list's volumes (KeyOf), in list order: appended, one forgotten, all of them
    // forgotten (key null), read back. Not waited for on the disk: a list lost to a power cut
    // only leaves the restored session to be listed again.
    bool RecordListed(const std::vector<std::string> &keys);
    bool ForgetListed(const std::string *key);
    bool Listed(std::vector<std::string> &keys);
    // The error list and the containers named in the session, kept the same way. Containers
    // come back in the order they were last set.
    bool RecordError(const CZARN30JournalError &error);
    bool ForgetErrors();
    bool Errors(std::vector<CZARN30JournalError> &errors);
    bool RecordContainer(int number, const std::string &name);
    bool Containers(std::vector<std::pair<int, std::string>> &containers);
    // The moves recorded and not settled, in scan order; false when they cannot all be read.
    bool Unwritten(std::vector<CZARN30JournalScan> &scans);
    // The journal's file moved aside (PATH.TIME.aside), a fresh one opened; the aside name.
    std::string SetAside();
    // Ends the session: the file is removed when nothing is left unwritten, kept otherwise.
    void Close();

    // The key Settle takes for a volume.
    static std::string KeyOf(const std::string &customer, const std::string &media,
                             const std::string &volume);

private:
    bool Execute(const char *sql);
    bool Failed(const char *what);
    bool LoadUnsettledKeys();
    // work in one transaction that does not wait for the disk; false (LastError) when it failed.
    bool Quickly(const char *what, const std::function<bool()> &work);

    sqlite3 *m_db = nullptr;
    std::string m_path;
    std::string m_error;
    // The volumes with a move recorded and not settled (KeyOf), as the file holds them.
    std::unordered_set<std::string> m_unsettled;
};

#endif
