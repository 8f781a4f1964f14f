#include "zarnwinapp.h"

#include <QUuid>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "zarnassistance.h"
#include "zarnclock.h"
#include "zarncrash.h"
#include "zarndeployment.h"
#include "zarnregistry.h"
#include "zarnstationlog.h"
#include "zarnupdatecheck.h"

namespace zarn {
namespace {

const char kRuntime[] = "Runtime";

std::string LastRunText(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[128];
    std::strftime(text, sizeof text, "%A, %B %d, %Y - %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string FirstPlainArgument(const std::vector<std::string> &arguments) {
    for (const std::string &argument : arguments) {
        if (!argument.empty() && argument[0] != '-') {
            return argument;
        }
    }
    return "";
}

CZARNWinApp::CZARNWinApp(std::string application, std::vector<std::string> arguments,
                         WinAppServices services)
    : m_application(std::move(application)),
      m_arguments(std::move(arguments)),
      m_services(services) {
    config_init(&m_configuration);
    VariablesInit(&m_variables, &m_configuration, 1);
}

CZARNWinApp::~CZARNWinApp() {
    VariablesDestroy(&m_variables);
    config_destroy(&m_configuration);
}

std::string CZARNWinApp::ProgramFolder() const {
    const std::filesystem::path program(m_services.programPath);
    return program.has_parent_path() ? program.parent_path().string() : ".";
}

int CZARNWinApp::InitFramework(const char *programName, const char *bitmap, const char *buildDate) {
    if (m_services.installCrashHandler) {
        InstallCrashHandler(programName ? programName : "", buildDate ? buildDate : "",
                            m_services.programPath);
    }
    m_profile = std::make_unique<Profile>(m_application);
    CountRun();
    m_programName = programName ? programName : "";
    m_buildDate = buildDate ? buildDate : "";
    MakeInstallationGuid();
    m_bitmap = bitmap ? bitmap : "";
    TakeServerAddress();
    std::error_code ignored;
    std::filesystem::current_path(ProgramFolder(), ignored);
    if (UpdateCheckDisabled()) {
        qCInfo(lcUpdateCheck) << "update check: off (DisableUpdateCheck)";
    } else {
        m_upgradeLocation =
            CheckForUpgrade(UpdateServer(), UpdateAgent(m_programName, m_buildDate));
        qCInfo(lcUpdateCheck).noquote()
            << "update check at" << QString::fromStdString(UpdateServer()) << ":"
            << (m_upgradeLocation.empty()
                    ? QString("no newer version offered")
                    : "a newer version at " + QString::fromStdString(m_upgradeLocation));
    }
    return 1;
}

void CZARNWinApp::CountRun() {
    m_runCount = m_profile->GetInt(kRuntime, "RunCount", 0) + 1;
    m_profile->WriteInt(kRuntime, "RunCount", m_runCount);
    m_profile->WriteString(kRuntime, "LastRunTime",
                           LastRunText(static_cast<std::time_t>(ZarnNow())));
}

void CZARNWinApp::MakeInstallationGuid() {
    m_guid = m_profile->GetString(kRuntime, "GUID", "");
    if (!m_guid.empty()) {
        return;
    }
    const QUuid made = QUuid::createUuid();
    if (made.isNull()) {
        return;  // the next start tries again
    }
    m_guid = made.toString(QUuid::WithoutBraces).toUpper().toStdString();
    m_profile->WriteString(kRuntime, "GUID", m_guid);
    m_profile->Flush();
}

void CZARNWinApp::TakeServerAddress() {
    // The command line wins, and the environment is then not consulted at all.
    const std::string argument = FirstPlainArgument(m_arguments);
    if (!argument.empty()) {
        m_server = ParseServerUrl(argument);
    } else if (const char *variable = std::getenv("ZARNDEFAULTSERVER")) {
        m_server = ParseServerUrl(variable);
    }
    if (!m_server.password.empty()) {
        // Still taken, as stations have been set up so; said where the administrator looks.
        const char warning[] =
            "a password in the server URL shows in the process list; put it in ~/.pgpass "
            "(or the file PGPASSFILE names) instead";
        std::fprintf(stderr, "%s: warning: %s\n", m_application.c_str(), warning);
        qCWarning(lcStart) << warning;
    }
}

bool CZARNWinApp::UpdateCheckDisabled() {
    CZARNRegistry machine(m_services.ui);
    machine.SetQuiet(1);
    machine.SetAccess(kKeyRead);
    uint32_t disabled = 0;
    if (machine.Open("SOFTWARE\\Quillfen", RegistryRoot::LocalMachine, true)) {
        machine.ReadDword("DisableUpdateCheck", disabled);
    }
    return disabled != 0;
}

int CZARNWinApp::RequestAssistance() {
    return zarn::RequestAssistance(*m_services.ui, *m_services.desktop, m_programName, m_buildDate);
}

}  // namespace zarn
