// What the Tollgate's main window decides, without the window: the scanning loop (messages
// 1328 to 1332 from the scan dialog), its judgement of every scan, the spoken answers, and the
// commands that start scans and write to the server. The Qt main window forwards to it.
#ifndef ZARN_TOLLGATE_ZARN30SCANNING_H
#define ZARN_TOLLGATE_ZARN30SCANNING_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "zarn10rclist.h"
#include "zarn30doc.h"
#include "zarn30journal.h"
#include "zarn30speaker.h"
#include "zarn30update.h"
#include "zarnmessages.h"
#include "zarnserverworker.h"

// Window messages of the scan dialogs.
constexpr unsigned kMsgVolumeScanned = 1328;
constexpr unsigned kMsgControlCharacter = 1329;
constexpr unsigned kMsgZoneSlot = 1330;
constexpr unsigned kMsgVolumeForSlot = 1331;
constexpr unsigned kMsgVolumeForSlotAllocation = 1332;
// Sent by the splash when it goes: log on, and the tree view builds the tree.
constexpr unsigned kMsgLogonAndBuild = 1524;

// The command-done flags word; each sets its menu item's check mark.
constexpr unsigned kDoneTreeBuilt = 0x1;
constexpr unsigned kDoneScanStarted = 0x4;
constexpr unsigned kDoneServerUpdated = 0x8;
constexpr unsigned kDoneReceiptsPrinted = 0x10;

// The "Scan Error Warning" dialog over the error list; true for "&Clear Warning".
class ScanErrorWarningPresenter {
public:
    virtual ~ScanErrorWarningPresenter() = default;
    virtual bool Run(const std::vector<CZARN30BadScanItem> &errors) = 0;
};

class CZARN30MainLogic : public zarn::MessageWindow {
public:
    CZARN30MainLogic(CZARN30Doc &doc, CZARN30Speaker &speaker);
    ~CZARN30MainLogic() override;

    intptr_t HandleMessage(const zarn::WindowMessage &message) override;

    // Commands.
    void Logon();
    void Logoff();
    void BuildUpdate();
    // False when the query exceptions refused the start.
    bool StartScan();
    void UpdateServer();
    // False when receipts were to be printed and were not (cancelled, no printer, a failure);
    // with nothing to print the operator is told so, and nothing is marked printed.
    bool PrintReceipts();
    // Shows the result list when any write failed.
    void AutoComplete();
    // After the first log-on: the scans an interrupted session left unwritten are offered,
    // and written on Yes; on No the journal is set aside and the operator told where.
    void OfferRestore();
    // Said at the first log-on: the session journal could not be read and was set aside.
    std::string journalNotice;
    // Real-time writes that wait for the server, in scan order: the result of the write under
    // way taken, when it has ended, and the others handed over (the first one alone while the
    // server stays away). Once through, the operator hears how many were written and refused,
    // and the refusals are listed when no scan dialog is open.
    void WriteWaiting();
    // The same, after a write ended: the others are handed over only when the server took it.
    void OnWriteEnded();
    // Waits no longer than wait for the real-time writes to end (those under way, and those
    // waiting while the server takes them) and takes their results; false when one has not
    // ended in time.
    bool FinishWrites(std::chrono::milliseconds wait);
    // Called on the writer's thread when a write has ended (set before the first scan): the
    // window then calls OnWriteEnded on its own.
    std::function<void()> onWriteEnded;
    // Shows the refusals of waiting writes, unless a scan dialog is open.
    void ShowWaitingResults();

    void ClearSelected();
    void ScanToSlot();
    void SlotAllocationScan();

    unsigned doneFlags = 0;
    std::string zonePane;  // status pane 1
    std::string slotPane;  // status pane 2
    // Told when the zone or slot pane changed.
    std::function<void()> onPanes;
    CZARN10RCList slotAllocationResults;
    // Without one, the warning is a plain OK/Cancel box with the dialog's caption and text.
    ScanErrorWarningPresenter *scanErrorWarning = nullptr;

    // The handlers, as the messages reach them.
    // Each judges one scan and says what the answer is (its texts are spoken through the
    // speaker); the message handler hands the whole answer on.
    zarn::AnswerKind OnVolumeScanned(uint8_t dialogResult, const ZARN10BARCODEPARSED &scanned);
    void OnControlCharacter(char character);
    void OnZoneSlot(int zone, int slot);
    zarn::AnswerKind OnVolumeForSlot(uint8_t dialogResult, const ZARN10BARCODEPARSED &scanned);
    zarn::AnswerKind OnVolumeForSlotAllocation(uint8_t dialogResult,
                                               const ZARN10BARCODEPARSED &scanned);

