// "&Update Server": every scanned volume written to the server in one pass, with a progress
// window and a result list.
#include <algorithm>
#include <chrono>
#include <memory>

#include "zarn10progresswnd.h"
#include "zarn10rclist.h"
#include "zarn30scanning.h"
#include "zarn30update.h"
#include "zarnstationlog.h"

const char kUpdateVerificationText[] = "Are are sure you want to update the server?";
const char kResultListCancelledText[] =
    "You have cancelled the Result List, do you want to reset the Scaned List anyway?";

const char kScanErrorWarningText[] =
    "Some of the volumes that were scanned were either not in the selection list, or were "
    "scanned more than once. ";

namespace {

void LogWrite(const CZARN10TreeVolume &item, const std::string &reason, std::size_t &written,
              std::size_t &refused) {
    const CZARN10RC result(item.result);
    if (result.IsOK(1)) {  // "no change" is no refusal
        ++written;
        return;
    }
    ++refused;
    LogRefusedWrite(item, reason);
}

}  // namespace

bool CZARN30MainLogic::WriteBatch(const std::vector<CZARN10TreeVolume *> &items,
                                  CZARN10ProgressWnd &progress, std::vector<std::string> &reasons) {
    std::vector<int> directions;
    std::vector<CZARN30JournalScan> moves;
    for (const CZARN10TreeVolume *item : items) {
        CZARN30PreparedMove prepared =
            PrepareItemMove(*item, Direction(), 1, m_doc.IsPickMode() ? 1 : 0);
        directions.push_back(prepared.direction);
        moves.push_back(std::move(prepared.move));
    }
    auto outcome = std::make_shared<CZARN30WriteOutcome>();
    const uint64_t ticket =
        m_writer->Submit(m_doc.server, [moves = std::move(moves), outcome](CZARN10MFC &server) {
            *outcome = WriteMovesTogether(moves, server);
        });
    // The progress window stays live while the server works, and its Cancel is heard.
    while (!m_writer->WaitFor(ticket, std::chrono::milliseconds(50))) {
        if (progress.HasCancelled()) {
            return false;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        RecordWrite(*items[i], outcome->codes[i], directions[i]);
    }
    reasons = outcome->reasons;
    return true;
}

void CZARN30MainLogic::UpdateServer() {
    doneFlags |= kDoneServerUpdated;
    zarn::UiServices &ui = m_doc.Ui();
    if (!m_doc.errorList.empty()) {
        const bool clear =
            scanErrorWarning
                ? scanErrorWarning->Run(m_doc.errorList)
                : ui.MessageBox(kScanErrorWarningText, "Scan Error Warning",
                                zarn::kBoxOkCancel | zarn::kBoxIconWarning) == zarn::kAnswerOk;
        if (!clear) {
            return;
        }
    }
    if (ui.MessageBox(kUpdateVerificationText, "Update Verification",
                      zarn::kBoxYesNo | zarn::kBoxIconQuestion) != zarn::kAnswerYes) {
        return;
    }
    CZARN10ProgressWnd progress(2, nullptr);
    progress.SetTitle("Updating Volumes");
    progress.Start();
    progress.SetLine1("Updating Volumes");
    // The scans the writer has under way end first; no other is handed to it meanwhile.
    const HeldWrites held(m_writesHeld);
    if (!FinishWritesFirst(progress)) {
        progress.Stop();
        return;
    }
    const std::size_t count = m_doc.toScanList.size();
    progress.SetPosition(0, static_cast<unsigned>(count));
    CZARN10RCList results;
    std::size_t written = 0, refused = 0;
    // Written a thousand at a time: one durable commit for each batch, and the progress
    // window redrawn once per batch rather than once per volume.
    constexpr std::size_t kBatch = 1000;
    for (std::size_t first = 0; first < count && !progress.HasCancelled(); first += kBatch) {
        const std::size_t last = std::min(count, first + kBatch);
        progress.SetLine2("Processing Volume: %s",
                          m_doc.toScanList[first]->GetDisplayKey().c_str());
        std::vector<CZARN10TreeVolume *> scanned;
        for (std::size_t i = first; i < last; ++i) {
            if (m_doc.toScanList[i]->state == 1) {
                scanned.push_back(m_doc.toScanList[i]);
            }
        }
        std::vector<std::string> reasons;
        if (!WriteBatch(scanned, progress, reasons)) {
            break;  // cancelled: what was not written stays scanned, for the next update
        }
        m_doc.SettleMoves(scanned);
        for (std::size_t i = 0; i < scanned.size(); ++i) {
            results.Add(scanned[i]->result, "%s", DescribedWrite(*scanned[i], reasons[i]).c_str());
            LogWrite(*scanned[i], reasons[i], written, refused);
        }
        progress.SetPosition(static_cast<unsigned>(last), static_cast<unsigned>(count));
    }
    progress.Stop();
    m_doc.KeepListedWaitingWrites();  // written here, whatever the result list's answer
    qCInfo(lcServerUpdate).noquote()
        << "server update:" << written << "volumes written," << refused
        << (progress.HasCancelled() ? "refused, cancelled before the end" : "refused");
    if (results.Display(0, nullptr) == 2 &&
        ui.MessageBox(kResultListCancelledText, "Result List Cancelled?",
                      zarn::kBoxYesNo | zarn::kBoxIconQuestion) != zarn::kAnswerYes) {
        return;
    }
    m_doc.ResetListsAfterUpdate();
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
}
