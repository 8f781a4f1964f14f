#include "replay.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRadioButton>

#include <map>
#include <sstream>

#include "ui_optionsbar.h"
#include "zarnedit.h"
#include "zarnqtprogress.h"
#include "zarnqtscandialog.h"

namespace {

using zarn::ReplayLog;

class LoggedResults : public zarn::ResultListPresenter {
public:
    bool Show(const std::vector<zarn::ResultListEntry> &entries) override {
        for (const zarn::ResultListEntry &entry : entries) {
            ReplayLog("result " + entry.text + ": " + entry.result.Get());
        }
        return false;
    }
};

class LoggedInfo : public zarn::InfoPresenter {
public:
    void Show(const std::string &title, const std::vector<std::string> &lines) override {
        ReplayLog(title);
        for (const std::string &line : lines) {
            ReplayLog("  " + line);
        }
    }
};

bool AddCustomer(CMainFrame &frame, const std::string &customer) {
    CLeftView &tree = frame.TreeView();
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

// "LIST FORM PATH": LIST todo, done or errors; FORM text or xml.
bool Export(CMainFrame &frame, CZARN30ReplayAnswers &answers, const std::string &argument) {
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
    answers.files.push_back(path);
    frame.TabView().OnCommand(command);
    return true;
}

bool RunCommand(CMainFrame &frame, CZARN30ReplayAnswers &answers, const std::string &command,
                const std::string &argument) {
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
        frame.OnCommand(found->second);
        return true;
    }
    if (command == "pick" || command == "query") {
        Ui::COptionsDialogBar &bar = frame.OptionsBar().Controls();
        (command == "pick" ? bar.pick : bar.query)->click();
        return true;
    }
    if (command == "add-customer") {
        return AddCustomer(frame, argument);
    }
    if (command == "export") {
        return Export(frame, answers, argument);
    }
    if (command == "customer-filter-keys") {  // F2 in the field: its SmartEdit keys
        zarn::CZARNEdit *field = frame.OptionsBar().CustomerFilterField();
        field->setFocus();
        QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
        QApplication::sendEvent(field, &f2);
        ReplayLog(QString(field->Tip()).replace('\n', ' ').simplified().toStdString());
        return true;
    }
    return false;
}

}  // namespace

bool CZARN30ReplayAnswers::Run(CZARN30Filters &filters) {
    for (CZARN10Direction &pair : filters.directions) {
        pair.checked = 1;
    }
    return true;
}

bool CZARN30ReplayAnswers::Run(const std::vector<CZARN30BadScanItem> &errors) {
    ReplayLog("scan error warning over " + std::to_string(errors.size()) + " errors: cleared");
    return true;
}

void CZARN30ReplayAnswers::Show(const std::vector<QueryPermissionsItem> &entries) {
    ReplayLog("query exceptions: " + std::to_string(entries.size()) + " entries");
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

std::unique_ptr<zarn::CZARNReplay> MakeTollgateReplay(CMainFrame &frame,
                                                      CZARN30ReplayAnswers &answers,
                                                      std::vector<std::string> lines) {
    zarn::ReplayScanDialog dialog{
        []() -> QWidget * { return zarn::QtScanDialog::Current(); },
        []() {
            if (zarn::QtScanDialog *open = zarn::QtScanDialog::Current()) {
                open->FinishAfterTyping();
            }
        }};
    return std::make_unique<zarn::CZARNReplay>(
        std::move(lines), answers, std::move(dialog),
        [&frame, &answers](const std::string &command, const std::string &argument) {
            return RunCommand(frame, answers, command, argument);
        },
        [&frame]() { frame.close(); });
}
