// Real-time writes off the window's thread: a scan's write goes to the server on the writer's
// own connection, and its answer waits for it no longer than kWriteAnswerWait. A write that
// takes longer, or that the server cannot take now, waits in scan order (each in the session
// journal) while scanning goes on, judged against the lists as always; its result is taken
// when it comes: a refusal is spoken and listed then, and after an outage the operator hears
// how many were written and refused.
#include <algorithm>
#include <cstdio>
#include <unordered_set>

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

void CZARN30MainLogic::WriteScanned(CZARN10TreeVolume &item) {
    const bool behindOthers = !m_doc.waitingWrites.empty();
    item.updated = 0;
    item.result = kZarnServerUnavailable;  // waiting, until its write has ended
    m_doc.waitingWrites.push_back(&item);
    if (behindOthers) {
        JournalScan(item);  // written in scan order, behind the writes that wait
        WriteWaiting();
        return;
    }
    HandOverWaiting();
    if (m_inFlight && m_writer->WaitFor(m_inFlight->ticket, kWriteAnswerWait)) {
        m_answeringWrite = true;
        TakeEndedWrite();
        m_answeringWrite = false;
    }
    // A scan the store holds (or refused for good, and said so) needs no record of its own;
    // one whose write has not ended is recorded before it is answered.
    if (StillWaiting(item)) {
        JournalScan(item);
    }
}

void CZARN30MainLogic::PrepareWriter() {
    if (m_doc.settings.block.realTimeUpdate && !m_inFlight) {
        m_writer->Submit(m_doc.server, [](CZARN10MFC &) {});  // it logs on before the task
    }
}

void CZARN30MainLogic::HandOverWaiting() {
    if (m_inFlight || m_doc.waitingWrites.empty() || m_writesHeld) {
        return;
    }
    WriteInFlight flight;
    flight.items = m_doc.waitingWrites;
    std::vector<CZARN30JournalScan> moves;
    const int scannedOut = m_doc.IsPickMode() ? 1 : 0;
    for (const CZARN10TreeVolume *item : flight.items) {
        flight.moves.push_back(PrepareItemMove(*item, Direction(), 1, scannedOut));
        moves.push_back(flight.moves.back().move);
    }
    flight.outcome = std::make_shared<CZARN30WriteOutcome>();
    flight.ticket = m_writer->Submit(
        m_doc.server, [moves = std::move(moves), outcome = flight.outcome](CZARN10MFC &server) {
            *outcome = WriteMovesInOrder(moves, server);
        });
    m_inFlight = std::move(flight);
}

void CZARN30MainLogic::WriteWaiting() {
    TakeEndedWrite();
    HandOverWaiting();
    ShowWaitingResults();
}

void CZARN30MainLogic::OnWriteEnded() {
    if (TakeEndedWrite()) {
        HandOverWaiting();  // scans that came while it was under way
    }
    ShowWaitingResults();
}

bool CZARN30MainLogic::FinishWrites(std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + wait;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (m_inFlight && !m_writer->WaitFor(m_inFlight->ticket,
                                             std::max(left, std::chrono::milliseconds::zero()))) {
            return false;
        }
        if (!TakeEndedWrite() || m_doc.waitingWrites.empty() || m_writesHeld) {
            return true;
        }
        HandOverWaiting();  // the scans that came while it was under way
    }
}

bool CZARN30MainLogic::FinishWritesFirst(CZARN10ProgressWnd &progress) {
    progress.SetLine2("Waiting for the scans being written");
    while (!FinishWrites(std::chrono::milliseconds(100))) {
        if (progress.HasCancelled()) {
            return false;
        }
    }
    return true;
}

bool CZARN30MainLogic::TakeEndedWrite() {
    if (!m_inFlight || !m_writer->HasEnded(m_inFlight->ticket)) {
        return true;
    }
    const WriteInFlight flight = std::move(*m_inFlight);
    m_inFlight.reset();
    // Items dropped from the lists while the write was under way are not touched: the tree
    // they belonged to may be gone. The journal is settled by key all the same.
    const std::unordered_set<const CZARN10TreeVolume *> listed(m_doc.waitingWrites.begin(),
                                                               m_doc.waitingWrites.end());
    std::vector<std::string> settled;
    std::vector<CZARN10TreeVolume *> changed;
    bool reached = true;
    for (std::size_t i = 0; i < flight.items.size(); ++i) {
        const uint8_t code = flight.outcome->codes[i];
        if (!IsSettled(code)) {
            reached = false;  // still waiting, as it was
            continue;
        }
        const CZARN30JournalScan &move = flight.moves[i].move;
        settled.push_back(CZARN30Journal::KeyOf(move.customer, move.media, move.volume));
        CZARN10TreeVolume *item = flight.items[i];
        if (!listed.count(item)) {
            continue;
        }
        RecordWrite(*item, code, flight.moves[i].direction);
        changed.push_back(item);
        if (CZARN10RC(code).IsOK(1)) {
            ++m_writtenSinceOutage;
        } else {
            ++m_refusedSinceOutage;
            TakeRefusal(*item, flight.outcome->reasons[i]);
        }
    }
    m_doc.SettleKeys(settled);
    std::erase_if(m_doc.waitingWrites, [&](const CZARN10TreeVolume *item) {
        return listed.count(item) && !StillWaiting(*item);
    });
    if (!reached && !m_outageSaid) {
        m_outageSaid = true;
        m_writtenSinceOutage = m_refusedSinceOutage = 0;
        m_speaker.Speak(kWritesWaitingText);
    }
    if (m_outageSaid && m_doc.waitingWrites.empty()) {
        m_outageSaid = false;
        SayWrittenAndRefused("Server reached again", m_writtenSinceOutage, m_refusedSinceOutage);
    }
    if (!changed.empty() && !m_answeringWrite) {  // the answer itself tells the lists
        m_doc.ItemsChanged(std::move(changed));
    }
    return reached;
}

// Refused: the scan stays listed, and "&Update Server" tries it again. Inside its own answer
// the refusal is spoken with it; a refusal that comes later is spoken and listed too, and
// after an outage the count says it and the list shows it.
void CZARN30MainLogic::TakeRefusal(const CZARN10TreeVolume &item, const std::string &reason) {
    LogRefusedWrite(item, reason);
    if (!m_outageSaid) {
        m_speaker.Speak(CZARN10RC(item.result).Get());
    }
    if (!m_answeringWrite) {
        m_waitingResults.Add(item.result, "%s", DescribedWrite(item, reason).c_str());
    }
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
    // Taken before it is shown: writes that end while the list is open start a list of their own.
    CZARN10RCList shown = m_waitingResults;
    m_waitingResults.Reset();
    shown.Display(0, nullptr);
}
