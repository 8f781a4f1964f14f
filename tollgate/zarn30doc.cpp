#include "zarn30doc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "zarn10treemedia.h"
#include "zarn30journal.h"
#include "zarn30update.h"
#include "zarnfields.h"
#include "zarnstationlog.h"

const char kExitUnprocessedText[] =
    "If you exit now you will lose %d scanned volumes, are you sure you want to exit?";
const char kReloadUnprocessedText[] =
    "If you reload you will lose %d processed volumes, do you still want to reload?";
constexpr unsigned kScanReconnectWaitMs = 300;

const char kUnprintedText[] = "You have not printed receipts, are you sure you want to continue?";

CZARN30Doc::CZARN30Doc(zarn::Profile &profile, zarn::UiServices &ui,
                       const CZARN30LogonDetails &logon)
    : m_profile(profile), m_ui(ui) {
    server.SetProgramID(3);
    server.SetLogonDetails(logon.host.c_str(), logon.port, logon.user.c_str(),
                           logon.password.c_str());
    // A scan does not wait long for the server: what cannot be written at once waits in the
    // session journal and is written when the server is back.
    server.SetReconnectWait(kScanReconnectWaitMs);
    settings.Read(profile);
    for (CSpeechVariable &variable : speechVariables) {
        variable.ReadFormat(profile);
    }
}

CZARN30Doc::~CZARN30Doc() {
    settings.Write(m_profile);
    // The program's end is no change of the list: a journal left with unwritten scans keeps
    // the list they belong to.
    journal = nullptr;
    DeleteTree();
}

namespace {

CZARN30Key KeyOf(const char key[kZarnVolumeKeyWidth]) {
    CZARN30Key held;
    std::memcpy(held.bytes.data(), key, held.bytes.size());
    return held;
}

CZARN30Key KeyOf(const CZARN10TreeVolume &item) {
    char key[kZarnVolumeKeyWidth];
    item.GetKey(key);
    return KeyOf(key);
}

}  // namespace

CZARN10TreeVolume *CZARN30Doc::FindItem(const char key[kZarnVolumeKeyWidth]) const {
    return m_byKey.Find(KeyOf(key));
}

void CZARN30Doc::Append(CZARN10TreeVolume *item) {
    item->listIndex = static_cast<int32_t>(toScanList.size());
    toScanList.push_back(item);
    item->listed = 1;
    m_byKey.Insert(KeyOf(*item), item);
}

void CZARN30Doc::Unlist(CZARN10TreeVolume *item) {
    item->listed = 0;
    item->listIndex = -1;
    m_byKey.Erase(KeyOf(*item));
}

void CZARN30Doc::NumberFrom(std::size_t first) {
    for (std::size_t i = first; i < toScanList.size(); ++i) {
        toScanList[i]->listIndex = static_cast<int32_t>(i);
    }
}

int CZARN30Doc::ListIndexOf(const CZARN10TreeVolume *item) const {
    const int32_t index = item ? item->listIndex : -1;
    return index >= 0 && static_cast<std::size_t>(index) < toScanList.size() &&
                   toScanList[static_cast<std::size_t>(index)] == item
               ? index
               : -1;
}

void CZARN30Doc::ItemsChanged(std::vector<CZARN10TreeVolume *> items) {
    m_changedItems = std::move(items);
    UpdateAllViews(nullptr, zarn::kHintItemsChanged);
    m_changedItems.clear();
}

void CZARN30Doc::UnlistAll() {
    for (CZARN10TreeVolume *item : toScanList) {
        item->listed = 0;
        item->listIndex = -1;
    }
    toScanList.clear();
    m_byKey.Clear();
    if (journal) {
        journal->ForgetListed(nullptr);
    }
}

