// The Tollgate's document: the server connection, the movement tree, the To-Scan list, the
// error list and the blank ship list queue, the scan position and mode, the settings and the
// speech variables. It runs without a screen; views learn of changes through hints.
#ifndef ZARN_TOLLGATE_ZARN30DOC_H
#define ZARN_TOLLGATE_ZARN30DOC_H

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "receiptprinter.h"
#include "speechvariable.h"
#include "zarn10mfc.h"
#include "zarn10progresswnd.h"
#include "zarn10rclist.h"
#include "zarn10treeroot.h"
#include "zarn30filters.h"
#include "zarn30keyindex.h"
#include "zarn30queryexceptions.h"
#include "zarn30results.h"
#include "zarn30settings.h"
#include "zarndocument.h"
#include "zarnprofile.h"
#include "zarnuiservices.h"

struct CZARN30LogonDetails {
    std::string host;
    unsigned port = 0;
    std::string user;
    std::string password;
};

// Messages of the exit and rebuild checks.
extern const char kExitUnprocessedText[];
extern const char kReloadUnprocessedText[];
extern const char kUnprintedText[];

class CZARN30Journal;
struct CZARN30JournalScan;

class CZARN30Doc : public zarn::Document {
public:
    CZARN30Doc(zarn::Profile &profile, zarn::UiServices &ui, const CZARN30LogonDetails &logon);
    ~CZARN30Doc() override;
    CZARN30Doc(const CZARN30Doc &) = delete;
    CZARN30Doc &operator=(const CZARN30Doc &) = delete;

    // Members, as the scanning and the views use them.
    SpeechVariables speechVariables = MakeSpeechVariables();
    std::vector<CZARN30BadScanItem> errorList;
    std::vector<CZARN10TreeVolume *> toScanList;
    std::vector<CZARN10TreeVolume> blankShipListQueue;
    std::map<unsigned, std::string> containerNames;
    uint16_t scanSequence = 0;
    std::string lastAnnouncedCustomer;
    CZARN10MFC server{0};
    // The session journal, when the program keeps one: accepted scans not yet written.
    CZARN30Journal *journal = nullptr;
    // Scanned items whose real-time write waits for the server, in scan order; only listed
    // items (the lists' resets and the tree's deletion drop the others).
    std::vector<CZARN10TreeVolume *> waitingWrites;
    int changedLocationCount = 0;
    std::unique_ptr<CZARN10TreeRoot> treeRoot;
    CZARN30Filters filters;
    CQueryExceptionDlg queryExceptions;
    int oldTreeWarned = 0;
    int currentZone = 0;
    int currentSlot = 0;
    int toScanCount = 0;
    int scannedCount = 0;
    std::string slotConfirmationCustomer, slotConfirmationMedia, slotConfirmationVolume;
    std::string slotConfirmationRepository;
    int slotConfirmationSlot = 0;
    // The zone and slot scanned when the confirmation was asked for: it holds only there.
    int slotConfirmationZone = 0;
    int slotConfirmationZoneSlot = 0;
    CZARN10TreeVolume *expectedPick = nullptr;
    std::string currentContainerName;
    int currentContainerNumber = -1;
    int unprinted = 0;
    CZARN30Settings settings;
    // What the options bar shows as the current container.
    std::function<void(const std::string &)> showContainer;
    ReceiptPrinter *receiptPrinter = nullptr;

    // Appends the volumes of an origin repository node; 0 when the operator cancelled.
    int AddRepository(CZARN10TreeRepository *repository, CZARN10ProgressWnd *progress,
                      int useFilters);
    void ResetLists(int keepStates);
    // After a server update: like ResetLists, except that scanned items whose update failed
    // stay listed, scanned and not updated, so that nothing scanned is lost and the next
    // update tries them again.
    void ResetListsAfterUpdate();
    void KeepListedWaitingWrites();
    // which 0 lowers the to-scan count, 1 the scanned count.
    void RemoveItem(CZARN10TreeVolume *item, int which);
    // Scanned and not yet updated; with a message (a "%d" format) asks whether to go on.
    int CountUnprocessed(const char *message, int *answer);
    int CheckUnprinted(const char *message, int *answer);
    CZARN10TreeVolume *FirstUnscanned();
    void SkipNext();
    // Writes scanned items and sets each one's result; the store's reason for each goes to
    // reasons. False when the operator cancelled.
    using BatchWriter = std::function<bool(const std::vector<CZARN10TreeVolume *> &items,
                                           std::vector<std::string> &reasons)>;
    // Marks every unscanned item scanned (kept in the journal, in one commit) and writes them,
    // a thousand at a time, with write (on this document's connection without one); each
    // item's result goes to results. Returns how many writes failed (those items stay scanned
    // and not updated).
    int AutoComplete(CZARN10RCList &results, const BatchWriter &write = {});
    // The session journal's side of a scan: the move the item owes recorded (before it is
    // answered), and the items whose writes ended settled. True without a journal; false
    // (with the reason logged) when the journal could not take it.
    bool JournalMove(const CZARN10TreeVolume &item);
    bool JournalMoves(const std::vector<CZARN10TreeVolume *> &items);
    // The id of the server logged on to (its meta "server_id"), read once per log-on: the
    // journal's moves are owed to it and to no other.
    const std::string &ServerId();
    void ForgetServerId() { m_serverId.clear(); }
    bool SettleMoves(const std::vector<CZARN10TreeVolume *> &items);
    static std::string JournalKeyOf(const CZARN10TreeVolume &item);
    // The same by the journal's keys (CZARN30Journal::KeyOf).
    bool SettleKeys(const std::vector<std::string> &keys);
    // The To-Scan list's filters: items not scanned that pass become state 0 and their
    // positions in the list are returned in order; the others become state 3 (hidden).
    // Skipped items (state 2) that pass are returned too, and keep their state.
    std::vector<int> FilterToScan(const std::function<bool(const CZARN10TreeVolume &)> &passes);
    // The same for the item at one place of the list: whether it is shown.
    bool ShowsOnToScan(std::size_t index,
                       const std::function<bool(const CZARN10TreeVolume &)> &passes);
    void ClearSlotConfirmation();
    // Mode 0: by key; mode 1: pick order (unless NoSort). Each sort is a new document order,
    // which the lists show instead of a column sort of their own.
    void SortToScan(int mode);
    unsigned ListOrder() const { return m_listOrder; }
    void SetContainer(int number, const std::string &name);
    void AddBadScan(const char key[kZarnVolumeKeyWidth], uint8_t code);
    void ClearErrors();
    void QueueBlankShipList(CZARN10TreeMedia *media);
    // Both answer whether the run printed; only a printed run clears what it printed, and a
    // run with nothing to print is not started.
    bool PrintBlankShipListQueue();
    bool PrintReceipts();
    // Whether "Print Receipts" would print anything: a To-Scan item scanned or not scanned.
    bool HasReceiptsToPrint() const;
    // The exit and rebuild checks: false when the operator chose to stay.
    bool CanExit();
    bool CanRebuild();
    // After an interrupted session: the To-Scan list the journal kept (listed, in list order)
    // made again from the tree's volumes, and the journal's unwritten moves marked scanned on
    // it; the error list and the containers named as they were. Moves of volumes not on it are
    // added to unlisted; the items marked are returned, in scan order.
    std::vector<CZARN10TreeVolume *> RestoreLists(const std::vector<std::string> &listed,
                                                  const std::vector<CZARN30JournalScan> &moves,
                                                  std::vector<CZARN30JournalScan> &unlisted);
    // Deletes the tree after emptying the lists that point into it.
    void DeleteTree();

