// The connection to the central server: every read and write of server data passes here.
// One object per document. Operations return a CZARN10RC; records are filled into buffers the
// caller owns.
#ifndef ZARN_SERVERAPI_ZARN10MFC_H
#define ZARN_SERVERAPI_ZARN10MFC_H

#include <libconfig.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zarn10rc.h"
#include "zarnrecords.h"
#include "zarnscantarget.h"

namespace zarn {
class ServerSession;
class ScanMessageTarget;
}  // namespace zarn

class CZARN10MFC {
public:
    explicit CZARN10MFC(int reserved = 0);
    ~CZARN10MFC();
    CZARN10MFC(const CZARN10MFC &) = delete;
    CZARN10MFC &operator=(const CZARN10MFC &) = delete;

    void SetProgramID(int programId);
    // No host: the embedded store (ZARNDATABASE, else the per-user data folder). A host: the
    // PostgreSQL server there, port 5432 when 0.
    void SetLogonDetails(const char *host, unsigned port, const char *user, const char *password);
    // How long a call waits for a broken connection to come back (from the next log-on);
    // 5,000 ms unless set.
    void SetReconnectWait(unsigned milliseconds);
    CZARN10RC Logon(int flags);
    // Asked once for the password when a server refuses a log-on without one (none in the URL,
    // PGPASSWORD or ~/.pgpass); empty for no answer. Without it a refusal stays a refusal.
    void SetPasswordPrompt(std::function<std::string(const std::string &server)> ask);
    CZARN10RC Logoff(bool force);
    bool IsLoggedOn() const;

    CZARN10RC Get(ZARNVOLS *record, const char *customer, const char *media, const char *volume);
    CZARN10RC Get(ZARNVOLABS *record, const char *customer, const char *media, const char *volume);
    // The locations of many volumes of one customer and media at once; volumes the store does
    // not hold are left out of records.
    CZARN10RC Get(std::vector<ZARNVOLABS> &records, const char *customer, const char *media,
                  const std::vector<std::string> &volumes);
    // The same, each location handed to take with the index of its serial in volumes as it is
    // read, so that nothing is gathered on the way.
    CZARN10RC Get(const char *customer, const char *media,
                  const std::vector<std::string_view> &volumes,
                  const std::function<void(std::size_t, const ZARNVOLABS &)> &take);
    CZARN10RC Get(ZARNCOORD *record, const char *customer, const char *media, int zone, int slot);
    CZARN10RC Get(ZARNZONE *record, int zone);
    CZARN10RC Get(ZARNCUST *record, const char *customer);
    CZARN10RC Get(ZARNMEDIA *record, const char *customer, const char *media);
    CZARN10RC Get(ZARNREPOSITORY *record, const char *customer, const char *media,
                  const char *repository);
    CZARN10RC Get(ZARNSERVERID *record);
    CZARN10RC Get(ZARN10JOURNALLIST *record);
    CZARN10RC Get(ZARNATTRIBUTE *record, const char *name);

    CZARN10RC List(std::vector<ZARNCUSTEx> &records);
    CZARN10RC List(std::vector<ZARNMEDIAEx> &records, const char *customer = nullptr);
    CZARN10RC List(std::vector<ZARNREPOSITORYFULL> &records, const char *customer,
                   const char *media);
    // The volumes of a customer and media whose flag word carries every bit of filter.
    // volumeCount: all the media's volumes; notDueCount: those without a pending move;
    // scannedOutCount: listed volumes already scanned out.
    CZARN10RC List(std::vector<ZARNVOLSFULL> &records, const char *customer, const char *media,
                   ZARNVOLFLAGS filter, unsigned *volumeCount, unsigned *notDueCount,
                   unsigned *scannedOutCount, int reserved1, int reserved2);
    CZARN10RC List(std::vector<ZARNZONEEx> &records);

    CZARN10RC Add(ZARNVOLSEx *record);
    // Refused with kZarnChangedElsewhere when the store's copy changed since record was read.
    CZARN10RC Update(ZARNVOLSEx *record);
    // Many records, each written as Update writes it, in a few durable transactions instead
    // of one per record. results[i] is records[i]'s: a record refused does not keep the others
    // from being written, and each record is written whole (with its history) or not at all.
    CZARN10RC Update(std::vector<ZARNVOLSEx> &records, std::vector<CZARN10RC> &results);
    CZARN10RC Put(const ZARNATTRIBUTEEx *attribute);
    // A journal posting: customer label, two further texts, journal code, quantity, line text.
    CZARN10RC Put(const char *label, const char *text2, const char *text3, unsigned code,
                  unsigned quantity, const char *text);

    // Parses one scanner line. prefix and suffix are what the scanner adds around a code (may
    // be null); configuration may be null for the default grammar.
    CZARN10RC ParseBarCode(ZARN10BARCODEPARSED *parsed, const char *text, const char *prefix,
                           const char *suffix, const config_t *configuration);
    static std::string FormatZoneSlot(int slot);

    // Modal scanning: each scanner line is parsed, resolved and posted to the target named in
    // args.
    CZARN10RC ScanDialog(ZARNSCANVOLUMEARGS *args, const char *title, void *owner);
    // The server's identity, the store and this station, in a modal window.
    CZARN10RC ServerInfoDialog(void *owner);
    // The connection's settings and the bar-code markers, in a modal window.
    CZARN10RC DoControlPanel(void *reserved1, void *reserved2);
    // Nonzero after the operator cancelled the last scan dialog; reset 1 clears it.
    int WasCancelled(int reset);
    // The owner's answer to a scan, shown in the scan dialog that is open (none: nothing).
    void ShowScanAnswer(const zarn::ScanAnswer &answer);
    // The store's own words for its last failure (a full disk, a read-only file, a rule that
    // refused a write, the connection's error): what a result code alone does not say.
    std::string LastStoreError() const;

    // For the library's own dialogs and tools.
    zarn::ServerSession *Session();

private:
    CZARN10RC OpenStore();

    std::unique_ptr<zarn::ServerSession> m_session;
    std::function<std::string(const std::string &)> m_askPassword;
};

#endif
