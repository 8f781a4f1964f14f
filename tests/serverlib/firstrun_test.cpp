// A store's creation is whole or leaves nothing to use: killed in the middle, the next start
// makes it again; a file without tables left by an older creation is never taken for a store.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlQuery>

#include <sqlite3.h>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnfirstrun.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;

namespace {

// Runs the store maker; calls: the clock call at which it kills itself (0: never).
QProcess::ExitStatus MakeStore(const ConnectionSettings &settings, int calls) {
    QProcess maker;
    maker.start(ZARN_STORE_MAKER,
                {QString::fromStdString(settings.host), QString::number(settings.port),
                 QString::fromStdString(settings.database), QString::number(calls)});
    maker.waitForFinished(60000);
    return maker.exitStatus() == QProcess::NormalExit && maker.exitCode() != 0 ? QProcess::CrashExit
                                                                               : maker.exitStatus();
}

long long Volumes(Store &store) {
    return TableCounts(store)["volumes"];
}

TEST(FirstRun, AnEmbeddedStoreKilledWhileMadeLeavesNothingAndIsMadeAtTheNextStart) {
    TempDir folder;
    ConnectionSettings settings;
    settings.database = (folder.Path() / "kestrava.db").string();
    EXPECT_EQ(MakeStore(settings, 100), QProcess::CrashExit) << "killed inside the demo data";
    EXPECT_EQ(InspectEmbeddedFile(settings.database), EmbeddedFile::Missing);

    ASSERT_EQ(MakeStore(settings, 0), QProcess::NormalExit);
    EXPECT_EQ(InspectEmbeddedFile(settings.database), EmbeddedFile::Store);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "nothing left beside the store: the killed creation's file was cleared away";
    uint8_t result = 0;
    std::string error;
    std::unique_ptr<Store> made = Store::Open(settings, result, error);
    ASSERT_NE(made, nullptr) << error;
    EXPECT_EQ(Volumes(*made), 300) << "the whole demo data set";
}

TEST(FirstRun, AFileWithoutTablesIsNeverUsedAsAStore) {
    TempDir folder;
    const std::string path = (folder.Path() / "kestrava.db").string();
    sqlite3 *db = nullptr;  // what a creation that stopped after its first statement left
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ASSERT_EQ(InspectEmbeddedFile(path), EmbeddedFile::NoTables);

    CZARN10MFC station(0);
    station.Session()->settings.database = path;
    EXPECT_EQ(station.Logon(0).Code(), kZarnDatabaseError) << "not filled as an empty store";
    EXPECT_EQ(InspectEmbeddedFile(path), EmbeddedFile::NoTables);

    setenv("ZARNDATABASE", path.c_str(), 1);
    std::string made, error;
    bool madeAnew = false;
    EXPECT_TRUE(CreateEmbeddedStoreIfMissing(made, error, &madeAnew)) << error;
    EXPECT_TRUE(madeAnew);
    EXPECT_TRUE(station.Logon(0).IsOK(0));

    const std::string text = folder.WriteFile("notes.db", "not a database at all");
    setenv("ZARNDATABASE", text.c_str(), 1);
    EXPECT_FALSE(CreateEmbeddedStoreIfMissing(made, error));
    EXPECT_EQ(error, "the file is not a store (not an SQLite database); it is left as it is");
    unsetenv("ZARNDATABASE");
}

TEST(FirstRun, ASharedStoreKilledWhileLoadedHoldsAllOfItOrNone) {
    TestServer server(Backend::PostgreSQL);
    if (!server.Configured()) {
        GTEST_SKIP() << server.Unavailable();
    }
    ASSERT_TRUE(server.Available()) << server.Unavailable();
    EXPECT_EQ(MakeStore(server.Settings(), 100), QProcess::CrashExit);
    EXPECT_EQ(Volumes(server.Admin()), 0);
    EXPECT_EQ(TableCounts(server.Admin())["customers"], 0);
    ASSERT_EQ(MakeStore(server.Settings(), 0), QProcess::NormalExit);
    EXPECT_EQ(Volumes(server.Admin()), 300);
}

}  // namespace
