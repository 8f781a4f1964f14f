// Tollgate budgets: the movement tree of 1,000 customers, 3 media each and 1,000,000 volumes
// due to move from the embedded store under 4 s and 300 bytes per volume; AddRepository of
// 100,000 volumes under 2 s on SQLite and 5 s on PostgreSQL (ZARN_TEST_PGHOST/PGPORT); the
// pick-order sort of 100,000 items under 200 ms.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>

#include "recordingtreecontrol.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "zarn30doc.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::test;

namespace {

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Numbers 0..count-1 as a SQL row source on either back end.
QString Numbers(Backend backend, long count) {
    const std::string last = std::to_string(count - 1);
    return QString::fromStdString(
        backend == Backend::SQLite
            ? "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + last +
                  ") SELECT i FROM n"
            : "SELECT generate_series(0, " + last + ") AS i");
}

// prefix followed by the expression's value in width digits.
QString Padded(Backend backend, const std::string &prefix, const std::string &expression,
               int width) {
    const std::string digits = std::to_string(width);
    return QString::fromStdString(
        backend == Backend::SQLite
            ? "printf('" + prefix + "%0" + digits + "d', " + expression + ")"
            : "'" + prefix + "' || lpad((" + expression + ")::text, " + digits + ", '0')");
}

void LoadVolumes(Store &store, Backend backend, long count, const QString &customer,
                 const QString &media, int customers) {
    const QString customerId =
        customers > 1 ? Padded(backend, "C", "i % 1000", 3) : "'" + customer + "'";
    const QString mediaId = customers > 1 ? "'M' || ((i / 1000) % 3 + 1)" : "'" + media + "'";
    const uint8_t failed = store.Run(
        "INSERT INTO volumes (customer_id, media_id, volume, flags, current_repository,"
        " current_slot, destination_repository, destination_slot, version)"
        " SELECT " +
        customerId + ", " + mediaId + ", " + Padded(backend, "V", "i", 7) +
        ", 16, 'LIB1', i % 500 + 1, 'VLT1', i % 400 + 1, 1 FROM (" + Numbers(backend, count) +
        ") AS numbers");
    if (failed) {
        std::fprintf(stderr, "loading volumes failed: %s\n", store.LastError().c_str());
    }
    store.Run("ANALYZE");  // as the server's own maintenance would after a bulk load
}

void LoadReference(Store &store) {
    PutRepository(store, {"LIB1", "Library", "", 0});
    PutRepository(store, {"VLT1", "Vault", "", 0});
    PutZone(store, {1, "LIB-A", "", "", "LIB1", "", "", 1, 250, 0});
    PutZone(store, {2, "LIB-B", "", "", "LIB1", "", "", 251, 500, 0});
    SetMeta(store, "server_id", "BENCH");
}

void TreeOfAMillionVolumes(benchmark::State &state) {
    TestServer server(Backend::SQLite);
    Store &store = server.Admin();
    LoadReference(store);
    store.InTransaction([&]() -> uint8_t {
        for (int c = 0; c < 1000; ++c) {
            char id[8];
            std::snprintf(id, sizeof id, "C%03d", c);
            PutCustomer(store, {id, std::string("Customer ") + id, c, 0, "", "", ""});
            for (int m = 1; m <= 3; ++m) {
                PutMedia(store, {id, "M" + std::to_string(m), "Media", 0});
            }
        }
        return 0;
    });
    LoadVolumes(store, Backend::SQLite, 1000000, "", "", 1000);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    RecordingTreeControl control;
    for (auto _ : state) {
        const long before = ResidentBytes();
        CZARN10ProgressWnd progress(2, nullptr);
        CZARN10TreeRoot root(station.get(), 3, &progress, &control, nullptr);
        state.counters["volumes"] = root.moveCount;
        state.counters["bytes_per_volume"] =
            static_cast<double>(ResidentBytes() - before) / std::max(root.moveCount, 1);
    }
    state.counters["node_bytes"] = sizeof(CZARN10TreeVolume);
}
BENCHMARK(TreeOfAMillionVolumes)->Unit(benchmark::kMillisecond)->Iterations(1);

void AddRepositoryOfOneHundredThousand(benchmark::State &state, Backend backend) {
    TestServer server(backend);
    if (!server.Available()) {
        state.SkipWithError(server.Unavailable().c_str());
        return;
    }
    Store &store = server.Admin();
    LoadReference(store);
    PutCustomer(store, {"BIGC", "Big", 1, 0, "", "", ""});
    PutMedia(store, {"BIGC", "LTO9", "LTO-9", 0});
    LoadVolumes(store, backend, 100000, "BIGC", "LTO9", 1);
    ScriptedUiServices ui;
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    Profile profile("ZARNTollgate");
    CZARN30Doc doc(profile, ui,
                   {server.Settings().host, server.Settings().port, server.Settings().user, ""});
    doc.server.Session()->settings.database = server.Settings().database;
    doc.server.Logon(0);
    RecordingTreeControl control;
    for (auto _ : state) {
        state.PauseTiming();
        doc.DeleteTree();
        CZARN10ProgressWnd building(2, nullptr);
        doc.treeRoot =
            std::make_unique<CZARN10TreeRoot>(&doc.server, 3, &building, &control, nullptr);
        CZARN10TreeRepository &origin = *doc.treeRoot->customers.at("BIGC")
                                             ->media.at("LTO9")
                                             ->destinations.at("VLT1")
                                             ->origins.at("LIB1");
        CZARN10ProgressWnd progress(2, nullptr);
        state.ResumeTiming();
        doc.AddRepository(&origin, &progress, 0);
        doc.AddRepository(&origin, &progress, 0);  // the second add finds every volume listed
        state.counters["listed"] = static_cast<double>(doc.toScanList.size());
    }
}
BENCHMARK_CAPTURE(AddRepositoryOfOneHundredThousand, SQLite, Backend::SQLite)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(AddRepositoryOfOneHundredThousand, PostgreSQL, Backend::PostgreSQL)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void PickOrderOfOneHundredThousand(benchmark::State &state) {
    std::vector<CZARN10TreeVolume> items(100000);
    std::mt19937 random(7);
    for (size_t i = 0; i < items.size(); ++i) {
        std::snprintf(items[i].volumeSerial, sizeof items[i].volumeSerial, "V%07zu", i);
        WriteField(items[i].location.blocks[1].zoneName, "ZONE-" + std::to_string(random() % 40));
        items[i].location.blocks[1].zoneSlot = static_cast<int>(random() % 5000);
        items[i].locationFetched = 1;
    }
    ScriptedUiServices ui;
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    Profile profile("ZARNTollgate");
    CZARN30Doc doc(profile, ui, {});
    for (auto _ : state) {
        state.PauseTiming();
        doc.toScanList.clear();
        for (CZARN10TreeVolume &item : items) {
            doc.toScanList.push_back(&item);
        }
        std::shuffle(doc.toScanList.begin(), doc.toScanList.end(), random);
        state.ResumeTiming();
        doc.SortToScan(1);
    }
}
BENCHMARK(PickOrderOfOneHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