void CZARN30Doc::JournalListedFrom(std::size_t first) {
    if (!journal || first >= toScanList.size()) {
        return;
    }
    std::vector<std::string> keys;
    keys.reserve(toScanList.size() - first);
    for (std::size_t i = first; i < toScanList.size(); ++i) {
        keys.push_back(JournalKeyOf(*toScanList[i]));
    }
    if (!journal->RecordListed(keys)) {
        qCWarning(lcServerUpdate).noquote() << "session journal" << journal->LastError().c_str();
    }
}

void CZARN30Doc::DeleteTree() {
    UnlistAll();
    KeepListedWaitingWrites();
    blankShipListQueue.clear();
    expectedPick = nullptr;
    m_firstUnscannedFrom = 0;
    treeRoot.reset();
}

bool CZARN30Doc::PassesFilters(const CZARN10TreeVolume &volume, int useFilters) const {
    return !useFilters || filters.IsChecked(volume.GetRepositoryId(1), volume.GetRepositoryId(0));
}

int CZARN30Doc::AddRepository(CZARN10TreeRepository *repository, CZARN10ProgressWnd *progress,
                              int useFilters) {
    const std::vector<CZARN10TreeVolume *> &volumes = repository->volumes;
    const int count = static_cast<int>(volumes.size());
    const std::string customer = volumes.empty() ? "" : volumes.front()->GetCustomerId();
    const std::string media = repository->media ? repository->media->id : "";
    progress->SetPosition(0, static_cast<unsigned>(count));
    progress->SetLine1("Adding Repository %s.%s.%s", customer.c_str(), media.c_str(),
                       repository->id.c_str());

    // The locations of the volumes to be listed are read together and taken into their nodes
    // as they come; a volume the read did not give is read on its own below.
    std::vector<std::string_view> unfetched;
    std::vector<CZARN10TreeVolume *> unfetchedItems;
    std::size_t unlisted = 0;
    for (CZARN10TreeVolume *volume : volumes) {
        if (InToScanList(volume) || !PassesFilters(*volume, useFilters)) {
            continue;
        }
        ++unlisted;
        if (!volume->locationFetched) {
            unfetched.emplace_back(volume->volumeSerial);
            unfetchedItems.push_back(volume);
        }
    }
    FetchLocationsTogether(customer, media, unfetched, unfetchedItems);

    toScanList.reserve(toScanList.size() + unlisted);
    m_byKey.Reserve(m_byKey.Size() + unlisted);
    const std::size_t firstAdded = toScanList.size();
    const ListedJournal journalAdded(*this, firstAdded);
    bool cancelled = false;
    for (int i = 1; i <= count; ++i) {
        if (progress->HasCancelled()) {
            cancelled = true;
            break;
        }
        progress->SetPosition(static_cast<unsigned>(i), static_cast<unsigned>(count));
        progress->SetLine2("Resolving volume %d of %d", i, count);
        CZARN10TreeVolume *volume = volumes[i - 1];
        if (InToScanList(volume)) {
            continue;
        }
        if (!PassesFilters(*volume, useFilters)) {
            continue;
        }
        ++toScanCount;
        volume->container = -1;  // until a container is scanned for it
        changedLocationCount += volume->FetchLocation(&server);  // taken above, or read now
        Append(volume);
    }
    return cancelled ? 0 : 1;
}

void CZARN30Doc::FetchLocationsTogether(const std::string &customer, const std::string &media,
                                        const std::vector<std::string_view> &serials,
                                        const std::vector<CZARN10TreeVolume *> &items) {
    server.Get(customer.c_str(), media.c_str(), serials,
               [&](std::size_t index, const ZARNVOLABS &location) {
                   items[index]->TakeLocation(location);
               });
}

void CZARN30Doc::ResetLists(int keepStates) {
    toScanCount = 0;
    scannedCount = 0;
    expectedPick = nullptr;
    if (!keepStates) {
        for (CZARN10TreeVolume *item : toScanList) {
            item->state = 0;
        }
    }
    UnlistAll();
    blankShipListQueue.clear();
    ClearErrors();
    m_firstUnscannedFrom = 0;
    KeepListedWaitingWrites();
    UpdateAllViews(nullptr, zarn::kHintListsChanged);
}

