// The Tollgate's main window: the menus of the scanning station, the options bar, the tree on
// the left and the three lists on the right, and the status bar (last spoken text, zone,
// slot). Every command is the scanning logic's; the window forwards and shows.
#ifndef ZARN_TOLLGATE_UI_MAINFRAME_H
#define ZARN_TOLLGATE_UI_MAINFRAME_H

#include <QLabel>
#include <QMainWindow>

#include <map>
#include <memory>

#include "leftview.h"
#include "optionsbar.h"
#include "tabview.h"
#include "zarn30scanning.h"
#include "zarn30speaker.h"
#include "zarnwinapp.h"

// Main menu commands.
enum : int {
    kCmdLogon = 32800,
    kCmdLogoff = 32801,
    kCmdServerInformation = 32802,
    kCmdControlPanel = 32803,
    kCmdPreferences = 32804,
    kCmdBuildTree = 32799,
    kCmdStartScan = 32805,
    kCmdUpdateServer = 32806,
    kCmdPrintReceipts = 32807,
    kCmdAutoComplete = 32810,
    kCmdClearSelected = 32811,
    kCmdQueryExceptions = 32812,
    kCmdScanToSlot = 32813,
    kCmdSlotAllocation = 32814,
    kCmdAssistance = 32815,
    kCmdDocumentation = 32817,
    kCmdAbout = 57664,
    kCmdExit = 57665,
};

// What the window's dialogs and voice are; the program gives the Qt ones, a replay or a test
// its own.
struct CZARN30FrameServices {
    zarn::UiServices *ui = nullptr;
    zarn::DesktopServices *desktop = nullptr;
    zarn::ExportDialogs *exportDialogs = nullptr;
    FilterDialogPresenter *filterDialog = nullptr;
    ScanErrorWarningPresenter *scanErrorWarning = nullptr;
    QueryExceptionPresenter *queryExceptions = nullptr;
    CZARN30Speaker::VoiceFactory voice;
    std::string logoPath;
    std::string documentationPath;
};

class CMainFrame : public QMainWindow, public zarn::CommandTarget {
public:
    CMainFrame(zarn::CZARNWinApp &app, CZARN30Doc &doc, CZARN30FrameServices services,
               QWidget *parent = nullptr);
    ~CMainFrame() override;

    void OnCommand(int command) override;
    CZARN30MainLogic &Logic() { return *m_logic; }
    CZARN30Speaker &Speaker() { return m_speaker; }
    CLeftView &TreeView() { return *m_tree; }
    CZARN30TabView &TabView() { return *m_tabs; }
    COptionsDialogBar &OptionsBar() { return *m_bar; }
    QAction *Command(int command) const;
    QString StatusPane(int pane) const;
    const CZARN30UiContext &Context() const { return m_context; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildMenus();
    QAction *AddMenuCommand(QMenu *menu, const QString &text, int command,
                            const QKeySequence &keys = {});
    void UpdateChecks();
    void ShowPanes();
    void Preferences();
    void About();

    zarn::CZARNWinApp &m_app;
    CZARN30Doc &m_doc;
    CZARN30FrameServices m_services;
    CZARN30UiContext m_context;
    CZARN30Speaker m_speaker;
    std::unique_ptr<CZARN30MainLogic> m_logic;
    COptionsDialogBar *m_bar;
    CLeftView *m_tree;
    CZARN30TabView *m_tabs;
    QLabel *m_panes[3];
    std::map<int, QAction *> m_commands;
};

#endif
