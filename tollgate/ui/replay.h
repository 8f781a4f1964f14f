// The Tollgate's replay: the shared replay engine with the Tollgate's commands and the
// answers its own dialogs take (every filter pair ticked, the scan error warning cleared).
#ifndef ZARN_TOLLGATE_UI_REPLAY_H
#define ZARN_TOLLGATE_UI_REPLAY_H

#include <memory>
#include <string>
#include <vector>

#include "mainframe.h"
#include "zarnpresenters.h"
#include "zarnreplay.h"

class CZARN30ReplayAnswers : public zarn::ReplayAnswers,
                             public FilterDialogPresenter,
                             public ScanErrorWarningPresenter,
                             public QueryExceptionPresenter {
public:
    bool Run(CZARN30Filters &filters) override;                        // every pair ticked
    bool Run(const std::vector<CZARN30BadScanItem> &errors) override;  // "&Clear Warning"
    void Show(const std::vector<QueryPermissionsItem> &entries) override;
};

// The library's windows in a replay: the real scan dialog; result lists and information
// windows are written to the standard error instead of waiting for OK.
class CZARN30ReplayPresenters : public zarn::PresenterFactory {
public:
    std::unique_ptr<zarn::ProgressPresenter> MakeProgress() override;
    std::unique_ptr<zarn::ResultListPresenter> MakeResultList() override;
    std::unique_ptr<zarn::ScanDialogPresenter> MakeScanDialog() override;
    std::unique_ptr<zarn::InfoPresenter> MakeInfo() override;
};

// The replay of a Tollgate: its commands run on the main window.
std::unique_ptr<zarn::CZARNReplay> MakeTollgateReplay(CMainFrame &frame,
                                                      CZARN30ReplayAnswers &answers,
                                                      std::vector<std::string> lines);

#endif