void CZARN30Doc::KeepListedWaitingWrites() {
    std::erase_if(waitingWrites,
                  [](const CZARN10TreeVolume *item) { return !item->listed || item->updated; });
}

void CZARN30Doc::ResetListsAfterUpdate() {
    std::vector<CZARN10TreeVolume *> failed;
    for (CZARN10TreeVolume *item : toScanList) {
        if (item->state == 1 && !item->updated) {
            failed.push_back(item);
        } else {
            item->state = 0;
        }
    }
    UnlistAll();
    blankShipListQueue.clear();
    ClearErrors();
    expectedPick = nullptr;
    m_firstUnscannedFrom = 0;
    toScanCount = 0;
    scannedCount = static_cast<int>(failed.size());
    for (CZARN10TreeVolume *item : failed) {
        Append(item);
    }
    JournalListedFrom(0);
    KeepListedWaitingWrites();
    UpdateAllViews(nullptr, zarn::kHintListsChanged);
}

void CZARN30Doc::RemoveItem(CZARN10TreeVolume *item, int which) {
    const int index = ListIndexOf(item);
    if (index < 0) {
        return;
    }
    toScanList.erase(toScanList.begin() + index);
    Unlist(item);
    if (journal) {
        const std::string key = JournalKeyOf(*item);
        journal->ForgetListed(&key);
    }
    NumberFrom(static_cast<std::size_t>(index));
    (which == 0 ? toScanCount : scannedCount) -= 1;
    item->state = 0;
    if (expectedPick == item) {
        expectedPick = nullptr;
    }
    m_firstUnscannedFrom = 0;
}

bool CZARN30Doc::Confirmed(const char *unprocessed) {
    int answer = zarn::kAnswerYes;
    if (CountUnprocessed(unprocessed, &answer) != 0 && answer != zarn::kAnswerYes) {
        return false;
    }
    answer = zarn::kAnswerYes;
    CheckUnprinted(kUnprintedText, &answer);
    return answer == zarn::kAnswerYes;
}

bool CZARN30Doc::CanExit() {
    return Confirmed(kExitUnprocessedText);
}

bool CZARN30Doc::CanRebuild() {
    return Confirmed(kReloadUnprocessedText);
}

int CZARN30Doc::CountUnprocessed(const char *message, int *answer) {
    int count = 0;
    for (const CZARN10TreeVolume *item : toScanList) {
        count += (item->state == 1 && !item->updated) ? 1 : 0;
    }
    if (count != 0 && message != nullptr) {
        char text[512];
        std::snprintf(text, sizeof text, message, count);
        const int reply =
            m_ui.MessageBox(text, "Unprocessed Warning", zarn::kBoxYesNo | zarn::kBoxIconQuestion);
        if (answer) {
            *answer = reply;
        }
    }
    return count;
}

int CZARN30Doc::CheckUnprinted(const char *message, int *answer) {
    int count = 0;
    for (const CZARN10TreeVolume *item : toScanList) {
        count += item->state == 1 ? 1 : 0;
    }
    int reply = zarn::kAnswerYes;
    if (unprinted && message != nullptr && count != 0) {
        reply =
            m_ui.MessageBox(message, "Unprinted Warning", zarn::kBoxYesNo | zarn::kBoxIconQuestion);
    }
    if (answer) {
        *answer = reply;
    }
    return unprinted;
}

CZARN10TreeVolume *CZARN30Doc::FirstUnscanned() {
    for (std::size_t i = m_firstUnscannedFrom; i < toScanList.size(); ++i) {
        if (toScanList[i]->state == 0) {
            m_firstUnscannedFrom = i;
            return toScanList[i];
        }
    }
    m_firstUnscannedFrom = toScanList.size();
    return nullptr;
}

void CZARN30Doc::SkipNext() {
    if (CZARN10TreeVolume *item = FirstUnscanned()) {
        item->state = 2;
        ItemsChanged({item});
    }
}

