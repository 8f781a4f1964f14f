#include "replay.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ui_optionsbar.h"
#include "zarnqtprogress.h"
#include "zarnqtscandialog.h"

namespace {

void Log(const std::string &text) {
    std::fprintf(stderr, "replay: %s\n", text.c_str());
}

int AnswerOf(const std::string &word) {
    if (word == "yes")
        return zarn::kAnswerYes;
    if (word == "no")
        return zarn::kAnswerNo;
    if (word == "cancel")
        return zarn::kAnswerCancel;
    return zarn::kAnswerOk;
}

class LoggedResults : public zarn::ResultListPresenter {
public:
    bool Show(const std::vector<zarn::ResultListEntry> &entries) override {
        for (const zarn::ResultListEntry &entry : entries) {
            Log("result " + entry.text + ": " + entry.result.Get());
        }
        return false;
    }
};

class LoggedInfo : public zarn::InfoPresenter {
public:
    void Show(const std::string &title, const std::vector<std::string> &lines) override {
        Log(title);
        for (const std::string &line : lines) {
            Log("  " + line);
        }
    }
};

}  // namespace

int CZARN30ReplayAnswers::MessageBox(const std::string &text, const std::string &caption,
                                     unsigned style) {
    int answer = 0;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else {
        // The first button: OK, or Yes.
        const unsigned buttons = style & 0xF;
        answer = buttons == zarn::kBoxYesNo || buttons == zarn::kBoxYesNoCancel ? zarn::kAnswerYes
                                                                                : zarn::kAnswerOk;
    }
    Log("box \"" + caption + "\": " + text + " -> " + std::to_string(answer));
    return answer;
}

bool CZARN30ReplayAnswers::OpenFileDialog(const zarn::FileDialogRequest &request,
                                          std::string &path) {
    return SaveFileDialog(request, path);
}

bool CZARN30ReplayAnswers::SaveFileDialog(const zarn::FileDialogRequest &request,
                                          std::string &path) {
    if (files.empty()) {
        Log("file dialog \"" + request.fileName + "\" cancelled: no @file given");
        return false;
    }
    path = files.front();
    files.pop_front();
    return true;
}

bool CZARN30ReplayAnswers::Open(const std::string &url) {
    Log("not opened: " + url);
    return true;
}

bool CZARN30ReplayAnswers::Print(const std::string &path) {
    Log("not printed: " + path);
    return true;
}

bool CZARN30ReplayAnswers::Run(CZARN30Filters &filters) {
    for (CZARN10Direction &pair : filters.directions) {
        pair.checked = 1;
    }
    return true;
}

bool CZARN30ReplayAnswers::Run(const std::vector<CZARN30BadScanItem> &errors) {
    Log("scan error warning over " + std::to_string(errors.size()) + " errors: cleared");
    return true;
}

void CZARN30ReplayAnswers::Show(const std::vector<QueryPermissionsItem> &entries) {
    Log("query exceptions: " + std::to_string(entries.size()) + " entries");
}

std::optional<zarn::ExportTypeChoice> CZARN30ReplayAnswers::ChooseType(zarn::ExportableList &,
                                                                       bool) {
    return zarn::ExportTypeChoice{zarn::kExportText, false};
}

bool CZARN30ReplayAnswers::ChoosePdfOptions(zarn::PdfOptions &) {
    return true;
}

std::unique_ptr<zarn::ProgressPresenter> CZARN30ReplayPresenters::MakeProgress() {
    return std::make_unique<zarn::QtProgressWindow>();
}

std::unique_ptr<zarn::ResultListPresenter> CZARN30ReplayPresenters::MakeResultList() {
    return std::make_unique<LoggedResults>();
}

std::unique_ptr<zarn::ScanDialogPresenter> CZARN30ReplayPresenters::MakeScanDialog() {
    return std::make_unique<zarn::QtScanDialog>();
}

std::unique_ptr<zarn::InfoPresenter> CZARN30ReplayPresenters::MakeInfo() {
    return std::make_unique<LoggedInfo>();
}

CZARN30Replay::CZARN30Replay(CMainFrame &frame, CZARN30ReplayAnswers &answers,
                             std::vector<std::string> lines)
    : m_frame(frame), m_answers(answers), m_lines(std::move(lines)) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this]() { Step(); });
}

bool CZARN30Replay::ReadLines(const std::string &path, std::vector<std::string> &lines,
                              std::string &error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return true;
}

void CZARN30Replay::Start() {
    m_timer.start();
}

