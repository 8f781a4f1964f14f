#include "serverfixture.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cstdio>
#include <cstdlib>

#include "zarnadmin.h"
#include "zarnrecords.h"
#include "zarnsession.h"

namespace zarn::test {
namespace {

// Runs one statement on the cluster's maintenance database (CREATE or DROP DATABASE).
bool OnCluster(const ConnectionSettings &cluster, const QString &sql, std::string &error) {
    const QString name = "zarn-admin-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", name);
        db.setHostName(QString::fromStdString(cluster.host));
        db.setPort(static_cast<int>(cluster.port));
        db.setUserName(QString::fromStdString(cluster.user));
        db.setDatabaseName("postgres");
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(sql);
            error = query.lastError().text().toStdString();
        } else {
            error = db.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

}  // namespace

VolumeRow MakeVolume(const char *customer, const char *volume, StoreLocation current,
                     StoreLocation destination, uint32_t flags, int32_t container,
                     const char *media) {
    VolumeRow row;
    row.customer = customer;
    row.media = media;
    row.volume = volume;
    row.current = current;
    row.destination = destination;
    row.flags = flags;
    row.container = container;
    return row;
}

std::string BackendName(const ::testing::TestParamInfo<Backend> &info) {
    return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

ConnectionSettings PostgresTestCluster() {
    ConnectionSettings cluster;
    const char *host = std::getenv("ZARN_TEST_PGHOST");
    const char *port = std::getenv("ZARN_TEST_PGPORT");
    if (host && *host && port && *port) {
        cluster.host = host;
        cluster.port = static_cast<unsigned>(std::atoi(port));
        cluster.user = "postgres";
    }
    return cluster;
}

TestServer::TestServer(Backend backend) : m_backend(backend) {
    if (backend == Backend::SQLite) {
        m_folder = std::make_unique<TempDir>();
        m_settings.database = (m_folder->Path() / "store.db").string();
    } else {
        m_settings = PostgresTestCluster();
        if (m_settings.host.empty()) {
            m_reason = "no PostgreSQL test cluster (ZARN_TEST_PGHOST/ZARN_TEST_PGPORT unset)";
            m_configured = false;
            return;
        }
        m_database =
            "zarn_test_" + QUuid::createUuid().toString(QUuid::Id128).left(12).toStdString();
        if (!OnCluster(m_settings, QString::fromStdString("CREATE DATABASE " + m_database),
                       m_reason)) {
            return;
        }
        m_settings.database = m_database;
    }
    uint8_t result = 0;
    m_admin = OpenAndMigrate(m_settings, result, m_reason);
}

TestServer::~TestServer() {
    m_admin.reset();
    if (!m_database.empty()) {
        std::string ignored;
        OnCluster(m_settings, QString::fromStdString("DROP DATABASE IF EXISTS " + m_database),
                  ignored);
    }
}

void TestServer::BuildSmallWorld() {
    Store &store = *m_admin;
    PutCustomer(store, {"ACME", "Acme Insurance", 1, 0, "555-0100", "Dana", "1 Harbour Road"});
    PutCustomer(store, {"BETA", "Beta Logistics", 2, 0, "", "", ""});
    PutMedia(store, {"ACME", "LTO9", "LTO-9 cartridges", 0});
    PutMedia(store, {"ACME", "LTO8", "LTO-8 cartridges", kZarnMediaCountsGiven});
    PutMedia(store, {"BETA", "LTO9", "LTO-9 cartridges", 0});
    PutRepository(store, {"LIB1", "Main library", "HQ", 0});
    PutRepository(store, {"VLT1", "North vault", "NV", 0});
    PutRepository(store, {"OFFS", "Offsite store", "OS", kZarnRepoQueryOnly});
    PutZone(store, {1, "LIB-A", "Library A", "Aisle A", "LIB1", "", "", 1, 100, 0});
    PutZone(store, {2, "ACME-CAGE", "Acme cage", "Acme only", "VLT1", "ACME", "", 201, 300, 0});
    PutVolume(store, MakeVolume("ACME", "A00001", {"LIB1", 5}, {"VLT1", 7}, kZarnVolMoveDateKnown));
    PutVolume(store, MakeVolume("ACME", "A00002", {"LIB1", 6}, {}));
    PutVolume(store,
              MakeVolume("ACME", "C00001", {"LIB1", 8}, {"VLT1", 9}, kZarnVolContainer, 900));
    PutVolume(store, MakeVolume("BETA", "B00001", {"VLT1", 3}, {}));
    PutJournalCode(store, 0, 101, "Courier run", 1);
    PutJournalCode(store, 1, 0, "", 0);
    PutJournalCode(store, 2, 103, "Tape handling", 2);
    SetMeta(store, "server_id", "TEST-SERVER");
    SetMeta(store, "server_name", "Test server");
    SetMeta(store, "prepared_by", "Kestrava Test Services");
}

bool TestServer::AddUpdateTrigger(const std::string &volume, bool slow) {
    QSqlQuery query(m_admin->Database());
    const auto exec = [&](const std::string &sql) {
        return query.exec(QString::fromStdString(sql));
    };
    if (m_backend == Backend::SQLite) {
        // SQLite has no sleep: counting a three-way join of the volumes takes long enough.
        const std::string what = slow ? "SELECT COUNT(*) FROM volumes a, volumes b, volumes c"
                                      : "SELECT RAISE(ABORT, 'refused by the test')";
        return exec("CREATE TRIGGER refused_update BEFORE UPDATE ON volumes WHEN NEW.volume = '" +
                    volume + "' BEGIN " + what + "; END");
    }
    const std::string what =
        slow ? "PERFORM pg_sleep(120);" : "RAISE EXCEPTION 'refused by the test';";
    return exec("CREATE FUNCTION refused_update() RETURNS trigger AS $$ BEGIN IF NEW.volume = '" +
                volume + "' THEN " + what + " END IF; RETURN NEW; END $$ LANGUAGE plpgsql") &&
           exec(
               "CREATE TRIGGER refused_update BEFORE UPDATE ON volumes FOR EACH ROW"
               " EXECUTE FUNCTION refused_update()");
}

std::unique_ptr<CZARN10MFC> TestServer::Connect(const char *user) {
    auto server = std::make_unique<CZARN10MFC>(0);
    server->SetProgramID(3);
    server->SetLogonDetails(m_settings.host.c_str(), m_settings.port,
                            m_backend == Backend::SQLite ? user : m_settings.user.c_str(), "");
    server->Session()->settings.database = m_settings.database;
    if (!server->Logon(0).IsOK(0)) {
        return nullptr;
    }
    return server;
}

void SmallWorldTest::SetUp() {
    if (!server.Configured()) {
        GTEST_SKIP() << server.Unavailable();
    }
    ASSERT_TRUE(server.Available()) << server.Unavailable();
    server.BuildSmallWorld();
    station = server.Connect();
    ASSERT_NE(station, nullptr);
}

long long SmallWorldTest::Count(const std::string &sql) {
    QSqlQuery query(server.Admin().Database());
    return query.exec(QString::fromStdString(sql)) && query.next() ? query.value(0).toLongLong()
                                                                   : -1;
}

namespace {

std::string ClusterScript() {
    return std::string(ZARN_SOURCE_DIR) + "/scripts/pgcluster";
}

}  // namespace

OwnCluster::OwnCluster() {
    Start("start " + Folder());
}

OwnCluster::OwnCluster(StandbyOf standby) {
    Start("standby " + Folder() + " " + standby.primary.Folder());
}

OwnCluster::~OwnCluster() {
    Command("stop");
}

std::string OwnCluster::Folder() const {
    return m_folder.Path().string() + "/pg";
}

bool OwnCluster::Command(const std::string &action, const std::string &argument) {
    const std::string line = ClusterScript() + " " + action + " " + Folder() + " " + argument;
    return std::system(line.c_str()) == 0;
}

void OwnCluster::Start(const std::string &command) {
    FILE *started = popen((ClusterScript() + " " + command).c_str(), "r");
    char host[64] = "";
    unsigned port = 0;
    if (started && std::fscanf(started, "%63s %u", host, &port) == 2) {
        m_host = host;
        m_port = std::to_string(port);
    }
    if (started) {
        pclose(started);
    }
}

}  // namespace zarn::test
