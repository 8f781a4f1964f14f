// CZARN10RCList, CZARN10ProgressWnd and the presenter factory they draw on.
#include "zarnpresenters.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "zarn10progresswnd.h"
#include "zarn10rclist.h"
#include "zarnscantarget.h"

namespace zarn {
namespace {

std::atomic<PresenterFactory *> installedFactory{nullptr};

// Without a screen: progress is not shown and never cancelled; a result list is not cancelled.
class SilentProgress : public ProgressPresenter {
public:
    void Start(const std::string &) override {}
    void SetLine(int, const std::string &) override {}
    void SetPosition(unsigned, unsigned) override {}
    bool CancelRequested() override { return false; }
    void Stop() override {}
};

class SilentResultList : public ResultListPresenter {
public:
    bool Show(const std::vector<ResultListEntry> &) override { return false; }
};

class SilentInfo : public InfoPresenter {
public:
    void Show(const std::string &, const std::vector<std::string> &) override {}
};

class SilentFactory : public PresenterFactory {
public:
    std::unique_ptr<ProgressPresenter> MakeProgress() override {
        return std::make_unique<SilentProgress>();
    }
    std::unique_ptr<ResultListPresenter> MakeResultList() override {
        return std::make_unique<SilentResultList>();
    }
    std::unique_ptr<ScanDialogPresenter> MakeScanDialog() override { return nullptr; }
    std::unique_ptr<InfoPresenter> MakeInfo() override { return std::make_unique<SilentInfo>(); }
};

std::string Formatted(const char *format, va_list arguments) {
    char text[1025];
    std::vsnprintf(text, sizeof text, format ? format : "", arguments);
    return text;
}

}  // namespace

void SetPresenterFactory(PresenterFactory *factory) {
    installedFactory.store(factory);
}

PresenterFactory *CurrentPresenterFactory() {
    static SilentFactory silent;
    PresenterFactory *factory = installedFactory.load();
    return factory ? factory : &silent;
}

}  // namespace zarn

void CZARN10RCList::Reset() {
    m_entries.clear();
}

void CZARN10RCList::Add(CZARN10RC result, const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    m_entries.push_back({result, zarn::Formatted(format, arguments)});
    va_end(arguments);
}

int CZARN10RCList::Display(int, void *) {
    return zarn::CurrentPresenterFactory()->MakeResultList()->Show(m_entries) ? 2 : 1;
}

CZARN10ProgressWnd::CZARN10ProgressWnd(int, void *)
    : m_presenter(zarn::CurrentPresenterFactory()->MakeProgress()) {}

CZARN10ProgressWnd::~CZARN10ProgressWnd() {
    Stop();
}

void CZARN10ProgressWnd::SetTitle(const char *title) {
    m_title = title ? title : "";
}

void CZARN10ProgressWnd::Start() {
    m_running = true;
    m_presenter->Start(m_title);
}

void CZARN10ProgressWnd::SetLine1(const char *format, ...) {
    if (!m_presenter->WantsUpdate()) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    m_presenter->SetLine(1, zarn::Formatted(format, arguments));
    va_end(arguments);
}

void CZARN10ProgressWnd::SetLine2(const char *format, ...) {
    if (!m_presenter->WantsUpdate()) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    m_presenter->SetLine(2, zarn::Formatted(format, arguments));
    va_end(arguments);
}

void CZARN10ProgressWnd::SetPosition(unsigned done, unsigned total) {
    if (done == total || m_presenter->WantsUpdate()) {
        m_presenter->SetPosition(done, total);
    }
}

int CZARN10ProgressWnd::HasCancelled() {
    if (!m_cancelled && m_presenter->CancelRequested()) {
        m_cancelled = true;
    }
    return m_cancelled ? 1 : 0;
}

void CZARN10ProgressWnd::Stop() {
    if (m_running) {
        m_running = false;
        m_presenter->Stop();
    }
}