void CZARN30Replay::Step() {
    zarn::QtScanDialog *dialog = zarn::QtScanDialog::Current();
    if (m_next >= m_lines.size()) {
        Finish();
        return;
    }
    const std::string &line = m_lines[m_next];
    if (line[0] != '@') {
        if (dialog) {
            Log("> " + line);
            Type(line);
        } else if (m_busy) {
            return;  // the command before it is still running: wait for its dialog
        } else {
            Log("no scan dialog is open: \"" + line + "\" is skipped");
        }
        ++m_next;
        return;
    }
    const size_t space = line.find(' ');
    const std::string command =
        line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    const bool queued = command == "answer" || command == "file";
    if (command == "end-scan") {
        if (dialog) {
            dialog->FinishAfterTyping();  // after what was typed has been handled
        }
        ++m_next;
        return;
    }
    if (!queued && dialog) {
        dialog->FinishAfterTyping();  // a command waits until the scan dialog has closed
        return;
    }
    if (!queued && m_busy) {
        return;
    }
    ++m_next;
    ++m_busy;
    Log("> " + line);
    // A command may open a scan dialog and run its loop; the timer that steps the file fires
    // again only once its own call has returned, so the command runs from a call of its own.
    QMetaObject::invokeMethod(
        this,
        [this, command, argument, line]() {
            if (!RunCommand(command, argument)) {
                Log("cannot run \"" + line + "\"");
            }
            --m_busy;
        },
        Qt::QueuedConnection);
}

void CZARN30Replay::Type(const std::string &line) {
    QWidget *target = zarn::QtScanDialog::Current();
    for (const char c : line) {
        const QString text(QChar::fromLatin1(c));
        const int key =
            std::isalnum(static_cast<unsigned char>(c)) ? QChar(c).toUpper().unicode() : 0;
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    }
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
}

bool CZARN30Replay::RunCommand(const std::string &command, const std::string &argument) {
    static const std::map<std::string, int> commands = {
        {"logon", kCmdLogon},
        {"logoff", kCmdLogoff},
        {"build-tree", kCmdBuildTree},
        {"start-scan", kCmdStartScan},
        {"update-server", kCmdUpdateServer},
        {"print-receipts", kCmdPrintReceipts},
        {"auto-complete", kCmdAutoComplete},
        {"clear-selected", kCmdClearSelected},
        {"scan-to-slot", kCmdScanToSlot},
        {"slot-allocation", kCmdSlotAllocation},
        {"query-exceptions", kCmdQueryExceptions},
        {"server-information", kCmdServerInformation},
    };
    if (const auto found = commands.find(command); found != commands.end()) {
        m_frame.OnCommand(found->second);
        return true;
    }
    if (command == "answer") {
        m_answers.answers.push_back(AnswerOf(argument));
        return true;
    }
    if (command == "file") {
        m_answers.files.push_back(argument);
        return true;
    }
    if (command == "pick" || command == "query") {
        Ui::COptionsDialogBar &bar = m_frame.OptionsBar().Controls();
        (command == "pick" ? bar.pick : bar.query)->click();
        return true;
    }
    if (command == "add-customer") {
        return AddCustomer(argument);
    }
    if (command == "export") {
        return Export(argument);
    }
    if (command == "quit") {
        m_next = m_lines.size();
        return true;
    }
    return false;
}

bool CZARN30Replay::AddCustomer(const std::string &customer) {
    CLeftView &tree = m_frame.TreeView();
    CZARN30TreeModel &model = tree.TreeModel();
    for (zarn::TreeControl::Item server : model.Children(0)) {
        for (zarn::TreeControl::Item item : model.Children(server)) {
            auto *node = static_cast<CZARN10TreeShared *>(model.ItemData(item));
            if (node && node->id == customer) {
                tree.setFocus();
                tree.setCurrentIndex(model.IndexOf(item));
                QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
                QApplication::sendEvent(&tree, &space);
                return true;
            }
        }
    }
    return false;
}

bool CZARN30Replay::Export(const std::string &argument) {
    // "LIST FORM PATH": LIST todo, done or errors; FORM text or xml.
    std::istringstream words(argument);
    std::string list, form, path;
    words >> list >> form;
    std::getline(words >> std::ws, path);
    const bool text = form == "text";
    const int command = list == "todo"     ? (text ? kCmdActiveExportText : kCmdActiveExportXml)
                        : list == "done"   ? (text ? kCmdScannedExportText : kCmdScannedExportXml)
                        : list == "errors" ? (text ? kCmdErrorExportText : kCmdErrorExportXml)
                                           : 0;
    if (command == 0 || path.empty()) {
        return false;
    }
    m_answers.files.push_back(path);
    m_frame.TabView().OnCommand(command);
    return true;
}

void CZARN30Replay::Finish() {
    if (zarn::QtScanDialog *dialog = zarn::QtScanDialog::Current()) {
        dialog->FinishAfterTyping();
        return;
    }
    if (m_busy || m_finishing) {
        return;
    }
    m_finishing = true;
    m_timer.stop();
    Log("done");
    m_frame.close();
}
