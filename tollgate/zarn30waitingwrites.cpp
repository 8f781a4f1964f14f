// Real-time writes while the server cannot be reached: scanning goes on, judged against the
// lists as always; the writes wait in scan order (each is in the session journal) and go to
// the server once it answers again.
#include <cstdio>

#include "zarn30scanning.h"
#include "zarn30update.h"
#include "zarnfields.h"
#include "zarnstationlog.h"

const char kWritesWaitingText[] =
    "The server cannot be reached: scans are kept and will be written";

namespace {

bool StillWaiting(const CZARN10TreeVolume &item) {
    return !item.updated && !IsSettled(item.result);
}

}  // namespace

void CZARN30MainLogic::WriteWaiting() {
    std::vector<CZARN10TreeVolume *> &waiting = m_doc.waitingWrites;
    if (waiting.empty() || m_writingWaiting) {
        return;  // nothing waits, or this is a call from inside the writes (a nested loop)
    }
    m_writingWaiting = true;
    WriteWaitingInOrder(waiting);
    m_writingWaiting = false;
    ShowWaitingResults();
}

void CZARN30MainLogic::WriteWaitingInOrder(std::vector<CZARN10TreeVolume *> &waiting) {
    const int scannedOut = m_doc.IsPickMode() ? 1 : 0;
    // The first alone: while the server stays away, a scan costs one failed try, not one per
    // waiting write.
    UpdateVolume(*waiting.front(), m_doc.server, Direction(), 1, scannedOut);
    if (StillWaiting(*waiting.front())) {
        return;
    }
    const std::vector<CZARN10TreeVolume *> rest(waiting.begin() + 1, waiting.end());
    UpdateVolumes(rest, m_doc.server, Direction(), 1, scannedOut);
    m_doc.SettleMoves(waiting);
    std::size_t written = 0;
    std::size_t refused = 0;
    std::vector<CZARN10TreeVolume *> left;
    for (CZARN10TreeVolume *item : waiting) {
        if (StillWaiting(*item)) {
            left.push_back(item);  // the server went away again in the middle
        } else if (item->updated) {
            ++written;
        } else {
            ++refused;
            m_waitingResults.Add(item->result, "%s", item->GetDisplayKey().c_str());
        }
    }
    waiting = std::move(left);
    SayWrittenAndRefused("Server reached again", written, refused);
    m_doc.UpdateAllViews(nullptr, zarn::kHintListsChanged);
}

void CZARN30MainLogic::SayWrittenAndRefused(const char *what, std::size_t written,
                                            std::size_t refused) {
    char said[160];
    std::snprintf(said, sizeof said, "%s: %zu written, %zu refused", what, written, refused);
    qCInfo(lcServerUpdate).noquote() << said;
    m_speaker.Speak(said);
}

void CZARN30MainLogic::ShowWaitingResults() {
    if (m_waitingResults.Entries().empty() || m_scanDialogOpen) {
        return;
    }
    m_waitingResults.Display(0, nullptr);
    m_waitingResults.Reset();
}
