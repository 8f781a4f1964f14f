// zarnserver run as an administrator runs it: passwords never on the command line, refused
// log-ons said as such, and a bad import file refused by line and column with the store as it
// was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "serverfixture.h"
#include "zarnadmin.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::HasSubstr;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// zarnserver with the arguments, standard input fed from input (closed after it, so the tool
// never sees a terminal) and the extra environment.
ToolRun RunTool(const QStringList &arguments, const std::string &input = "",
                const std::map<QString, QString> &environment = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("PGPASSWORD");
    for (const auto &[name, value] : environment) {
        env.insert(name, value);
    }
    process.setProcessEnvironment(env);
    process.start(ZARN_SERVER_TOOL, arguments);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

QStringList On(const ConnectionSettings &settings, const std::string &user, QStringList rest) {
    QStringList arguments = {"--host",     QString::fromStdString(settings.host),
                             "--port",     QString::number(settings.port),
                             "--database", QString::fromStdString(settings.database),
                             "--user",     QString::fromStdString(user)};
    return arguments + rest;
}

class ServerToolOnPostgres : public ::testing::Test {
protected:
    TestServer server{Backend::PostgreSQL};
    std::string role;
    void SetUp() override {
        if (!server.Configured()) {
            GTEST_SKIP() << server.Unavailable();
        }
        ASSERT_TRUE(server.Available()) << server.Unavailable();
        role = "tool_" + server.Settings().database.substr(10);
    }
    void TearDown() override {
        if (server.Available()) {
            server.Admin().Run(QString::fromStdString("DROP OWNED BY " + role));
            server.Admin().Run(QString::fromStdString("DROP ROLE IF EXISTS " + role));
        }
    }
    uint8_t LogOnAs(const std::string &password) {
        ConnectionSettings settings = server.Settings();
        settings.user = role;
        settings.password = password;
        uint8_t result = 0;
        std::string error;
        Store::Open(settings, result, error);
        return result;
    }
};

TEST_F(ServerToolOnPostgres, AStationRoleTakesItsPasswordFromStandardInput) {
    const std::string password = "it's \"quoted\" \\ and; long";
    const ToolRun created =
        RunTool(On(server.Settings(), "postgres", {"roles", QString::fromStdString(role)}),
                password + "\n");
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_THAT(created.out, HasSubstr("station role " + role + " created"));
    EXPECT_EQ(LogOnAs(password), kZarnOK);
    EXPECT_EQ(LogOnAs("not it"), kZarnLogonRefused);

    const ToolRun empty = RunTool(On(server.Settings(), "postgres", {"roles", "another_role"}), "");
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_THAT(empty.err, HasSubstr("no password on standard input"));
}

TEST_F(ServerToolOnPostgres, TheAdministratorsPasswordComesFromTheEnvironment) {
    ASSERT_EQ(RunTool(On(server.Settings(), "postgres", {"roles", QString::fromStdString(role)}),
                      "secret\n")
                  .exitCode,
              0);
    const ToolRun right =
        RunTool(On(server.Settings(), role, {"info"}), "", {{"PGPASSWORD", "secret"}});
    EXPECT_EQ(right.exitCode, 0) << right.err;
    EXPECT_THAT(right.out, HasSubstr("schema version"));

    // No terminal to ask on: the refusal is said as such, not as a server out of reach.
    const ToolRun wrong =
        RunTool(On(server.Settings(), role, {"info"}), "", {{"PGPASSWORD", "wrong"}});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_THAT(wrong.err, HasSubstr("The server refused the user name or password"));

    const ToolRun onCommandLine =
        RunTool(On(server.Settings(), role, {"--password", "secret", "info"}));
    EXPECT_EQ(onCommandLine.exitCode, 0) << onCommandLine.err;
    EXPECT_THAT(onCommandLine.err, HasSubstr("shows in the process list"));
}

TEST(ServerTool, ABadImportFileIsRefusedByLineAndColumnAndChangesNothing) {
    TestServer server(Backend::SQLite);
    ASSERT_TRUE(server.Available()) << server.Unavailable();
    server.BuildSmallWorld();
    const auto before = TableCounts(server.Admin());
    TempDir folder;
    const std::string file =
        folder.WriteFile("volumes.csv",
                         "customer_id,media_id,volume,current_repository,current_slot\n"
                         "ACME,LTO9,N00001,LIB1,4\n"
                         "ACME,LTO9,N00002,LIB1,four\n");
    const QStringList database = {"--database", QString::fromStdString(server.Settings().database)};
    const ToolRun refused =
        RunTool(database + QStringList{"import", "volumes", QString::fromStdString(file)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("line 3, column current_slot"));
    EXPECT_THAT(refused.err, HasSubstr("nothing was imported"));
    EXPECT_EQ(TableCounts(server.Admin()), before);
}

TEST(ServerTool, CommandsThatOnlyReadNeverMakeAStore) {
    TempDir folder;
    const QString missing = QString::fromStdString((folder.Path() / "typo" / "none.db").string());
    for (const QStringList &command : {QStringList{"info"}, QStringList{"export", "volumes"}}) {
        const ToolRun run = RunTool(command, "", {{"ZARNDATABASE", missing}});
        EXPECT_EQ(run.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_THAT(run.err, HasSubstr("there is no store at " + missing.toStdString()));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "typo"));
}

}  // namespace