int CZARN30Doc::AutoComplete(CZARN10RCList &results, const BatchWriter &write) {
    std::vector<CZARN10TreeVolume *> marked;
    for (CZARN10TreeVolume *item : toScanList) {
        if (item->state == 0) {
            --toScanCount;
            ++scannedCount;
            // Scanned first: an item updated in an earlier run is written again, not skipped.
            item->state = 1;
            marked.push_back(item);
        }
    }
    JournalMoves(marked);
    int failed = 0;
    constexpr std::size_t kBatch = 1000;  // one durable commit for each thousand
    for (std::size_t first = 0; first < marked.size(); first += kBatch) {
        const std::vector<CZARN10TreeVolume *> batch(
            marked.begin() + static_cast<std::ptrdiff_t>(first),
            marked.begin() + static_cast<std::ptrdiff_t>(std::min(marked.size(), first + kBatch)));
        std::vector<std::string> reasons;
        if (!(write ? write(batch, reasons) : WriteHere(batch, reasons))) {
            break;  // cancelled: what was not written stays scanned, for the server update
        }
        SettleMoves(batch);
        for (const CZARN10TreeVolume *item : batch) {
            results.Add(item->result, "%s", item->GetDisplayKey().c_str());
            failed += item->result != kZarnOK ? 1 : 0;
        }
    }
    UpdateAllViews(nullptr, zarn::kHintListsChanged);
    return failed;
}

bool CZARN30Doc::WriteHere(const std::vector<CZARN10TreeVolume *> &items,
                           std::vector<std::string> &reasons) {
    UpdateVolumes(items, server, IsPickMode() ? 1 : 0, 1, IsPickMode() ? 1 : 0);
    reasons.clear();
    for (const CZARN10TreeVolume *item : items) {
        reasons.push_back(FailureReason(item->result, server));
    }
    return true;
}

bool CZARN30Doc::JournalMoves(const std::vector<CZARN10TreeVolume *> &items) {
    if (!journal || items.empty()) {
        return true;
    }
    std::vector<CZARN30JournalScan> moves;
    for (const CZARN10TreeVolume *item : items) {
        moves.push_back(JournalMoveOf(*item));
    }
    return RecordMoves(moves);
}

bool CZARN30Doc::JournalMove(const CZARN10TreeVolume &item) {
    if (!journal) {
        return true;
    }
    std::vector<CZARN30JournalScan> moves{JournalMoveOf(item)};
    return RecordMoves(moves);
}

CZARN30JournalScan CZARN30Doc::JournalMoveOf(const CZARN10TreeVolume &item) {
    CZARN30JournalScan move = JournalScanOf(item, IsPickMode() ? 1 : 0, 1, IsPickMode() ? 1 : 0);
    move.server = ServerId();
    return move;
}

bool CZARN30Doc::RecordMoves(std::vector<CZARN30JournalScan> &moves) {
    if (journal->RecordScans(moves)) {
        return true;
    }
    qCWarning(lcServerUpdate).noquote()
        << "session journal" << journal->Path().c_str() << "-" << journal->LastError().c_str();
    return false;
}

const std::string &CZARN30Doc::ServerId() {
    if (m_serverId.empty()) {
        ZARNSERVERID id{};
        if (server.Get(&id).IsOK(0)) {
            m_serverId = zarn::ReadField(id.serverId);
        }
    }
    return m_serverId;
}

std::string CZARN30Doc::JournalKeyOf(const CZARN10TreeVolume &item) {
    return CZARN30Journal::KeyOf(item.GetCustomerId(), item.GetMediaId(), item.volumeSerial);
}

bool CZARN30Doc::SettleMoves(const std::vector<CZARN10TreeVolume *> &items) {
    if (!journal) {
        return true;
    }
    std::vector<std::string> settled;
    for (const CZARN10TreeVolume *item : items) {
        if (item->updated || IsSettled(item->result)) {
            settled.push_back(JournalKeyOf(*item));
        }
    }
    return SettleKeys(settled);
}

