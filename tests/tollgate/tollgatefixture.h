// The world the Tollgate tests share: a fixture store with one more volume due to move, a
// profile under a temporary folder, headless presenters, scripted dialogs, a logged-on
// document and its movement tree. Every suite runs on SQLite and on PostgreSQL.
#ifndef ZARN_TESTS_TOLLGATE_TOLLGATEFIXTURE_H
#define ZARN_TESTS_TOLLGATE_TOLLGATEFIXTURE_H

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <memory>
#include <string>

#include "recordingtreecontrol.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "zarn30doc.h"
#include "zarn30journal.h"
#include "zarn30scanning.h"
#include "zarn30speaker.h"
#include "zarnadmin.h"
#include "zarnheadless.h"
#include "zarnsession.h"

namespace zarn::test {

class TollgateFixture : public ::testing::TestWithParam<Backend> {
protected:
    TempDir folder;
    TestServer server{GetParam()};
    HeadlessScript script;
    HeadlessPresenters presenters{script};
    ScriptedUiServices ui;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARN30Doc> doc;
    RecordingTreeControl control;

    // What a test adds to the store before the document logs on and builds its tree.
    virtual void AddToWorld(Store &) {}

    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        Profile::RedirectForTests(folder.Path().string());
        SetPresenterFactory(&presenters);
        server.BuildSmallWorld();
        PutVolume(server.Admin(), MakeVolume("ACME", "A00009", {"LIB1", 2}, {"VLT1", 20}));
        AddToWorld(server.Admin());
        profile = std::make_unique<Profile>("ZARNTollgate");
        doc = std::make_unique<CZARN30Doc>(*profile, ui, CZARN30LogonDetails{});
        doc->server.Session()->settings = server.Settings();
        ASSERT_TRUE(doc->server.Logon(0).IsOK(0));
        Rebuild();
    }
    void TearDown() override {
        doc.reset();
        SetPresenterFactory(nullptr);
    }

    void Rebuild() {
        doc->ResetLists(1);
        doc->DeleteTree();
        CZARN10ProgressWnd progress(2, nullptr);
        doc->treeRoot =
            std::make_unique<CZARN10TreeRoot>(&doc->server, 3, &progress, &control, nullptr);
    }
    // ACME LTO9 from LIB1 to VLT1: A00001 (slot 5), A00009 (slot 2), C00001 (slot 8).
    CZARN10TreeRepository &LibraryToVault() {
        return *doc->treeRoot->customers.at("ACME")
                    ->media.at("LTO9")
                    ->destinations.at("VLT1")
                    ->origins.at("LIB1");
    }
    int AddLibraryToVault(int useFilters = 0) {
        CZARN10ProgressWnd progress(2, nullptr);
        return doc->AddRepository(&LibraryToVault(), &progress, useFilters);
    }
    // A number the store answers (the first column of the first row), -1 when it cannot.
    long long StoreCount(const std::string &sql) {
        QSqlQuery query(server.Admin().Database());
        return server.Admin().Run(query, QString::fromStdString(sql)) == 0 && query.next()
                   ? query.value(0).toLongLong()
                   : -1;
    }
    // A real-time Query session as the program starts one: the journal opened in the test's
    // folder, the server id read as the log-on reads it, each scan completing its move, the
    // logic speaking through speaker, and ACME LTO9 from the library to the vault listed.
    std::unique_ptr<CZARN30MainLogic> StartRealTimeSession(CZARN30Journal &journal,
                                                           CZARN30Speaker &speaker) {
        std::string error;
        EXPECT_TRUE(journal.Open((folder.Path() / "session.db").string(), error)) << error;
        doc->journal = &journal;
        doc->ServerId();
        doc->settings.block.realTimeUpdate = 1;
        doc->settings.operationType = 1;
        doc->settings.scanMode = 0;
        auto logic = std::make_unique<CZARN30MainLogic>(*doc, speaker);
        AddLibraryToVault();
        return logic;
    }
};

// Starts the speaker with a voice that records what it is told; that voice.
inline RecordingVoice *StartRecordingSpeaker(CZARN30Speaker &speaker, UiServices &ui) {
    RecordingVoice *voice = nullptr;
    speaker.Start(
        [&voice]() {
            auto made = std::make_unique<RecordingVoice>();
            voice = made.get();
            return made;
        },
        ui);
    return voice;
}

}  // namespace zarn::test

#endif
