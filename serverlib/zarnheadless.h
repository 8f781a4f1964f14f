// Presenters without a screen: they record what would have been shown, answer from a script
// (scanner lines, a cancel at a chosen step, a cancelled result list), and never block.
#ifndef ZARN_SERVERLIB_ZARNHEADLESS_H
#define ZARN_SERVERLIB_ZARNHEADLESS_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "zarnpresenters.h"
#include "zarnscantarget.h"

namespace zarn {

struct HeadlessScript {
    // Progress: the operator presses cancel at this poll (0: never).
    int cancelProgressAtPoll = 0;
    // Result lists: the operator cancels them.
    bool cancelResultLists = false;
    // Scan dialogs: the lines scanned, then closed (cancelled when closeWithCancel).
    std::deque<std::string> scannerLines;
    bool closeWithCancel = false;
    // Called before each line is scanned, once the line before it has been handled.
    std::function<void()> beforeEachLine;

    // What was shown.
    std::vector<std::string> progressLog;  // "title:..", "line1:..", "line2:..", "pos:d/t"
    std::vector<std::vector<ResultListEntry>> resultLists;
    std::vector<std::string> scanLog;  // "open:..", "status:..", "close"
    std::vector<ScanAnswer> answers;   // what the scan dialog was given to show
    std::vector<std::string> infoLog;  // "title", then its lines
};

class HeadlessPresenters : public PresenterFactory {
public:
    explicit HeadlessPresenters(HeadlessScript &script) : m_script(script) {}
    std::unique_ptr<ProgressPresenter> MakeProgress() override;
    std::unique_ptr<ResultListPresenter> MakeResultList() override;
    std::unique_ptr<ScanDialogPresenter> MakeScanDialog() override;
    std::unique_ptr<InfoPresenter> MakeInfo() override;

private:
    HeadlessScript &m_script;
};

}  // namespace zarn

#endif
