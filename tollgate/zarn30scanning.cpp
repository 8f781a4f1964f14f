#include "zarn30scanning.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "zarn10treevolume.h"
#include "zarn30update.h"
#include "zarnfields.h"
#include "zarnscanposting.h"

namespace {

const char kNothingToPrint[] = "There are no receipts to print";

std::string Formatted(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string Formatted(const char *format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

// What a scan's answer is for, as the operator knows it.
std::string ScannedText(const ZARN10BARCODEPARSED &scanned) {
    const std::string volume = zarn::ReadField(scanned.volume);
    const std::string customer = zarn::ReadField(scanned.customerId);
    return customer.empty() ? volume
                            : zarn::DisplayKey(customer, zarn::ReadField(scanned.mediaId), volume);
}

const char *KeyPart(const ZARN10BARCODEPARSED &scanned) {
    return scanned.customerId;  // customer, media and volume follow one another: 18 bytes
}

}  // namespace

CZARN30MainLogic::CZARN30MainLogic(CZARN30Doc &doc, CZARN30Speaker &speaker)
    : m_doc(doc), m_speaker(speaker), m_writer(std::make_unique<zarn::ServerWorker>([this]() {
          if (onWriteEnded) {
              onWriteEnded();
          }
      })) {}

CZARN30MainLogic::~CZARN30MainLogic() = default;

intptr_t CZARN30MainLogic::HandleMessage(const zarn::WindowMessage &message) {
    const auto *scanned = std::any_cast<ZARN10BARCODEPARSED>(&message.payload);
    const uint8_t result = static_cast<uint8_t>(message.wParam);
    // Every scan's answer is spoken after its tone, shown, and handed to the scan dialog.
    const auto answer = [&](const std::string &scanned,
                            const std::function<zarn::AnswerKind()> &judge) {
        m_speaker.BeginScan(scanned);
        m_speaker.SetTones(m_doc.settings.block.toneAccepted != 0,
                           m_doc.settings.block.toneRefused != 0);
        m_unspoken.clear();
        const zarn::AnswerKind kind = judge();
        m_doc.server.ShowScanAnswer(m_speaker.EndScan(kind, m_unspoken));
    };
    switch (message.id) {
        case kMsgVolumeScanned:
            if (scanned) {
                answer(ScannedText(*scanned), [&]() { return OnVolumeScanned(result, *scanned); });
            }
            break;
        case kMsgControlCharacter:
            answer(std::string("!") + static_cast<char>(message.wParam), [&]() {
                OnControlCharacter(static_cast<char>(message.wParam));
                return zarn::AnswerKind::Note;
            });
            break;
        case kMsgZoneSlot:
            answer("", [&]() {
                OnZoneSlot(static_cast<int>(message.wParam), static_cast<int>(message.lParam));
                return zarn::AnswerKind::Note;
            });
            break;
        case kMsgVolumeForSlot:
            if (scanned) {
                answer(ScannedText(*scanned), [&]() { return OnVolumeForSlot(result, *scanned); });
            }
            break;
        case kMsgVolumeForSlotAllocation:
            if (scanned) {
                answer(ScannedText(*scanned),
                       [&]() { return OnVolumeForSlotAllocation(result, *scanned); });
            }
            break;
        case kMsgLogonAndBuild:
            Logon();
            break;
        default:
            return 0;
    }
    return 1;
}

void CZARN30MainLogic::Logon() {
    m_doc.ForgetServerId();  // perhaps another server now
    const CZARN10RC result = m_doc.server.Logon(0);
    if (!result.IsOK(0)) {
        m_speaker.Speak(result.Get());
    }
    m_doc.UpdateAllViews(nullptr, zarn::kHintConnectionChanged);
    if (result.IsOK(0)) {
        PrepareWriter();
        OfferRestore();
    }
}

void CZARN30MainLogic::Logoff() {
    m_doc.server.Logoff(true);
}

void CZARN30MainLogic::BuildUpdate() {
    doneFlags |= kDoneTreeBuilt;
    m_doc.UpdateAllViews(nullptr, zarn::kHintConnectionChanged);
}

void CZARN30MainLogic::RunScanDialog(const char *title, unsigned volume, unsigned control,
                                     unsigned zoneSlot) {
    zarn::PostingScanTarget target(this);
    ZARNSCANVOLUMEARGS args{};
    args.size = sizeof args;
    args.volumeMessage = volume;
    args.controlMessage = control;
    args.zoneSlotMessage = zoneSlot;
    zarn::SetScanTarget(args, &target);
    m_scanDialogOpen = true;
    const CZARN10RC opened = m_doc.server.ScanDialog(&args, title, this);
    m_scanDialogOpen = false;
    // Closing the scan dialog with Cancel ends this scan and nothing else: left recorded, it
    // would stop the next tree build before it began.
    m_doc.server.WasCancelled(1);
    ShowWaitingResults();
    if (!opened.IsOK(0)) {
        m_speaker.Speak(opened.Get());
    }
}

bool CZARN30MainLogic::StartScan() {
    PrepareWriter();
    m_doc.currentZone = 0;
    m_doc.currentSlot = 0;
    doneFlags |= kDoneScanStarted;
    const CZARN30SettingsBlock &block = m_doc.settings.block;
    if (block.notInListDisabled) {
        m_speaker.Speak("Please note: not in list warning is disabled");
    }
    if (block.alreadyScannedDisabled) {
        m_speaker.Speak("Please note: duplicate scan warning is disabled");
    }
    if (!m_doc.IsPickMode()) {
        m_doc.queryExceptions.Load();
        unsigned matching = 0;
        for (const CZARN10TreeVolume *item : m_doc.toScanList) {
            matching += m_doc.queryExceptions.Match(*item);
        }
        if (matching != 0) {
            m_doc.Ui().MessageBox(
                Formatted("You are in Query Mode and have %u volumes selected that match the "
                          "Query Exception Criteria",
                          matching),
                "Query Exception Mismatch", zarn::kBoxOk | zarn::kBoxIconWarning);
            return false;
        }
    } else {
        m_doc.SortToScan(1);
        AnnounceNextPick();
    }
    RunScanDialog("Scan", kMsgVolumeScanned, kMsgControlCharacter, kMsgZoneSlot);
    return true;
}

bool CZARN30MainLogic::LocationCheck(const ZARNVOLABSBLOCK &block) {
    const int mode = m_doc.settings.scanMode;
    if (mode != 0 && m_doc.currentZone != block.zoneNumber) {
        m_speaker.Speak(Formatted("Please scan new Zone %.*s", 10, block.zoneName));
        return false;
    }
    if (mode >= 2 && m_doc.currentSlot != block.zoneSlot) {
        m_speaker.Speak("Please scan new Slot " + CZARN10MFC::FormatZoneSlot(block.zoneSlot));
        return false;
    }
    return true;
}

CZARN10RC CZARN30MainLogic::SpeakLocation(CZARN10TreeVolume *item,
                                          const char key[kZarnVolumeKeyWidth]) {
    ZARNVOLABS looked{};
    const ZARNVOLABS *location = item ? &item->location : nullptr;
    if (item) {
        if (const CZARN10RC fetched = item->ReadLocation(&m_doc.server); !fetched.IsOK(0)) {
            return fetched;
        }
    } else {
        char customer[5] = {}, media[5] = {}, volume[11] = {};
        std::memcpy(customer, key, 4);
        std::memcpy(media, key + 4, 4);
        std::memcpy(volume, key + 8, 10);
        const CZARN10RC found = m_doc.server.Get(&looked, customer, media, volume);
        if (!found.IsOK(0)) {
            return found;
        }
        location = &looked;
    }
    const bool pick = m_doc.IsPickMode();
    if (!LocationCheck(location->blocks[pick ? 1 : 0])) {
        return kZarnOK;
    }
    int days = 0;
    if (item && item->IsMoveDue(m_doc.settings.dateWarning, &days)) {
        m_speaker.Speak(Formatted("Warning %d days until move", days));
    }
    SpeechVariables &variables = m_doc.speechVariables;
    variables[kSpeechVol].SetValue(key + 8, kZarnVolumeWidth);
    variables[kSpeechQuerySlot].SetValue(CZARN10MFC::FormatZoneSlot(location->blocks[0].zoneSlot));
    variables[kSpeechPickSlot].SetValue(CZARN10MFC::FormatZoneSlot(location->blocks[1].zoneSlot));
    variables[kSpeechQueryZone].SetValue(location->blocks[0].zoneName, kZarnZoneNameWidth);
    variables[kSpeechPickZone].SetValue(location->blocks[1].zoneName, kZarnZoneNameWidth);
    const CZARN30SettingsBlock &block = m_doc.settings.block;
    m_speaker.Speak(Expand(variables, pick ? block.pickText : block.queryText));
    return kZarnOK;
}

void CZARN30MainLogic::AnnounceNextPick() {
    m_doc.expectedPick = m_doc.FirstUnscanned();
    CZARN10TreeVolume *next = m_doc.expectedPick;
    if (!next) {
        m_speaker.Speak("No remaining volumes in list");
        return;
    }
    const std::string customer = next->GetCustomerId();
    if (customer != m_doc.lastAnnouncedCustomer) {
        m_speaker.Speak("New Customer");
    }
    char key[kZarnVolumeKeyWidth];
    next->GetKey(key);
    if (const CZARN10RC spoken = SpeakLocation(next, key); !spoken.IsOK(0)) {
        m_speaker.Speak(spoken.Get());
    }
    m_doc.lastAnnouncedCustomer = customer;
}

uint8_t CZARN30MainLogic::Validate(const char key[kZarnVolumeKeyWidth], CZARN10TreeVolume *&item) {
    item = m_doc.FindItem(key);
    if (item) {
        // Without its location the scan cannot be checked: say why and change nothing.
        if (const CZARN10RC fetched = item->ReadLocation(&m_doc.server); !fetched.IsOK(0)) {
            m_speaker.Speak(fetched.Get());
            return kScanNoOperation;
        }
        if (item->moved) {
            return kScanLocationError;
        }
    }
    const bool pick = m_doc.IsPickMode();
    if (pick && !m_doc.settings.noSequence && m_doc.expectedPick && item &&
        item != m_doc.expectedPick) {
        return kScanSequenceError;
    }
    if (!item) {
        return kScanNotInList;
    }
    if (!LocationCheck(item->location.blocks[pick ? 1 : 0])) {
        return kScanNoOperation;
    }
    if (item->state == 1) {
        return kScanAlreadyScanned;
    }
    MarkScanned(*item);
    return kScanOK;
}

void CZARN30MainLogic::MarkScanned(CZARN10TreeVolume &item) {
    item.state = 1;
    m_doc.unprinted = 1;
    --m_doc.toScanCount;
    ++m_doc.scannedCount;
    if (m_doc.IsPickMode()) {
        item.container = m_doc.currentContainerNumber;
    }
    if (!m_doc.settings.block.realTimeUpdate) {
        item.updated = 0;
        JournalScan(item);  // written by "&Update Server": the journal holds it until then
        return;
    }
    WriteScanned(item);
}

zarn::AnswerKind CZARN30MainLogic::OnVolumeScanned(uint8_t dialogResult,
                                                   const ZARN10BARCODEPARSED &scanned) {
    ++m_doc.scanSequence;
    if (dialogResult != kZarnOK) {
        m_speaker.Speak(CZARN10RC(dialogResult).Get());
        return zarn::AnswerKind::Refused;
    }
    const char *key = KeyPart(scanned);
    if (scanned.flags & kZarnScanContainer) {
        m_doc.SetContainer(scanned.container, KeyDisplayText(key));
    }
    CZARN10TreeVolume *item = nullptr;
    const uint8_t result = Validate(key, item);
    if (result == kScanNoOperation) {
        return zarn::AnswerKind::Note;
    }
    zarn::AnswerKind kind = result == kScanOK               ? zarn::AnswerKind::Accepted
                            : result == kScanAlreadyScanned ? zarn::AnswerKind::Warning
                                                            : zarn::AnswerKind::Refused;
    if (result != kScanOK) {
        const CZARN30SettingsBlock &block = m_doc.settings.block;
        const bool silent = (result == kScanNotInList && block.notInListDisabled) ||
                            (result == kScanAlreadyScanned && block.alreadyScannedDisabled);
        if (!silent) {
            m_speaker.Speak(ScanResultText(result));
        } else {
            m_unspoken = ScanResultText(result);  // not said, as told, but still shown
        }
        m_doc.AddBadScan(key, result);
    }
    // The lists learn of this item and of the error added, not of the whole list.
    m_doc.ItemsChanged(item ? std::vector<CZARN10TreeVolume *>{item}
                            : std::vector<CZARN10TreeVolume *>{});
    if (result == kScanLocationError) {
        return kind;
    }
    if (!m_doc.IsPickMode()) {
        const CZARN10RC spoken = SpeakLocation(item, key);
        if (!spoken.IsOK(0)) {
            m_speaker.Speak(spoken.Get());
            m_doc.AddBadScan(key, kScanUndefined);
            m_doc.ItemsChanged({});
            kind = zarn::AnswerKind::Refused;
        }
        return kind;
    }
    if (item && !(item->volumeFlags & kZarnVolContainer) && m_doc.currentContainerNumber != -1 &&
        item->container != m_doc.currentContainerNumber) {
        item->container = m_doc.currentContainerNumber;
        m_doc.ItemsChanged({item});
    }
    AnnounceNextPick();
    return kind;
}

void CZARN30MainLogic::OnControlCharacter(char character) {
    CZARN30SettingsBlock &block = m_doc.settings.block;
    switch (character) {
        case '0':
        case '1':
        case '2': {
            static const char *const texts[] = {"Scan Mode set to volume only",
                                                "Scan Mode set to zone and volume",
                                                "Scan Mode set to zone, slot and volume"};
            m_doc.settings.scanMode = character - '0';
            m_speaker.Speak(texts[character - '0']);
            break;
        }
        case 'C':
            m_doc.SetContainer(0, "");
            m_speaker.Speak("Current container set to no container");
            break;
        case 'D':
            block.alreadyScannedDisabled = !block.alreadyScannedDisabled;
            m_speaker.Speak(block.alreadyScannedDisabled ? "Disabling duplicate scan warning"
                                                         : "Enabling duplicate scan warning");
            break;
        case 'R':
            m_speaker.Speak("Volume Repeated");
            AnnounceNextPick();
            break;
        case 'S':
            m_doc.SkipNext();
            m_speaker.Speak("Volume skipped");
            break;
        case 'W':
            block.notInListDisabled = !block.notInListDisabled;
            m_speaker.Speak(block.notInListDisabled ? "Disabling not in list warning"
                                                    : "Enabling not in list warning");
            break;
        default:
            m_speaker.Speak("unhandled control character");
            break;
    }
}

void CZARN30MainLogic::OnZoneSlot(int zone, int slot) {
    if (zone != 0) {
        zonePane = Formatted("Zone %d", zone);
        m_doc.currentZone = zone;
    }
    if (slot != 0) {
        slotPane = Formatted("Slot %d", slot);
        m_doc.currentSlot = slot;
    }
    m_doc.ClearSlotConfirmation();
    if (onPanes) {
        onPanes();
    }
    if (m_doc.IsPickMode()) {
        AnnounceNextPick();
    }
}

void CZARN30MainLogic::ScanToSlot() {
    m_doc.currentZone = 0;
    m_doc.currentSlot = 0;
    m_doc.ClearSlotConfirmation();
    RunScanDialog("Scan to Slot", kMsgVolumeForSlot, kMsgControlCharacter, kMsgZoneSlot);
}

zarn::AnswerKind CZARN30MainLogic::OnVolumeForSlot(uint8_t dialogResult,
                                                   const ZARN10BARCODEPARSED &scanned) {
    if (dialogResult != kZarnOK) {
        m_speaker.Speak(CZARN10RC(dialogResult).Get());
        return zarn::AnswerKind::Refused;
    }
    if (m_doc.currentZone == 0) {
        m_speaker.Speak("You have no current Zone");
        return zarn::AnswerKind::Refused;
    }
    if (m_doc.currentSlot == 0) {
        m_speaker.Speak("You have no current Slot");
        return zarn::AnswerKind::Refused;
    }
    const std::string customer = zarn::ReadField(scanned.customerId);
    const std::string media = zarn::ReadField(scanned.mediaId);
    const std::string volume = zarn::ReadField(scanned.volume);
    if (ConfirmsSlot(customer, media, volume)) {
        CZARN30VolumeRecord holder(customer, media, volume);
        const CZARN10RC slotted =
            SetCurrentLocation(holder, m_doc.server, m_doc.slotConfirmationRepository,
                               m_doc.slotConfirmationSlot, 0, -1);
        m_speaker.Speak(slotted.IsOK(0) ? "Volume slotted" : slotted.Get());
        return slotted.IsOK(0) ? zarn::AnswerKind::Accepted : zarn::AnswerKind::Refused;
    }
    ZARNCOORD coordinate;
    CZARN10RC result = m_doc.server.Get(&coordinate, customer.c_str(), media.c_str(),
                                        m_doc.currentZone, m_doc.currentSlot);
    ZARNZONE zone;
    if (result.IsOK(0)) {
        result = m_doc.server.Get(&zone, m_doc.currentZone);
    }
    if (!result.IsOK(0)) {
        m_speaker.Speak(result.Get());
        return zarn::AnswerKind::Refused;
    }
    m_speaker.Speak(Formatted("Please scan to confirm that you want to slot into zone %s slot %d",
                              zarn::ReadField(zone.zoneName).c_str(), m_doc.currentSlot));
    m_doc.slotConfirmationCustomer = customer;
    m_doc.slotConfirmationMedia = media;
    m_doc.slotConfirmationVolume = volume;
    m_doc.slotConfirmationRepository = zarn::ReadField(coordinate.repositoryId);
    m_doc.slotConfirmationSlot = coordinate.slot;
    m_doc.slotConfirmationZone = m_doc.currentZone;
    m_doc.slotConfirmationZoneSlot = m_doc.currentSlot;
    return zarn::AnswerKind::Note;  // asked to confirm
}

bool CZARN30MainLogic::ConfirmsSlot(const std::string &customer, const std::string &media,
                                    const std::string &volume) const {
    return !m_doc.slotConfirmationVolume.empty() && customer == m_doc.slotConfirmationCustomer &&
           media == m_doc.slotConfirmationMedia && volume == m_doc.slotConfirmationVolume &&
           m_doc.currentZone == m_doc.slotConfirmationZone &&
           m_doc.currentSlot == m_doc.slotConfirmationZoneSlot;
}

void CZARN30MainLogic::SlotAllocationScan() {
    slotAllocationResults.Reset();
    RunScanDialog("Scan to set Slot Allocation Flag", kMsgVolumeForSlotAllocation, 0, 0);
    slotAllocationResults.Display(0, nullptr);
}

zarn::AnswerKind CZARN30MainLogic::OnVolumeForSlotAllocation(uint8_t dialogResult,
                                                             const ZARN10BARCODEPARSED &scanned) {
    if (dialogResult != kZarnOK) {
        slotAllocationResults.Add(dialogResult, "Unknown");
        m_unspoken = CZARN10RC(dialogResult).Get();
        return zarn::AnswerKind::Refused;
    }
    CZARN30VolumeRecord holder(zarn::ReadField(scanned.customerId),
                               zarn::ReadField(scanned.mediaId), zarn::ReadField(scanned.volume));
    CZARN10RC result = holder.Read(m_doc.server);
    if (result.IsOK(0)) {
        holder.record.flags &= ~kZarnVolSlotAllocated;
        // The first field of the current location entry: the store keeps the repository.
        std::memset(holder.record.locations[0].repositoryId, 0, 4);
        result = m_doc.server.Update(&holder.record);
        holder.Read(m_doc.server);
    }
    slotAllocationResults.Add(result, "%s.%s.%s", holder.customer.c_str(), holder.media.c_str(),
                              holder.volume.c_str());
    m_unspoken = result.Get();  // the allocation scan is answered in its result list, silently
    return result.IsOK(0) ? zarn::AnswerKind::Accepted : zarn::AnswerKind::Refused;
}

bool CZARN30MainLogic::PrintReceipts() {
    if (!m_doc.HasReceiptsToPrint()) {
        m_speaker.Speak(kNothingToPrint);
        m_doc.Ui().MessageBox(std::string(kNothingToPrint) +
                                  ": no volume on the To-Scan list is scanned or still to scan.",
                              "Print Receipts", zarn::kBoxOk | zarn::kBoxIconInformation);
        return true;
    }
    doneFlags |= kDoneReceiptsPrinted;
    const bool printed = m_doc.PrintReceipts();
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
    return printed;
}

void CZARN30MainLogic::AutoComplete() {
    CZARN10ProgressWnd progress(2, nullptr);
    progress.SetTitle("Auto Complete");
    progress.Start();
    progress.SetLine1("Updating Volumes");
    const HeldWrites held(m_writesHeld);
    CZARN10RCList results;
    const int failed = m_doc.AutoComplete(
        results,
        [&](const std::vector<CZARN10TreeVolume *> &items, std::vector<std::string> &reasons) {
            return WriteBatch(items, progress, reasons);
        });
    progress.Stop();
    if (failed != 0) {
        results.Display(0, nullptr);
    }
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
}

void CZARN30MainLogic::ClearSelected() {
    m_doc.ResetLists(0);
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
}
