// The Tollgate's main window on a fixture store, with every outside effect scripted: message
// boxes, file dialogs, the desktop, the export and filter dialogs, the voice.
#ifndef ZARN_TESTS_TOLLGATE_UI_WINDOWFIXTURE_H
#define ZARN_TESTS_TOLLGATE_UI_WINDOWFIXTURE_H

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <filesystem>

#include "mainframe.h"
#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "tablesource.h"
#include "zarnadmin.h"
#include "zarnheadless.h"
#include "zarnrepaintpacer.h"
#include "zarnsession.h"

namespace zarn::test {

class ScriptedTollgateDialogs : public FilterDialogPresenter,
                                public ScanErrorWarningPresenter,
                                public QueryExceptionPresenter {
public:
    bool Run(CZARN30Filters &filters) override {
        ++filterRuns;
        for (CZARN10Direction &pair : filters.directions) {
            pair.checked = 1;
        }
        return true;
    }
    bool Run(const std::vector<CZARN30BadScanItem> &errors) override {
        warnings.push_back(errors.size());
        return clearWarning;
    }
    void Show(const std::vector<QueryPermissionsItem> &entries) override {
        exceptionTables.push_back(entries.size());
    }
    int filterRuns = 0;
    bool clearWarning = true;
    std::vector<size_t> warnings;
    std::vector<size_t> exceptionTables;
};

inline std::string ScreenshotPath(const char *name) {
    const char *folder = std::getenv("ZARN_SCREENSHOTS");
    return (std::filesystem::path(folder ? folder : ".") / name).string();
}

class WindowFixture : public ::testing::Test {
protected:
    TempDir folder;
    ScopedEnvironment updates{"ZARNUPDATESERVER", "127.0.0.1:1"};
    TestServer server{Backend::SQLite};
    HeadlessScript script;
    HeadlessPresenters presenters{script};
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs exportDialogs;
    ScriptedTollgateDialogs dialogs;
    std::unique_ptr<CZARNWinApp> app;
    std::unique_ptr<CZARN30Doc> doc;
    std::unique_ptr<CMainFrame> frame;
    RecordingVoice *voice = nullptr;
    bool speech = true;  // a fixture without a voice sets it false before SetUp

    virtual void AddToWorld(Store &) {}

    void SetUp() override {
        Profile::RedirectForTests(folder.Path().string());
        SetPresenterFactory(&presenters);
        RegisterTollgateMenus();
        server.BuildSmallWorld();
        PutVolume(server.Admin(), MakeVolume("ACME", "A00009", {"LIB1", 2}, {"VLT1", 20}));
        AddToWorld(server.Admin());
        WinAppServices services{&ui, &desktop, (folder.Path() / "ZARNTollgate").string(), false};
        app = std::make_unique<CZARNWinApp>("ZARNTollgate", std::vector<std::string>{}, services);
        app->InitFramework("Kestrava Tollgate", "", "Aug 14 2018");
        doc = std::make_unique<CZARN30Doc>(app->GetProfile(), ui, CZARN30LogonDetails{});
        doc->server.Session()->settings = server.Settings();
        doc->queryExceptions.SetPath((folder.Path() / "QueryExceptions.txt").string());
        CZARN30FrameServices frameServices;
        frameServices.ui = &ui;
        frameServices.desktop = &desktop;
        frameServices.exportDialogs = &exportDialogs;
        frameServices.filterDialog = &dialogs;
        frameServices.scanErrorWarning = &dialogs;
        frameServices.queryExceptions = &dialogs;
        frameServices.documentationPath = folder.WriteFile("tollgate.html", "<html/>");
        frameServices.voice = [this]() -> std::unique_ptr<Voice> {
            if (!speech) {
                return nullptr;  // speech off: the program says so once and answers on screen
            }
            auto made = std::make_unique<RecordingVoice>();
            voice = made.get();
            return made;
        };
        if (!speech) {
            ui.Answer(kAnswerOk);  // "TTS Init Failed"
        }
        frame = std::make_unique<CMainFrame>(*app, *doc, frameServices);
        frame->resize(1280, 760);
        frame->show();
        SendWindowMessage(&frame->Logic(), {kMsgLogonAndBuild, 0, 0, {}});  // log on, build
        QApplication::processEvents();
    }
    void TearDown() override {
        frame.reset();
        doc.reset();
        app.reset();
        SetPresenterFactory(nullptr);
    }
    void Grab(const char *name) {
        QApplication::processEvents();
        frame->grab().save(QString::fromStdString(ScreenshotPath(name)));
    }
    // Selects the tree item whose label starts with text and presses space on it.
    // The tab labels follow a burst of scans within a frame: what the operator sees then.
    void LetTheFrameEnd() { QTest::qWait(3 * zarn::RepaintPacer::kFrameMs); }
    void AddFromTree(const std::string &text) {
        CLeftView &tree = frame->TreeView();
        CZARN30TreeModel &model = tree.TreeModel();
        const QModelIndexList found =
            model.match(model.index(0, 0), Qt::DisplayRole, QString::fromStdString(text), 1,
                        Qt::MatchStartsWith | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty()) << text;
        tree.setCurrentIndex(found.front());
        QTest::keyClick(&tree, Qt::Key_Space);
    }
};

}  // namespace zarn::test

#endif
