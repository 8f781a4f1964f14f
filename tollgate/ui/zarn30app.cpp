#include "zarn30app.h"

#include "zarn30journal.h"

#include <cstdio>

#include "badscanwarning.h"
#include "filterdialog.h"
#include "queryexceptionwindow.h"
#include "zarnbarcode.h"
#include "zarnfirstrun.h"
#include "zarnpasswordprompt.h"
#include "zarnresources.h"
#include "zarnsession.h"

const char CZARN30App::kProgramName[] = "Kestrava Tollgate";
const char CZARN30App::kBuildDate[] = __DATE__;
const char CZARN30App::kBuildTime[] = __TIME__;

namespace {

zarn::WinAppServices Framework(bool replay, zarn::UiServices &qtUi,
                               zarn::DesktopServices &qtDesktop, CZARN30ReplayAnswers &answers,
                               const std::string &programPath) {
    zarn::WinAppServices services;
    services.ui = replay ? static_cast<zarn::UiServices *>(&answers) : &qtUi;
    services.desktop = replay ? static_cast<zarn::DesktopServices *>(&answers) : &qtDesktop;
    services.programPath = programPath;
    services.installCrashHandler = true;
    return services;
}

}  // namespace

CZARN30App::CZARN30App(std::vector<std::string> arguments, CZARN30Options options,
                       std::string programPath)
    : zarn::CZARNWinApp("ZARNTollgate", std::move(arguments),
                        Framework(!options.replayFile.empty(), m_qtUi, m_qtDesktop, m_replayAnswers,
                                  programPath)),
      m_options(std::move(options)),
      m_programPath(std::move(programPath)) {}

CZARN30App::~CZARN30App() {
    m_replay.reset();
    m_frame.reset();
    m_doc.reset();  // writes the settings back
    if (m_journal) {
        m_journal->Close();  // gone when nothing is left unwritten
    }
    zarn::SetPresenterFactory(nullptr);
}

CZARN30FrameServices CZARN30App::Services() {
    const bool replay = !m_options.replayFile.empty();
    CZARN30FrameServices services;
    services.ui = &Ui();
    services.desktop = &Desktop();
    services.logoPath = zarn::FindResource(m_programPath, "Kestrava_Logo.jpg");
    services.documentationPath = zarn::FindResource(m_programPath, "doc/tollgate.html");
    if (replay) {
        services.exportDialogs = &m_replayAnswers;
        services.filterDialog = &m_replayAnswers;
        services.scanErrorWarning = &m_replayAnswers;
        services.queryExceptions = &m_replayAnswers;
    } else {
        services.exportDialogs = &m_exportDialogs;
        services.filterDialog = m_filterDialog.get();
        services.scanErrorWarning = m_scanErrorWarning.get();
        services.queryExceptions = m_queryExceptions.get();
    }
    const std::string speechLog = m_options.speechLog;
    const std::string sounds = zarn::ResourceFolder(m_programPath) + "/sounds";
    services.voice = [speechLog, sounds]() -> std::unique_ptr<zarn::Voice> {
        std::string error;
        std::unique_ptr<zarn::Voice> voice = speechLog.empty()
                                                 ? zarn::CreateStationVoice(sounds, error)
                                                 : zarn::CreateFileVoice(speechLog, error);
        if (!voice) {
            std::fprintf(stderr, "ZARNTollgate: no voice: %s\n", error.c_str());
        }
        return voice;
    };
    return services;
}

// Before the first log-on, which offers what an interrupted session left unwritten. A journal
// that cannot be read is set aside whole (never half used) and the operator told at log-on.
void CZARN30App::OpenSessionJournal() {
    m_journal = std::make_unique<CZARN30Journal>();
    std::string error;
    if (!m_journal->Open(CZARN30Journal::DefaultPath(), error)) {
        const std::string aside = m_journal->SetAside();
        m_frame->Logic().journalNotice = "The session journal could not be read (" + error +
                                         "); it is kept as " + aside + " and a new one is begun.";
    }
    m_doc->journal = m_journal.get();
}

bool CZARN30App::InitInstance() {
    const bool replay = !m_options.replayFile.empty();
    std::vector<std::string> lines;
    std::string error;
    if (replay && !zarn::CZARNReplay::ReadLines(m_options.replayFile, lines, error)) {
        std::fprintf(stderr, "ZARNTollgate: %s\n", error.c_str());
        return false;
    }
    const std::string splash = zarn::FindResource(m_programPath, "tollgate-splash.png");
    InitFramework(kProgramName, splash.c_str(), kBuildDate);
    RegisterTollgateMenus();
    const zarn::ServerAddress &server = Server();
    if (server.host.empty()) {
        zarn::PrepareEmbeddedStore(kProgramName);  // a fresh user gets the demo world
    }
    m_doc = std::make_unique<CZARN30Doc>(
        GetProfile(), Ui(),
        CZARN30LogonDetails{server.host, server.port, server.user, server.password});
    zarn::SetPresenterFactory(replay ? static_cast<zarn::PresenterFactory *>(&m_replayPresenters)
                                     : &m_presenters);
    m_context.list = {&Ui(),         &Desktop(),
                      &GetProfile(), &m_exportDialogs,
                      kProgramName,  zarn::FindResource(m_programPath, "Kestrava_Logo.jpg")};
    m_filterDialog = std::make_unique<QtFilterDialog>(nullptr);
    m_scanErrorWarning = std::make_unique<QtScanErrorWarning>(m_context, nullptr);
    m_queryExceptions = std::make_unique<QtQueryExceptionPresenter>(m_context, nullptr);
    m_frame = std::make_unique<CMainFrame>(*this, *m_doc, Services());
    OpenSessionJournal();
    m_presenters.SetParent(m_frame.get());
    if (!replay) {
        m_doc->server.SetPasswordPrompt(zarn::PasswordPrompt([this] { return m_frame.get(); }));
        m_receiptPrinter = std::make_unique<QtReceiptPrinter>(m_doc->server, m_frame.get());
        m_doc->receiptPrinter = m_receiptPrinter.get();
    }
    m_frame->showMaximized();
    if (replay || !m_options.splash) {
        zarn::SendWindowMessage(&m_frame->Logic(), {zarn::kMsgSplashClosed, 0, 0, {}});
    } else {
        new zarn::CZARNSplash(m_frame.get(), &m_frame->Logic(), QString::fromStdString(splash),
                              &m_splashShowing, kProgramName, kBuildDate, kBuildTime);
    }
    ReadStationConfiguration("ZARNTollgate.cfg", [this](const config_t *configuration) {
        std::string problem;
        m_doc->server.Session()->grammar = zarn::GrammarFrom(configuration, &problem);
        return problem;
    });
    if (replay) {
        m_replay = MakeTollgateReplay(*m_frame, m_replayAnswers, std::move(lines));
        m_replay->Start();
    }
    return true;
}
