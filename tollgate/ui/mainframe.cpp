#include "mainframe.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "aboutdialog.h"
#include "optionsdialog.h"
#include "zarnrepaintpacer.h"

namespace {
constexpr int kWaitingWritesRetryMs = 5000;
constexpr std::chrono::milliseconds kCloseWriteWait{1000};
}  // namespace

CMainFrame::CMainFrame(zarn::CZARNWinApp &app, CZARN30Doc &doc, CZARN30FrameServices services,
                       QWidget *parent)
    : QMainWindow(parent), m_app(app), m_doc(doc), m_services(std::move(services)) {
    setObjectName("CMainFrame");
    setWindowTitle("Kestrava - Tollgate");
    // A burst of scans is painted 20 times a second.
    zarn::RepaintPacer::PaceWindow(this, zarn::RepaintPacer::kListsMs);
    m_context.list = {m_services.ui,       m_services.desktop,
                      &app.GetProfile(),   m_services.exportDialogs,
                      "Kestrava Tollgate", m_services.logoPath};
    for (QLabel *&pane : m_panes) {
        pane = new QLabel(this);
    }
    m_panes[0]->setObjectName("speechPane");
    m_panes[1]->setMinimumWidth(90);
    m_panes[2]->setMinimumWidth(90);
    statusBar()->addWidget(m_panes[0], 1);
    statusBar()->addPermanentWidget(m_panes[1]);
    statusBar()->addPermanentWidget(m_panes[2]);
    m_speaker.onStatus = [this](const std::string &text) {
        m_panes[0]->setText(QString::fromStdString(text));
    };
    m_speaker.Start(m_services.voice, *m_services.ui);
    m_logic = std::make_unique<CZARN30MainLogic>(doc, m_speaker);
    m_logic->scanErrorWarning = m_services.scanErrorWarning;
    m_logic->onPanes = [this]() { ShowPanes(); };
    // A real-time write that ended on the writer's thread is taken on this one.
    m_logic->onWriteEnded = [this]() {
        QMetaObject::invokeMethod(
            this, [this]() { m_logic->OnWriteEnded(); }, Qt::QueuedConnection);
    };
    // Writes that wait for the server are tried again between scans too, so that they reach
    // it when it is back even if nobody scans.
    auto *retry = new QTimer(this);
    connect(retry, &QTimer::timeout, this, [this]() { m_logic->WriteWaiting(); });
    retry->start(kWaitingWritesRetryMs);
    doc.queryExceptions.presenter = m_services.queryExceptions;

    m_bar = new COptionsDialogBar(app.GetProfile(), this);
    auto *barDock = new QToolBar("Options", this);
    barDock->setObjectName("optionsBar");
    barDock->setMovable(false);
    barDock->addWidget(m_bar);
    addToolBar(Qt::TopToolBarArea, barDock);
    m_bar->Initialise(doc);

    auto *splitter = new QSplitter(this);
    m_tree = new CLeftView(
        doc, *m_services.filterDialog, [this]() { return m_bar->CustomerFilter(); }, splitter);
    m_tree->onStartScan = [this]() { OnCommand(kCmdStartScan); };
    m_tabs = new CZARN30TabView(doc, *m_logic, m_context, splitter);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_tabs);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({320, 960});
    setCentralWidget(splitter);

    BuildMenus();
    resize(1280, 800);
}

CMainFrame::~CMainFrame() = default;

QAction *CMainFrame::AddMenuCommand(QMenu *menu, const QString &text, int command,
                                    const QKeySequence &keys) {
    QAction *action = menu->addAction(text);
    action->setData(command);
    if (!keys.isEmpty()) {
        action->setShortcut(keys);
    }
    connect(action, &QAction::triggered, this, [this, command]() { OnCommand(command); });
    m_commands[command] = action;
    return action;
}

