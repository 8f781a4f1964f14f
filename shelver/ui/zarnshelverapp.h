// ZARNShelver's application: the shared start-up, the document's connection, the main window
// and the splash (whose closing logs on and fills the zones), or a replay.
#ifndef ZARN_SHELVER_UI_ZARNSHELVERAPP_H
#define ZARN_SHELVER_UI_ZARNSHELVERAPP_H

#include <memory>
#include <string>
#include <vector>

#include "shelvermainframe.h"
#include "zarnexportdialogs.h"
#include "zarnqtpresenters.h"
#include "zarnqtuiservices.h"
#include "zarnreplay.h"
#include "zarnshelverdoc.h"

struct CZARNShelverOptions {
    std::string replayFile;
    std::string speechLog;
    bool splash = true;
};

class CZARNShelverApp : public zarn::CZARNWinApp {
public:
    CZARNShelverApp(std::vector<std::string> arguments, CZARNShelverOptions options,
                    std::string programPath);
    ~CZARNShelverApp() override;
    bool InitInstance();
    CMainFrame &Frame() { return *m_frame; }

    static const char kProgramName[];
    static const char kBuildDate[];
    static const char kBuildTime[];

private:
    CZARNShelverOptions m_options;
    std::string m_programPath;
    zarn::QtUiServices m_qtUi;
    zarn::QtDesktopServices m_qtDesktop;
    zarn::ReplayAnswers m_replayAnswers;
    zarn::QtPresenterFactory m_presenters;
    zarn::QtExportDialogs m_exportDialogs;
    std::unique_ptr<CZARNShelverDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<zarn::CZARNReplay> m_replay;
    int m_splashShowing = 0;
};

#endif
