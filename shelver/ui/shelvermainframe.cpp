#include "shelvermainframe.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <cstdio>

#include "zarnmenus.h"
#include "zarnrepaintpacer.h"
#include "zarnsplash.h"
#include "zarnstationlog.h"

void RegisterShelverMenus() {
    zarn::RegisterMenuResource(kShelverMenuResource, [](QMenuBar &bar) {
        QMenu *list = bar.addMenu("LIST");
        QMenu *print = list->addMenu("Print");
        // Printing the list has no behaviour: the entries are kept, inactive.
        zarn::AddCommand(*print, "Print All", kCmdShelverPrintAll)->setEnabled(false);
        zarn::AddCommand(*print, "Print Selected", kCmdShelverPrintSelected)->setEnabled(false);
    });
}

CMainFrame::CMainFrame(zarn::CZARNWinApp &app, CZARN10MFC &server, CZARNShelverServices services,
                       QWidget *parent)
    : QMainWindow(parent), m_server(server), m_services(std::move(services)) {
    setObjectName("CMainFrame");
    setWindowTitle("Kestrava - Shelver");
    // A burst of scans is painted 20 times a second.
    zarn::RepaintPacer::PaceWindow(this, zarn::RepaintPacer::kListsMs);
    statusBar()->showMessage("Ready");
    m_speechNotice = new QLabel(this);
    m_speechNotice->setObjectName("speechNotice");
    m_speechNotice->hide();
    statusBar()->addPermanentWidget(m_speechNotice);
    m_bar = std::make_unique<CZARNShelverScanBar>(app.GetProfile());
    m_barWindow = new CScanDialogBar(*m_bar, this);
    auto *dock = new QToolBar("Scan bar", this);
    dock->setObjectName("scanBar");
    dock->setMovable(false);
    dock->addWidget(m_barWindow);
    addToolBar(Qt::TopToolBarArea, dock);

    m_view = std::make_unique<CZARNShelverView>(server, *m_bar,
                                                [this](const std::string &text) { Speak(text); });
    m_source = std::make_unique<CZARNShelverListSource>(*m_view);
    m_list = new zarn::CZARNListCtrl(m_source.get(), m_services.list, this);
    m_list->setObjectName("scannedObjects");
    m_list->SetListName("Scanned objects");
    m_list->Header()->setStretchLastSection(true);
    setCentralWidget(m_list);
    m_view->onAppended = [this](std::size_t first) {
        // The new rows alone: a scan costs the same on the thousandth row as on the first.
        std::vector<int> added;
        for (std::size_t item = first; item < m_view->Scanned().size(); ++item) {
            added.push_back(static_cast<int>(item));
        }
        m_list->ItemsChanged(added);
        m_list->ReportView()->scrollToBottom();  // the newest row in sight
    };
    // Every answer is shown as well as spoken, until the next one.
    m_view->onAnswered = [this](const std::string &scanned, const std::string &answer) {
        statusBar()->showMessage(
            QString::fromStdString(scanned.empty() ? answer : scanned + ": " + answer));
    };
    m_list->Refresh();

    QMenu *file = menuBar()->addMenu("&File");
    connect(file->addAction("E&xit"), &QAction::triggered, this, &QWidget::close);
    QMenu *process = menuBar()->addMenu("&Process");
    QAction *scan = process->addAction("&Scan");
    scan->setShortcut(QKeySequence("Ctrl+T"));
    connect(scan, &QAction::triggered, this, [this]() { Scan(); });
    QMenu *help = menuBar()->addMenu("&Help");
    connect(help->addAction("&Get Technical Assistance"), &QAction::triggered, this,
            [&app]() { app.RequestAssistance(); });

    m_view->tone = [this](zarn::AnswerKind kind) {
        const bool accepted = kind == zarn::AnswerKind::Accepted;
        const bool refused = kind == zarn::AnswerKind::Refused || kind == zarn::AnswerKind::Warning;
        if (m_voice && !m_silent &&
            ((accepted && m_bar->toneAccepted) || (refused && m_bar->toneRefused))) {
            m_voice->Tone(kind);
        }
    };
    m_voice = m_services.voice ? m_services.voice() : nullptr;
    if (!m_voice) {
        m_services.list.ui->MessageBox(
            "Text-To-Speech Engine Initialization failed. Speech will not be enabled",
            "TTS Init Failed", zarn::kBoxOk | zarn::kBoxIconInformation);
        SpeechUnavailable("no voice could start");
    } else {
        m_voice->onFailure = [this](const std::string &why) { SpeechUnavailable(why); };
    }
    resize(1000, 700);
}

CMainFrame::~CMainFrame() {
    // The windows show the state held here: they go first.
    m_view->onAppended = nullptr;
    m_view->onAnswered = nullptr;
    delete m_list;
    delete m_barWindow;
}

intptr_t CMainFrame::HandleMessage(const zarn::WindowMessage &message) {
    if (message.id != zarn::kMsgSplashClosed) {
        return m_view->HandleMessage(message);
    }
    m_server.Logon(0);
    m_bar->FillZones(m_server);
    m_barWindow->ShowZones();
    return 1;
}

void CMainFrame::SpeechUnavailable(const std::string &why) {
    qCWarning(lcSpeech).noquote() << "speech unavailable:" << QString::fromStdString(why);
    m_silent = true;  // from now on; every answer is still shown (the voice may be the caller)
    m_speechNotice->setText("Speech unavailable: answers are shown on screen");
    m_speechNotice->show();
}

void CMainFrame::Speak(const std::string &text) {
    if (m_voice && !m_silent && !text.empty()) {
        m_voice->Speak(text);
    }
}

void CMainFrame::Scan() {
    m_view->Scan();
}

void CMainFrame::contextMenuEvent(QContextMenuEvent *event) {
    std::unique_ptr<QMenuBar> bar = zarn::LoadMenuResource(kShelverMenuResource);
    if (bar && !bar->actions().isEmpty()) {
        bar->actions()[0]->menu()->exec(event->globalPos());
    }
}
