// What the server library shows on screen goes through these small presenters, so that the
// logic runs without a screen. The Qt widgets implement them in the programs; tests use the
// headless presenters of serverlib.
#ifndef ZARN_SERVERAPI_ZARNPRESENTERS_H
#define ZARN_SERVERAPI_ZARNPRESENTERS_H

#include <memory>
#include <string>
#include <vector>

#include "zarn10rc.h"

namespace zarn {

class ProgressPresenter {
public:
    virtual ~ProgressPresenter() = default;
    virtual void Start(const std::string &title) = 0;
    virtual void SetLine(int line, const std::string &text) = 0;  // line 1 or 2
    virtual void SetPosition(unsigned done, unsigned total) = 0;
    // Polled between steps: true once the operator has asked to cancel.
    virtual bool CancelRequested() = 0;
    virtual void Stop() = 0;
    // False while a new line or position would not be shown yet: a pass of 100,000 steps then
    // does not even format its lines.
    virtual bool WantsUpdate() { return true; }
};

struct ResultListEntry {
    CZARN10RC result;
    std::string text;
};

class ResultListPresenter {
public:
    virtual ~ResultListPresenter() = default;
    // Shows the entries modally; true when the operator cancelled the list.
    virtual bool Show(const std::vector<ResultListEntry> &entries) = 0;
};

// Makes the presenters the library's objects use. Programs install theirs at start-up; without
// one, the headless presenters are used.
class ScanDialogPresenter;

// A modal window of information lines with an OK button.
class InfoPresenter {
public:
    virtual ~InfoPresenter() = default;
    virtual void Show(const std::string &title, const std::vector<std::string> &lines) = 0;
};

class PresenterFactory {
public:
    virtual ~PresenterFactory() = default;
    virtual std::unique_ptr<ProgressPresenter> MakeProgress() = 0;
    virtual std::unique_ptr<ResultListPresenter> MakeResultList() = 0;
    // Null: no scanning without a screen.
    virtual std::unique_ptr<ScanDialogPresenter> MakeScanDialog() = 0;
    virtual std::unique_ptr<InfoPresenter> MakeInfo() = 0;
};

void SetPresenterFactory(PresenterFactory *factory);
PresenterFactory *CurrentPresenterFactory();

}  // namespace zarn

#endif
