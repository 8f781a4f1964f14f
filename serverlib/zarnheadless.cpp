#include "zarnheadless.h"

#include <QCoreApplication>

namespace zarn {
namespace {

class HeadlessProgress : public ProgressPresenter {
public:
    explicit HeadlessProgress(HeadlessScript &script) : m_script(script) {}
    void Start(const std::string &title) override {
        m_script.progressLog.push_back("title:" + title);
    }
    void SetLine(int line, const std::string &text) override {
        m_script.progressLog.push_back("line" + std::to_string(line) + ":" + text);
    }
    void SetPosition(unsigned done, unsigned total) override {
        m_script.progressLog.push_back("pos:" + std::to_string(done) + "/" + std::to_string(total));
    }
    bool CancelRequested() override {
        return m_script.cancelProgressAtPoll > 0 && ++m_polls >= m_script.cancelProgressAtPoll;
    }
    void Stop() override { m_script.progressLog.push_back("stop"); }

private:
    HeadlessScript &m_script;
    int m_polls = 0;
};

class HeadlessResultList : public ResultListPresenter {
public:
    explicit HeadlessResultList(HeadlessScript &script) : m_script(script) {}
    bool Show(const std::vector<ResultListEntry> &entries) override {
        m_script.resultLists.push_back(entries);
        return m_script.cancelResultLists;
    }

private:
    HeadlessScript &m_script;
};

class HeadlessScanDialog : public ScanDialogPresenter {
public:
    explicit HeadlessScanDialog(HeadlessScript &script) : m_script(script) {}
    void Open(const std::string &title) override { m_script.scanLog.push_back("open:" + title); }
    bool NextLine(std::string &line) override {
        // As under a modal dialog, what the last line posted is handled before the next.
        QCoreApplication::sendPostedEvents();
        if (m_script.scannerLines.empty()) {
            return false;
        }
        if (m_script.beforeEachLine) {
            m_script.beforeEachLine();
        }
        line = m_script.scannerLines.front();
        m_script.scannerLines.pop_front();
        return true;
    }
    void ShowStatus(const std::string &text) override {
        m_script.scanLog.push_back("status:" + text);
    }
    void ShowAnswer(const ScanAnswer &answer) override { m_script.answers.push_back(answer); }
    void Close() override {
        QCoreApplication::sendPostedEvents();
        m_script.scanLog.push_back("close");
    }
    bool Cancelled() const override { return m_script.closeWithCancel; }

private:
    HeadlessScript &m_script;
};

class HeadlessInfo : public InfoPresenter {
public:
    explicit HeadlessInfo(HeadlessScript &script) : m_script(script) {}
    void Show(const std::string &title, const std::vector<std::string> &lines) override {
        m_script.infoLog.push_back(title);
        m_script.infoLog.insert(m_script.infoLog.end(), lines.begin(), lines.end());
    }

private:
    HeadlessScript &m_script;
};

}  // namespace

std::unique_ptr<InfoPresenter> HeadlessPresenters::MakeInfo() {
    return std::make_unique<HeadlessInfo>(m_script);
}

std::unique_ptr<ProgressPresenter> HeadlessPresenters::MakeProgress() {
    return std::make_unique<HeadlessProgress>(m_script);
}

std::unique_ptr<ResultListPresenter> HeadlessPresenters::MakeResultList() {
    return std::make_unique<HeadlessResultList>(m_script);
}

std::unique_ptr<ScanDialogPresenter> HeadlessPresenters::MakeScanDialog() {
    return std::make_unique<HeadlessScanDialog>(m_script);
}

}  // namespace zarn