bool CZARN30Doc::SettleKeys(const std::vector<std::string> &settled) {
    if (!journal || journal->Settle(settled)) {
        return true;
    }
    qCWarning(lcServerUpdate).noquote() << "session journal" << journal->LastError().c_str();
    return false;
}

std::vector<int> CZARN30Doc::FilterToScan(
    const std::function<bool(const CZARN10TreeVolume &)> &passes) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < toScanList.size(); ++i) {
        if (ShowsOnToScan(i, passes)) {
            rows.push_back(static_cast<int>(i));
        }
    }
    return rows;
}

bool CZARN30Doc::ShowsOnToScan(std::size_t index,
                               const std::function<bool(const CZARN10TreeVolume &)> &passes) {
    CZARN10TreeVolume *item = toScanList[index];
    if (item->state == 2) {
        // Skipped, and still to be picked: shown (and marked) while the filters pass it, and
        // never hidden under state 3, which would forget the skip.
        return passes(*item);
    }
    if (item->state != 0 && item->state != 3) {
        return false;
    }
    if (!passes(*item)) {
        item->state = 3;
        return false;
    }
    if (item->state == 3 && index < m_firstUnscannedFrom) {
        m_firstUnscannedFrom = index;
    }
    item->state = 0;
    return true;
}

void CZARN30Doc::ClearSlotConfirmation() {
    slotConfirmationCustomer.clear();
    slotConfirmationMedia.clear();
    slotConfirmationVolume.clear();
    slotConfirmationRepository.clear();
    slotConfirmationSlot = 0;
    slotConfirmationZone = 0;
    slotConfirmationZoneSlot = 0;
}

void CZARN30Doc::SetContainer(int number, const std::string &name) {
    currentContainerNumber = number;
    if (number != 0) {
        currentContainerName = name;
        containerNames[static_cast<unsigned>(number)] = name;
        if (journal) {
            journal->RecordContainer(number, name);
        }
    }
    if (showContainer) {
        showContainer(number != 0 ? name : "None set");
    }
}

void CZARN30Doc::AddBadScan(const char key[kZarnVolumeKeyWidth], uint8_t code) {
    errorList.emplace_back(key, scanSequence, code);
    if (journal) {
        journal->RecordError({std::string(key, kZarnVolumeKeyWidth), scanSequence, code});
    }
}

void CZARN30Doc::ClearErrors() {
    errorList.clear();
    if (journal) {
        journal->ForgetErrors();
    }
}

void CZARN30Doc::QueueBlankShipList(CZARN10TreeMedia *media) {
    CZARN10TreeVolume blank;
    blank.media = media;
    blank.blankEntry = 1;
    blankShipListQueue.push_back(blank);
}

bool CZARN30Doc::PrintBlankShipListQueue() {
    if (blankShipListQueue.empty()) {
        return true;
    }
    // One run for the whole queue: one receipt header per customer.
    std::vector<const CZARN10TreeVolume *> blanks;
    for (const CZARN10TreeVolume &blank : blankShipListQueue) {
        blanks.push_back(&blank);
    }
    if (blanks.empty() || !receiptPrinter ||
        !receiptPrinter->Print(blanks, settings.block.receiptHeader,
                               settings.block.receiptFooter)) {
        return false;  // what is still queued prints next time
    }
    blankShipListQueue.clear();
    return true;
}

namespace {
bool IsOnReceipt(const CZARN10TreeVolume &item) {
    return item.state == 0 || item.state == 1;
}
}  // namespace

bool CZARN30Doc::HasReceiptsToPrint() const {
    return std::any_of(toScanList.begin(), toScanList.end(),
                       [](const CZARN10TreeVolume *item) { return IsOnReceipt(*item); });
}