    bool InToScanList(const CZARN10TreeVolume *item) const { return item->listed != 0; }
    // The item's place on the To-Scan list, or -1.
    int ListIndexOf(const CZARN10TreeVolume *item) const;
    // Tells the views that these items changed (their state, cells or write) and that entries
    // may have been added to the error list's end: the lists update those rows alone.
    void ItemsChanged(std::vector<CZARN10TreeVolume *> items);
    const std::vector<CZARN10TreeVolume *> &ChangedItems() const { return m_changedItems; }
    // The To-Scan item with this 18-byte key (customer, media, volume, NUL-padded), or null.
    CZARN10TreeVolume *FindItem(const char key[kZarnVolumeKeyWidth]) const;
    bool IsPickMode() const { return settings.operationType == 0; }
    zarn::UiServices &Ui() { return m_ui; }

private:
    bool Confirmed(const char *unprocessed);
    // Whether the Add Filters let the volume's origin and destination pair on the list.
    bool PassesFilters(const CZARN10TreeVolume &volume, int useFilters) const;
    zarn::Profile &m_profile;
    zarn::UiServices &m_ui;
    std::string m_serverId;
    // The To-Scan items by key, so that a scan finds its item without walking the list (each
    // item also carries a mark of its own: adding a node of a million asks no table).
    CZARN30KeyIndex m_byKey;
    void Append(CZARN10TreeVolume *item);
    void Unlist(CZARN10TreeVolume *item);
    // The list from first on kept in the session journal, for a restore after a stop.
    void JournalListedFrom(std::size_t first);
    // Whatever way the appending ends (a cancel, an early return), what was added is kept.
    struct ListedJournal {
        ListedJournal(CZARN30Doc &doc, std::size_t first) : m_doc(doc), m_first(first) {}
        ~ListedJournal() { m_doc.JournalListedFrom(m_first); }
        ListedJournal(const ListedJournal &) = delete;
        ListedJournal &operator=(const ListedJournal &) = delete;
        CZARN30Doc &m_doc;
        std::size_t m_first;
    };
    CZARN30JournalScan JournalMoveOf(const CZARN10TreeVolume &item);
    bool RecordMoves(std::vector<CZARN30JournalScan> &moves);
    bool WriteHere(const std::vector<CZARN10TreeVolume *> &items,
                   std::vector<std::string> &reasons);
    void FetchListedLocations();
    // Every volume of the tree by its journal key (CZARN30Journal::KeyOf).
    std::unordered_map<std::string, CZARN10TreeVolume *> TreeVolumesByKey() const;
    // The journal's unwritten moves marked scanned on the list; the moves of volumes not on
    // it are added to unlisted.
    std::vector<CZARN10TreeVolume *> MarkRestoredScans(
        const std::unordered_map<std::string, CZARN10TreeVolume *> &inTree,
        const std::vector<CZARN30JournalScan> &moves, std::vector<CZARN30JournalScan> &unlisted);
    void FetchLocationsTogether(const std::string &customer, const std::string &media,
                                const std::vector<std::string_view> &serials,
                                const std::vector<CZARN10TreeVolume *> &items);
    void UnlistAll();
    // The items' places from first on, after the list changed there.
    void NumberFrom(std::size_t first);
    std::vector<CZARN10TreeVolume *> m_changedItems;
    // No item before this index has state 0: FirstUnscanned resumes here. Whatever gives an
    // item state 0 again goes through the document and moves this back.
    std::size_t m_firstUnscannedFrom = 0;
    unsigned m_listOrder = 0;  // counts the sorts of the To-Scan list
};

#endif