void CMainFrame::BuildMenus() {
    QMenu *file = menuBar()->addMenu("&File");
    AddMenuCommand(file, "Logo&n", kCmdLogon);
    AddMenuCommand(file, "Logo&ff", kCmdLogoff);
    file->addSeparator();
    AddMenuCommand(file, "&Server Information", kCmdServerInformation);
    AddMenuCommand(file, "&Open Kestrava Control Panel", kCmdControlPanel);
    file->addSeparator();
    AddMenuCommand(file, "&Preferences", kCmdPreferences);
    file->addSeparator();
    AddMenuCommand(file, "E&xit", kCmdExit, QKeySequence::Quit);
    QMenu *scan = menuBar()->addMenu("&Scan");
    AddMenuCommand(scan, "&Build/Update Movement Tree", kCmdBuildTree, QKeySequence("Ctrl+B"));
    AddMenuCommand(scan, "&Start Scan", kCmdStartScan, QKeySequence("Ctrl+T"));
    AddMenuCommand(scan, "&Update Server", kCmdUpdateServer, QKeySequence("Ctrl+Shift+U"));
    AddMenuCommand(scan, "&Print Receipts", kCmdPrintReceipts, QKeySequence("Ctrl+Shift+P"));
    scan->addSeparator();
    AddMenuCommand(scan, "&Auto Complete", kCmdAutoComplete);
    AddMenuCommand(scan, "&Clear Selected", kCmdClearSelected);
    scan->addSeparator();
    AddMenuCommand(scan, "&Display Query Exception Table", kCmdQueryExceptions);
    AddMenuCommand(scan, "&Scan to Slot", kCmdScanToSlot);
    AddMenuCommand(scan, "Scan to Set Slot A&llocation Flag", kCmdSlotAllocation);
    for (int done : {kCmdBuildTree, kCmdStartScan, kCmdUpdateServer, kCmdPrintReceipts}) {
        m_commands[done]->setCheckable(true);
    }
    connect(scan, &QMenu::aboutToShow, this, [this]() { UpdateChecks(); });
    QMenu *help = menuBar()->addMenu("&Help");
    AddMenuCommand(help, "&Get Technical Assistance", kCmdAssistance);
    AddMenuCommand(help, "Kestrava Tollgate™ Documentation", kCmdDocumentation,
                   QKeySequence::HelpContents);
    help->addSeparator();
    AddMenuCommand(help, "&About Kestrava Tollgate™...", kCmdAbout);
}

QAction *CMainFrame::Command(int command) const {
    const auto found = m_commands.find(command);
    return found == m_commands.end() ? nullptr : found->second;
}

void CMainFrame::UpdateChecks() {
    const unsigned flags = m_logic->doneFlags;
    m_commands[kCmdBuildTree]->setChecked(flags & kDoneTreeBuilt);
    m_commands[kCmdStartScan]->setChecked(flags & kDoneScanStarted);
    m_commands[kCmdUpdateServer]->setChecked(flags & kDoneServerUpdated);
    m_commands[kCmdPrintReceipts]->setChecked(flags & kDoneReceiptsPrinted);
}

QString CMainFrame::StatusPane(int pane) const {
    return pane >= 0 && pane < 3 ? m_panes[pane]->text() : QString();
}

void CMainFrame::ShowPanes() {
    m_panes[1]->setText(QString::fromStdString(m_logic->zonePane));
    m_panes[2]->setText(QString::fromStdString(m_logic->slotPane));
}

void CMainFrame::OnCommand(int command) {
    switch (command) {
        case kCmdLogon:
            m_logic->Logon();
            break;
        case kCmdLogoff:
            m_logic->Logoff();
            break;
        case kCmdServerInformation:
            m_doc.server.ServerInfoDialog(this);
            break;
        case kCmdControlPanel:
            m_doc.server.DoControlPanel(nullptr, nullptr);
            break;
        case kCmdPreferences:
            Preferences();
            break;
        case kCmdBuildTree:
            m_logic->BuildUpdate();
            break;
        case kCmdStartScan:
            m_logic->StartScan();
            break;
        case kCmdUpdateServer:
            m_logic->UpdateServer();
            break;
        case kCmdPrintReceipts:
            if (!m_logic->PrintReceipts()) {
                m_speaker.Speak("Receipts were not printed");
            }
            break;
        case kCmdAutoComplete:
            m_logic->AutoComplete();
            break;
        case kCmdClearSelected:
            m_logic->ClearSelected();
            break;
        case kCmdQueryExceptions:
            m_doc.queryExceptions.DoModal();
            break;
        case kCmdScanToSlot:
            m_logic->ScanToSlot();
            break;
        case kCmdSlotAllocation:
            m_logic->SlotAllocationScan();
            break;
        case kCmdAssistance:
            m_app.RequestAssistance();
            break;
        case kCmdDocumentation:
            m_services.desktop->Open(
                QUrl::fromLocalFile(QString::fromStdString(m_services.documentationPath))
                    .toString()
                    .toStdString());
            break;
        case kCmdAbout:
            About();
            break;
        case kCmdExit:
            close();
            break;
        default:
            break;
    }
    ShowPanes();
}

void CMainFrame::Preferences() {
    COptionsDialog dialog(m_doc.settings.block, *m_services.ui, this);
    dialog.exec();
}

void CMainFrame::About() {
    CAboutDlg about("Kestrava Tollgate™", m_app.BuildDate(),
                    QString::fromStdString(m_services.logoPath), this);
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event) {
    // A write under way that ends soon is counted as written, not as one left to do.
    m_logic->FinishWrites(kCloseWriteWait);
    if (!m_doc.CanExit()) {
        event->ignore();
        return;
    }
    event->accept();
}
