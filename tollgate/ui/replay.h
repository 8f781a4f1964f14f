// Replaying a file of scanner lines and commands through the same paths as the keyboard: a
// bar code is typed into the open scan dialog key by key and ended with Enter; a command is
// what the operator would choose. Message boxes are answered from the file (or take their
// first button), nothing is shown and nothing blocks, and the program ends when the file does.
// The format is in docs/replay.md.
#ifndef ZARN_TOLLGATE_UI_REPLAY_H
#define ZARN_TOLLGATE_UI_REPLAY_H

#include <QObject>
#include <QTimer>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "mainframe.h"
#include "zarnlistexporter.h"
#include "zarnpresenters.h"

// The answers a replay gives in place of the operator.
class CZARN30ReplayAnswers : public zarn::UiServices,
                             public zarn::DesktopServices,
                             public FilterDialogPresenter,
                             public ScanErrorWarningPresenter,
                             public QueryExceptionPresenter,
                             public zarn::ExportDialogs {
public:
    int MessageBox(const std::string &text, const std::string &caption, unsigned style) override;
    bool OpenFileDialog(const zarn::FileDialogRequest &request, std::string &path) override;
    bool SaveFileDialog(const zarn::FileDialogRequest &request, std::string &path) override;
    bool Open(const std::string &url) override;
    bool Print(const std::string &path) override;
    bool Run(CZARN30Filters &filters) override;                        // every pair ticked
    bool Run(const std::vector<CZARN30BadScanItem> &errors) override;  // "&Clear Warning"
    void Show(const std::vector<QueryPermissionsItem> &entries) override;
    std::optional<zarn::ExportTypeChoice> ChooseType(zarn::ExportableList &list,
                                                     bool withMail) override;
    bool ChoosePdfOptions(zarn::PdfOptions &options) override;

    std::deque<int> answers;
    std::deque<std::string> files;
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

class CZARN30Replay : public QObject {
public:
    CZARN30Replay(CMainFrame &frame, CZARN30ReplayAnswers &answers, std::vector<std::string> lines);
    void Start();
    // Reads a replay file; false with error when it cannot be read.
    static bool ReadLines(const std::string &path, std::vector<std::string> &lines,
                          std::string &error);

private:
    void Step();
    void Finish();
    bool RunCommand(const std::string &command, const std::string &argument);
    void Type(const std::string &line);
    bool AddCustomer(const std::string &customer);
    bool Export(const std::string &argument);

    CMainFrame &m_frame;
    CZARN30ReplayAnswers &m_answers;
    std::vector<std::string> m_lines;
    size_t m_next = 0;
    int m_busy = 0;
    bool m_finishing = false;
    QTimer m_timer;
};

#endif