    // The judgement of one scan: a result code and the To-Scan item, when one was found.
    uint8_t Validate(const char key[kZarnVolumeKeyWidth], CZARN10TreeVolume *&item);
    void AnnounceNextPick();
    // Marks a listed item scanned, as an accepted scan does (and writes it with real-time
    // update on).
    void MarkScanned(CZARN10TreeVolume &item);

private:
    // Zone (and with scan mode 2 or more, slot) of a location against the current ones;
    // speaks what to scan first when they differ.
    bool LocationCheck(const ZARNVOLABSBLOCK &block);
    // Speaks where a volume is (or is to go); a failed server look-up is returned.
    CZARN10RC SpeakLocation(CZARN10TreeVolume *item, const char key[kZarnVolumeKeyWidth]);
    void RunScanDialog(const char *title, unsigned volume, unsigned control, unsigned zoneSlot);
    // A real-time scan's write, on the writer's connection: its answer waits for it no
    // longer than kWriteAnswerWait.
    void WriteScanned(CZARN10TreeVolume &item);
    // The writer logged on ahead of the first scan's write (with real-time update on).
    void PrepareWriter();
    // The waiting writes handed to the writer, unless one is under way.
    void HandOverWaiting();
    // The write under way, once it has ended: each item's result set, the journal settled,
    // refusals and an outage said. False when the server could not be reached.
    bool TakeEndedWrite();
    void TakeRefusal(const CZARN10TreeVolume &item, const std::string &reason);
    // "&Update Server" hands its batches to the writer behind the write under way, which ends
    // first. False when the operator cancelled the wait.
    bool FinishWritesFirst(CZARN10ProgressWnd &progress);
    // One batch of "&Update Server" on the writer's connection, the progress window live
    // meanwhile: each item's result set, the store's reason for each in reasons. False when
    // the operator cancelled (the batch ends in the background; its items stay scanned and not
    // updated, and writing them again later makes no second write).
    bool WriteBatch(const std::vector<CZARN10TreeVolume *> &items, CZARN10ProgressWnd &progress,
                    std::vector<std::string> &reasons);
    // A scan recorded in the session journal before it is answered; a journal that cannot
    // take it is said once.
    void JournalScan(const CZARN10TreeVolume &item);
    void RestoreSession(const std::vector<CZARN30JournalScan> &scans);
    void WriteRestoredScans(const std::vector<CZARN30JournalScan> &scans);
    // "WHAT: N written, M refused", said and logged.
    void SayWrittenAndRefused(const char *what, std::size_t written, std::size_t refused);
    bool ConfirmsSlot(const std::string &customer, const std::string &media,
                      const std::string &volume) const;
    int Direction() const { return m_doc.IsPickMode() ? 1 : 0; }

    CZARN30Doc &m_doc;
    CZARN30Speaker &m_speaker;
    std::string m_unspoken;          // a scan's answer that is shown but not said
    CZARN10RCList m_waitingResults;  // refusals of waiting writes, until they can be shown
    bool m_scanDialogOpen = false;
    // The real-time write handed to the writer and not yet taken.
    struct WriteInFlight {
        uint64_t ticket = 0;
        std::vector<CZARN10TreeVolume *> items;
        std::vector<CZARN30PreparedMove> moves;
        std::shared_ptr<CZARN30WriteOutcome> outcome;
    };
    std::optional<WriteInFlight> m_inFlight;
    bool m_answeringWrite = false;
    bool m_writesHeld = false;  // while "&Update Server" writes on the window's connection
    struct HeldWrites {
        explicit HeldWrites(bool &held) : m_held(held) { m_held = true; }
        ~HeldWrites() { m_held = false; }
        HeldWrites(const HeldWrites &) = delete;
        HeldWrites &operator=(const HeldWrites &) = delete;
        bool &m_held;
    };                          // the write is taken inside its scan's answer
    bool m_outageSaid = false;  // kWritesWaitingText said, "Server reached again" not yet
    std::size_t m_writtenSinceOutage = 0;
    std::size_t m_refusedSinceOutage = 0;
    std::set<std::string> m_restoreOfferedFor;  // server ids: offered once per run each
    bool m_journalFailureSaid = false;
    // Last: gone (and told to stop) before anything its end notice may reach.
    std::unique_ptr<zarn::ServerWorker> m_writer;
};

// How long a real-time scan's answer waits for its write; a longer write is answered as kept.
constexpr std::chrono::milliseconds kWriteAnswerWait{80};

// Said once when real-time writes begin to wait for the server.
extern const char kWritesWaitingText[];

// "Are are sure ..." and the other texts of the server update.
extern const char kUpdateVerificationText[];
extern const char kResultListCancelledText[];
extern const char kScanErrorWarningText[];

#endif
