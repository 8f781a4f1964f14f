// The scanning's side of the session journal: each accepted scan recorded before it is
// answered, each write that ended marked, and the scans an interrupted session left unwritten
// offered at the next start.
#include <algorithm>
#include <cstdio>

#include "zarn10progresswnd.h"
#include "zarn10rclist.h"
#include "zarn30scanning.h"
#include "zarn30update.h"
#include "zarnfields.h"
#include "zarnstationlog.h"

const char kRestoreSessionText[] = "Restore the interrupted session: %zu scans not yet written?";
const char kRestoredText[] = "Interrupted session restored: %zu on the list, %zu scanned";
const char kJournalFailedText[] =
    "The session journal cannot be written: scans are kept in memory only";

void CZARN30MainLogic::JournalScan(const CZARN10TreeVolume &item) {
    if (!m_doc.JournalMove(item) && !m_journalFailureSaid) {
        m_journalFailureSaid = true;
        m_speaker.Speak(kJournalFailedText);
    }
}

void CZARN30MainLogic::OfferRestore() {
    zarn::UiServices &ui = m_doc.Ui();
    if (!journalNotice.empty()) {
        ui.MessageBox(journalNotice.c_str(), "Session Journal",
                      zarn::kBoxOk | zarn::kBoxIconWarning);
        journalNotice.clear();
    }
    // Offered at the first log-on to each server: later log-ons in the run would offer the
    // session's own scans, which are its lists' to write.
    if (!m_doc.journal || !m_restoreOfferedFor.insert(m_doc.ServerId()).second) {
        return;
    }
    std::vector<CZARN30JournalScan> scans;
    if (!m_doc.journal->Unwritten(scans)) {
        const std::string aside = m_doc.journal->SetAside();
        const std::string text = "The session journal cannot be read (" +
                                 m_doc.journal->LastError() +
                                 "); nothing of it was used. It is kept as " + aside;
        ui.MessageBox(text.c_str(), "Session Journal", zarn::kBoxOk | zarn::kBoxIconWarning);
        return;
    }
    // Only what is owed to this server is offered; moves owed to another wait for a log-on
    // there.
    const std::string here = m_doc.ServerId();
    const std::size_t elsewhere = static_cast<std::size_t>(
        std::count_if(scans.begin(), scans.end(),
                      [&](const CZARN30JournalScan &scan) { return scan.server != here; }));
    std::erase_if(scans, [&](const CZARN30JournalScan &scan) { return scan.server != here; });
    if (elsewhere != 0) {
        const std::string text = std::to_string(elsewhere) +
                                 " scans of an interrupted session are owed to another server;"
                                 " they are kept until this station logs on to it.";
        qCInfo(lcServerUpdate).noquote() << text.c_str();
        ui.MessageBox(text.c_str(), "Interrupted Session",
                      zarn::kBoxOk | zarn::kBoxIconInformation);
    }
    if (scans.empty()) {
        return;
    }
    char question[160];
    std::snprintf(question, sizeof question, kRestoreSessionText, scans.size());
    if (ui.MessageBox(question, "Interrupted Session", zarn::kBoxYesNo | zarn::kBoxIconQuestion) !=
        zarn::kAnswerYes) {
        const std::string aside = m_doc.journal->SetAside();
        const std::string text = "The interrupted session's scans are kept in " + aside;
        qCInfo(lcServerUpdate).noquote() << text.c_str();
        ui.MessageBox(text.c_str(), "Interrupted Session",
                      zarn::kBoxOk | zarn::kBoxIconInformation);
        return;
    }
    RestoreSession(scans);
}

// The lists made again as they were, when the journal kept them and the tree holds their
// volumes: the scanned volumes marked, their writes waiting as before the stop (for the
// writer with real-time update on, for "&Update Server" without). Moves of volumes that are
// not listed again are written at once.
void CZARN30MainLogic::RestoreSession(const std::vector<CZARN30JournalScan> &scans) {
    std::vector<std::string> listed;
    if (!m_doc.treeRoot || !m_doc.journal->Listed(listed) || listed.empty()) {
        WriteRestoredScans(scans);
        return;
    }
    std::vector<CZARN30JournalScan> unlisted;
    const std::vector<CZARN10TreeVolume *> scanned = m_doc.RestoreLists(listed, scans, unlisted);
    char said[160];
    std::snprintf(said, sizeof said, kRestoredText, m_doc.toScanList.size(), scanned.size());
    qCInfo(lcServerUpdate).noquote() << said;
    m_speaker.Speak(said);
    if (m_doc.settings.block.realTimeUpdate) {
        for (CZARN10TreeVolume *item : scanned) {
            item->result = kZarnServerUnavailable;  // waiting, as before the stop
            m_doc.waitingWrites.push_back(item);
        }
        HandOverWaiting();
    }
    if (!unlisted.empty()) {
        WriteRestoredScans(unlisted);
    }
}

// Written in scan order, each as the server update would have written it; the result list
// shows every answer.
void CZARN30MainLogic::WriteRestoredScans(const std::vector<CZARN30JournalScan> &scans) {
    CZARN10ProgressWnd progress(2, nullptr);
    progress.SetTitle("Restoring the Interrupted Session");
    progress.Start();
    progress.SetLine1("Updating Volumes");
    CZARN10RCList results;
    std::size_t written = 0;
    std::size_t refused = 0;
    std::vector<std::string> settled;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        const CZARN30JournalScan &scan = scans[i];
        CZARN30VolumeRecord holder(scan.customer, scan.media, scan.volume);
        const CZARN10RC result = MoveVolume(holder, m_doc.server, scan.repository, scan.slot,
                                            scan.container, scan.scannedOut);
        const std::string key = zarn::DisplayKey(scan.customer, scan.media, scan.volume);
        results.Add(result.Code(), "%s", key.c_str());
        (result.IsOK(1) ? written : refused) += 1;
        if (IsSettled(result.Code())) {
            settled.push_back(CZARN30Journal::KeyOf(scan.customer, scan.media, scan.volume));
        }
        progress.SetPosition(static_cast<unsigned>(i + 1), static_cast<unsigned>(scans.size()));
    }
    progress.Stop();
    m_doc.journal->Settle(settled);
    SayWrittenAndRefused("Interrupted session", written, refused);
    results.Display(0, nullptr);
}
