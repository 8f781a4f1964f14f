// ZARNTollgate's application: the shared start-up, then the document, the main window, the
// splash (whose closing logs on and builds the tree) and the configuration file.
#ifndef ZARN_TOLLGATE_UI_ZARN30APP_H
#define ZARN_TOLLGATE_UI_ZARN30APP_H

#include <memory>
#include <string>
#include <vector>

#include "badscanwarning.h"
#include "filterdialog.h"
#include "mainframe.h"
#include "qtreceiptprinter.h"
#include "queryexceptionwindow.h"
#include "replay.h"
#include "zarnexportdialogs.h"
#include "zarnqtpresenters.h"
#include "zarnqtuiservices.h"
#include "zarnsplash.h"
#include "zarnwinapp.h"

struct CZARN30Options {
    std::string replayFile;
    std::string speechLog;
    bool splash = true;
};

class CZARN30App : public zarn::CZARNWinApp {
public:
    CZARN30App(std::vector<std::string> arguments, CZARN30Options options, std::string programPath);
    ~CZARN30App() override;

    // Builds everything; false (with the reason on the standard error) when it cannot start.
    bool InitInstance();
    CMainFrame &Frame() { return *m_frame; }
    CZARN30Doc &Doc() { return *m_doc; }

    static const char kProgramName[];
    static const char kBuildDate[];
    static const char kBuildTime[];

private:
    void OpenSessionJournal();
    CZARN30FrameServices Services();

    CZARN30Options m_options;
    std::string m_programPath;
    zarn::QtUiServices m_qtUi;
    zarn::QtDesktopServices m_qtDesktop;
    CZARN30ReplayAnswers m_replayAnswers;
    CZARN30ReplayPresenters m_replayPresenters;
    zarn::QtPresenterFactory m_presenters;
    zarn::QtExportDialogs m_exportDialogs;
    CZARN30UiContext m_context;                 // for the dialogs made before the window
    std::unique_ptr<CZARN30Journal> m_journal;  // outlives the document that writes it
    std::unique_ptr<CZARN30Doc> m_doc;
    std::unique_ptr<QtFilterDialog> m_filterDialog;
    std::unique_ptr<QtScanErrorWarning> m_scanErrorWarning;
    std::unique_ptr<QtQueryExceptionPresenter> m_queryExceptions;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<QtReceiptPrinter> m_receiptPrinter;  // none in a replay: nobody to ask
    std::unique_ptr<zarn::CZARNReplay> m_replay;
    int m_splashShowing = 0;
};

#endif
