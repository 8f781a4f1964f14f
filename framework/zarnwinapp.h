// What both programs do alike before their own document and windows exist: the crash report,
// the per-user profile with its run counter and installation GUID, the server address from
// the command line or ZARNDEFAULTSERVER, the program's folder as working folder, the
// configuration file and its variables, the update check and the assistance request.
//
// The running QApplication is made by the program's main(); this class holds what the
// start-up decides, so that it runs without a screen and every outside effect goes through
// the services it is given.
#ifndef ZARN_FRAMEWORK_ZARNWINAPP_H
#define ZARN_FRAMEWORK_ZARNWINAPP_H

#include <libconfig.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "variables.h"
#include "zarndesktop.h"
#include "zarnprofile.h"
#include "zarnserverurl.h"
#include "zarnuiservices.h"

namespace zarn {

struct WinAppServices {
    UiServices *ui = nullptr;
    DesktopServices *desktop = nullptr;
    // The running program's full path; its folder becomes the working folder.
    std::string programPath;
    // The crash report is installed only for the real programs.
    bool installCrashHandler = false;
};

class CZARNWinApp {
public:
    // application: the profile's name ("ZARNTollgate"); arguments: the command line without
    // the program name.
    CZARNWinApp(std::string application, std::vector<std::string> arguments,
                WinAppServices services);
    virtual ~CZARNWinApp();
    CZARNWinApp(const CZARNWinApp &) = delete;
    CZARNWinApp &operator=(const CZARNWinApp &) = delete;

    // The shared start-up, in order; always 1. bitmap names the program's picture (a Qt
    // resource path), shown by the splash.
    virtual int InitFramework(const char *programName, const char *bitmap, const char *buildDate);
    // Reads the libconfig file (ZARNCONFIGFILE replaces the name); its options/variables become
    // environment variables and profile strings. Failures show "Configuration Error" and leave
    // the configuration empty. Always 0; ConfigurationLoaded() tells.
    int ReadConfiguration(const std::string &fileName);
    // ReadConfiguration, then apply takes the settings it knows from what was read and returns
    // what is wrong with them (empty: nothing), which is logged and shown as a configuration
    // error.
    void ReadStationConfiguration(const std::string &fileName,
                                  const std::function<std::string(const config_t *)> &apply);
    int RequestAssistance();

    const std::string &ProgramName() const { return m_programName; }
    const std::string &BuildDate() const { return m_buildDate; }
    const std::string &InstallationGuid() const { return m_guid; }
    const std::string &UpgradeLocation() const { return m_upgradeLocation; }
    const std::string &Bitmap() const { return m_bitmap; }
    int ConfigurationLoaded() const { return m_configurationLoaded; }
    int RunCount() const { return m_runCount; }
    const ServerAddress &Server() const { return m_server; }
    config_t *Configuration() { return &m_configuration; }
    VariablesContext *Variables() { return &m_variables; }
    Profile &GetProfile() { return *m_profile; }
    UiServices &Ui() { return *m_services.ui; }
    DesktopServices &Desktop() { return *m_services.desktop; }
    const std::vector<std::string> &Arguments() const { return m_arguments; }
    // The program's folder, where relative file names are looked up first.
    std::string ProgramFolder() const;

private:
    void CountRun();
    void MakeInstallationGuid();
    void TakeServerAddress();
    bool UpdateCheckDisabled();
    void ApplyVariables();

    std::string m_application;
    std::vector<std::string> m_arguments;
    WinAppServices m_services;
    std::unique_ptr<Profile> m_profile;
    std::string m_programName;
    std::string m_buildDate;
    std::string m_guid;
    std::string m_upgradeLocation;
    std::string m_bitmap;
    int m_configurationLoaded = 0;
    int m_runCount = 0;
    config_t m_configuration;
    VariablesContext m_variables;
    ServerAddress m_server;
};

// The first argument that is not an option ("-..."), or empty.
std::string FirstPlainArgument(const std::vector<std::string> &arguments);

}  // namespace zarn

#endif
