// A throw-away server store for tests, on SQLite or on the PostgreSQL test cluster, with a small
// readable world, and connections to it.
#ifndef ZARN_TESTS_SERVERFIXTURE_H
#define ZARN_TESTS_SERVERFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "supportfixtures.h"
#include "zarn10mfc.h"
#include "zarnstore.h"

namespace zarn::test {

// The PostgreSQL test cluster, from ZARN_TEST_PGHOST and ZARN_TEST_PGPORT (scripts/test starts
// it); empty host when there is none.
ConnectionSettings PostgresTestCluster();

// A volume row as a test states it; an empty destination means no move is pending.
VolumeRow MakeVolume(const char *customer, const char *volume, StoreLocation current,
                     StoreLocation destination = {}, uint32_t flags = 0, int32_t container = 0,
                     const char *media = "LTO9");

// Test names of the two back ends, and the one line that runs a parameterised suite on both.
std::string BackendName(const ::testing::TestParamInfo<Backend> &info);
#define ZARN_ON_BOTH_BACKENDS(Suite)                                             \
    INSTANTIATE_TEST_SUITE_P(                                                    \
        BothBackends, Suite,                                                     \
        ::testing::Values(::zarn::Backend::SQLite, ::zarn::Backend::PostgreSQL), \
        ::zarn::test::BackendName)

class TestServer {
public:
    explicit TestServer(Backend backend);
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    // False when this back end is not offered here (no PostgreSQL test cluster): skip then.
    bool Configured() const { return m_configured; }
    // False (with the reason) when the store could not be made: a failure where configured.
    bool Available() const { return m_admin != nullptr; }
    const std::string &Unavailable() const { return m_reason; }

    // Customer ACME (media LTO9, LTO8) and BETA (LTO9); repositories LIB1, VLT1 and OFFS
    // (query only); zone 1 LIB-A = LIB1 slots 1-100, zone 2 ACME-CAGE = VLT1 slots 201-300 for
    // ACME only; volumes of ACME LTO9: A00001 at LIB1/5 due to VLT1/7, A00002 at LIB1/6 staying,
    // C00001 a container (number 900) at LIB1/8 due to VLT1/9; BETA LTO9 B00001 at VLT1/3.
    void BuildSmallWorld();

    // A trigger that makes every update of the volume fail in the store, or hold it up for
    // minutes: what a store that cannot take one write looks like, and a station caught in the
    // middle of a transaction.
    bool RefuseUpdatesOf(const std::string &volume) { return AddUpdateTrigger(volume, false); }
    bool HoldUpdatesOf(const std::string &volume) { return AddUpdateTrigger(volume, true); }

    Store &Admin() { return *m_admin; }
    // The PostgreSQL database is left on the cluster (a test that copies the cluster).
    void KeepDatabase() { m_database.clear(); }
    const ConnectionSettings &Settings() const { return m_settings; }
    // A station logged on to this store.
    std::unique_ptr<CZARN10MFC> Connect(const char *user = "station");

private:
    bool AddUpdateTrigger(const std::string &volume, bool slow);

    Backend m_backend;
    ConnectionSettings m_settings;
    std::unique_ptr<TempDir> m_folder;
    std::unique_ptr<Store> m_admin;
    std::string m_reason;
    std::string m_database;  // PostgreSQL: the database made for this test
    bool m_configured = true;
};

// A station logged on to the small world on the suite's back end (skipped where that back end
// is not offered).
class SmallWorldTest : public ::testing::TestWithParam<Backend> {
protected:
    TestServer server{GetParam()};
    std::unique_ptr<CZARN10MFC> station;

    void SetUp() override;
    // The first value of a query's first row on the store, -1 when the query fails.
    long long Count(const std::string &sql);
};

// A PostgreSQL cluster of the test's own (scripts/pgcluster), which it can halt, resume, restart
// and promote; or a streaming standby of another.
class OwnCluster {
public:
    struct StandbyOf {
        const OwnCluster &primary;
    };
    OwnCluster();
    explicit OwnCluster(StandbyOf standby);
    ~OwnCluster();
    OwnCluster(const OwnCluster &) = delete;
    OwnCluster &operator=(const OwnCluster &) = delete;
    bool Running() const { return !m_host.empty(); }
    const std::string &Host() const { return m_host; }
    const std::string &Port() const { return m_port; }
    std::string Address() const { return m_host + ":" + m_port; }
    // scripts/pgcluster ACTION on this cluster; true when it succeeded.
    bool Command(const std::string &action, const std::string &argument = "");

private:
    std::string Folder() const;
    void Start(const std::string &command);

    TempDir m_folder;
    std::string m_host;
    std::string m_port;
};

}  // namespace zarn::test

#endif