bool CZARN30Doc::PrintReceipts() {
    SortToScan(0);
    std::vector<const CZARN10TreeVolume *> printed;
    for (const CZARN10TreeVolume *item : toScanList) {
        if (IsOnReceipt(*item)) {
            printed.push_back(item);
        }
    }
    if (printed.empty() || !receiptPrinter ||
        !receiptPrinter->Print(printed, settings.block.receiptHeader,
                               settings.block.receiptFooter)) {
        return false;
    }
    unprinted = 0;
    return true;
}

std::vector<CZARN10TreeVolume *> CZARN30Doc::RestoreLists(
    const std::vector<std::string> &listed, const std::vector<CZARN30JournalScan> &moves,
    std::vector<CZARN30JournalScan> &unlisted) {
    std::vector<CZARN30JournalError> errors;
    std::vector<std::pair<int, std::string>> containers;
    journal->Errors(errors);
    journal->Containers(containers);
    ResetLists(1);  // the journal's list is forgotten here, and recorded again below
    for (const CZARN30JournalError &error : errors) {
        if (error.scanned.size() == kZarnVolumeKeyWidth) {
            scanSequence = static_cast<uint16_t>(error.sequence);
            AddBadScan(error.scanned.data(), error.code);
        }
    }
    for (const auto &[number, name] : containers) {
        SetContainer(number, name);
    }
    const std::unordered_map<std::string, CZARN10TreeVolume *> inTree = TreeVolumesByKey();
    for (const std::string &key : listed) {
        const auto found = inTree.find(key);
        if (found != inTree.end() && !found->second->listed) {
            found->second->state = 0;
            found->second->container = -1;
            Append(found->second);
            ++toScanCount;
        }
    }
    FetchListedLocations();
    const std::vector<CZARN10TreeVolume *> scanned = MarkRestoredScans(inTree, moves, unlisted);
    JournalListedFrom(0);
    UpdateAllViews(nullptr, zarn::kHintListsChanged);
    return scanned;
}

std::unordered_map<std::string, CZARN10TreeVolume *> CZARN30Doc::TreeVolumesByKey() const {
    std::unordered_map<std::string, CZARN10TreeVolume *> volumes;
    for (const auto &[customerId, customer] : treeRoot->customers) {
        for (const auto &[mediaId, media] : customer->media) {
            for (CZARN10TreeVolume &volume : media->volumes) {
                volumes.emplace(JournalKeyOf(volume), &volume);
            }
        }
    }
    return volumes;
}

std::vector<CZARN10TreeVolume *> CZARN30Doc::MarkRestoredScans(
    const std::unordered_map<std::string, CZARN10TreeVolume *> &inTree,
    const std::vector<CZARN30JournalScan> &moves, std::vector<CZARN30JournalScan> &unlisted) {
    std::vector<CZARN10TreeVolume *> scanned;
    for (const CZARN30JournalScan &move : moves) {
        const auto found =
            inTree.find(CZARN30Journal::KeyOf(move.customer, move.media, move.volume));
        CZARN10TreeVolume *item = found == inTree.end() ? nullptr : found->second;
        if (!item || !item->listed) {
            unlisted.push_back(move);
        } else if (item->state != 1) {
            item->state = 1;
            item->updated = 0;
            item->container = move.container;
            --toScanCount;
            ++scannedCount;
            unprinted = 1;
            scanned.push_back(item);
        }
    }
    return scanned;
}

// The locations of the listed volumes not read yet, read together for each customer and media.
void CZARN30Doc::FetchListedLocations() {
    std::map<std::pair<std::string, std::string>, std::vector<CZARN10TreeVolume *>> groups;
    for (CZARN10TreeVolume *item : toScanList) {
        if (!item->locationFetched) {
            groups[{item->GetCustomerId(), item->GetMediaId()}].push_back(item);
        }
    }
    for (const auto &[owner, items] : groups) {
        std::vector<std::string_view> serials;
        for (const CZARN10TreeVolume *item : items) {
            serials.emplace_back(item->volumeSerial);
        }
        FetchLocationsTogether(owner.first, owner.second, serials, items);
    }
}
