#include "zarnshelverapp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <cstdio>
#include <map>

#include "ui_scandialogbar.h"
#include "zarnbarcode.h"
#include "zarnfirstrun.h"
#include "zarnpasswordprompt.h"
#include "zarnqtscandialog.h"
#include "zarnresources.h"
#include "zarnsession.h"
#include "zarnsplash.h"

const char CZARNShelverApp::kProgramName[] = "Kestrava Shelver";
const char CZARNShelverApp::kBuildDate[] = __DATE__;
const char CZARNShelverApp::kBuildTime[] = __TIME__;

namespace {

zarn::WinAppServices Framework(bool replay, zarn::UiServices &qtUi,
                               zarn::DesktopServices &qtDesktop, zarn::ReplayAnswers &answers,
                               const std::string &programPath) {
    zarn::WinAppServices services;
    services.ui = replay ? static_cast<zarn::UiServices *>(&answers) : &qtUi;
    services.desktop = replay ? static_cast<zarn::DesktopServices *>(&answers) : &qtDesktop;
    services.programPath = programPath;
    services.installCrashHandler = true;
    return services;
}

// The Shelver's replay commands: "@scan", "@zone NAME", "@slot N",
// "@option auto-increment|presume-new|add-suffix|no-container-slot on|off",
// "@export FORM PATH" (FORM text or xml; the whole list).
bool RunCommand(CMainFrame &frame, zarn::ReplayAnswers &answers, const std::string &command,
                const std::string &argument) {
    Ui::CScanDialogBar &bar = frame.ScanBarWindow().Controls();
    if (command == "scan") {
        frame.Scan();
        return true;
    }
    if (command == "zone") {
        const int index = bar.zone->findText(QString::fromStdString(argument));
        bar.zone->setCurrentIndex(index);
        return index >= 0;
    }
    if (command == "slot") {
        bar.slot->setText(QString::fromStdString(argument));
        return true;
    }
    if (command == "option") {
        const std::map<std::string, QCheckBox *> boxes = {
            {"auto-increment", bar.autoIncrement},
            {"presume-new", bar.presumeNew},
            {"add-suffix", bar.addSuffix},
            {"no-container-slot", bar.noContainerSlot}};
        const size_t space = argument.find(' ');
        const auto found = boxes.find(argument.substr(0, space));
        if (found == boxes.end() || space == std::string::npos) {
            return false;
        }
        found->second->setChecked(argument.substr(space + 1) == "on");
        return true;
    }
    if (command == "export") {
        const size_t space = argument.find(' ');
        if (space == std::string::npos) {
            return false;
        }
        frame.List().SelectAll();
        answers.files.push_back(argument.substr(space + 1));
        if (argument.substr(0, space) == "xml") {
            frame.List().Exporter().ExportXml(zarn::kOpenNever);
        } else {
            frame.List().Exporter().ExportText("Kestrava Shelver Scanned Objects", "",
                                               zarn::kOpenNever);
        }
        return true;
    }
    return false;
}

}  // namespace

CZARNShelverApp::CZARNShelverApp(std::vector<std::string> arguments, CZARNShelverOptions options,
                                 std::string programPath)
    : zarn::CZARNWinApp("ZARNShelver", std::move(arguments),
                        Framework(!options.replayFile.empty(), m_qtUi, m_qtDesktop, m_replayAnswers,
                                  programPath)),
      m_options(std::move(options)),
      m_programPath(std::move(programPath)) {}

CZARNShelverApp::~CZARNShelverApp() {
    m_replay.reset();
    m_frame.reset();
    m_doc.reset();
    zarn::SetPresenterFactory(nullptr);
}

bool CZARNShelverApp::InitInstance() {
    const bool replay = !m_options.replayFile.empty();
    std::vector<std::string> lines;
    std::string error;
    if (replay && !zarn::CZARNReplay::ReadLines(m_options.replayFile, lines, error)) {
        std::fprintf(stderr, "ZARNShelver: %s\n", error.c_str());
        return false;
    }
    const std::string splash = zarn::FindResource(m_programPath, "tollgate-splash.png");
    InitFramework(kProgramName, splash.c_str(), kBuildDate);
    RegisterShelverMenus();
    m_doc = std::make_unique<CZARNShelverDoc>();
    // The Shelver sets no log-on details: the server comes from the command line or the
    // environment through the framework, else the embedded store.
    const zarn::ServerAddress &server = Server();
    if (server.host.empty()) {
        zarn::PrepareEmbeddedStore(kProgramName);  // a fresh user gets the demo world
    }
    m_doc->server.SetLogonDetails(server.host.c_str(), server.port, server.user.c_str(),
                                  server.password.c_str());
    zarn::SetPresenterFactory(&m_presenters);
    CZARNShelverServices services;
    services.list = {
        &Ui(),
        &Desktop(),
        &GetProfile(),
        replay ? static_cast<zarn::ExportDialogs *>(&m_replayAnswers) : &m_exportDialogs,
        kProgramName,
        zarn::FindResource(m_programPath, "Kestrava_Logo.jpg")};
    const std::string speechLog = m_options.speechLog;
    const std::string sounds = zarn::ResourceFolder(m_programPath) + "/sounds";
    services.voice = [speechLog, sounds]() -> std::unique_ptr<zarn::Voice> {
        std::string failed;
        std::unique_ptr<zarn::Voice> voice = speechLog.empty()
                                                 ? zarn::CreateStationVoice(sounds, failed)
                                                 : zarn::CreateFileVoice(speechLog, failed);
        if (!voice) {
            std::fprintf(stderr, "ZARNShelver: no voice: %s\n", failed.c_str());
        }
        return voice;
    };
    m_frame = std::make_unique<CMainFrame>(*this, m_doc->server, services);
    m_presenters.SetParent(m_frame.get());
    if (!replay) {
        m_doc->server.SetPasswordPrompt(zarn::PasswordPrompt([this] { return m_frame.get(); }));
    }
    m_frame->show();
    // The Shelver's own configuration: its bar-code grammar and variables, as the Tollgate's.
    ReadStationConfiguration("ZARNShelver.cfg", [this](const config_t *configuration) {
        std::string problem;
        m_doc->server.Session()->grammar = zarn::GrammarFrom(configuration, &problem);
        return problem;
    });
    if (replay || !m_options.splash) {
        zarn::SendWindowMessage(m_frame->Messages(), {zarn::kMsgSplashClosed, 0, 0, {}});
    } else {
        new zarn::CZARNSplash(m_frame.get(), m_frame->Messages(), QString::fromStdString(splash),
                              &m_splashShowing, kProgramName, kBuildDate, kBuildTime);
    }
    if (replay) {
        zarn::ReplayScanDialog dialog{
            []() -> QWidget * { return zarn::QtScanDialog::Current(); },
            []() {
                if (zarn::QtScanDialog *open = zarn::QtScanDialog::Current()) {
                    open->FinishAfterTyping();
                }
            }};
        CMainFrame &frame = *m_frame;
        zarn::ReplayAnswers &answers = m_replayAnswers;
        m_replay = std::make_unique<zarn::CZARNReplay>(
            std::move(lines), m_replayAnswers, std::move(dialog),
            [&frame, &answers](const std::string &command, const std::string &argument) {
                return RunCommand(frame, answers, command, argument);
            },
            [&frame]() { frame.close(); });
        m_replay->Start();
    }
    return true;
}
