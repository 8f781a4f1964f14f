// Shelver budget: one shelving scan (the volume read, the coordinate, the write, the list row)
// under 3 ms on SQLite with full durability and under 5 ms on PostgreSQL over loopback; beside
// the plain program doing the same read and write in one transaction.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "benchstore.h"
#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnshelverview.h"

using namespace zarn;
using namespace zarn::bench;
using namespace zarn::test;

namespace {

void OneShelvingScan(benchmark::State &state, Backend backend) {
    TestServer server(backend);
    if (!server.Available()) {
        state.SkipWithError(server.Unavailable().c_str());
        return;
    }
    LoadBigCustomer(server.Admin(), backend, 10000);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    Profile profile("ZARNShelver");
    CZARNShelverScanBar bar(profile);
    bar.FillZones(*station);
    bar.currentZone = 1;
    bar.currentSlot = 1;
    bar.autoIncrement = 1;
    int answered = 0;
    CZARNShelverView scanning(*station, bar, [](const std::string &) {});
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(server.Settings());
    Latencies project, baseline;
    long next = 0;
    for (auto _ : state) {
        char key[kZarnVolumeKeyWidth] = {};
        char serial[12];
        std::snprintf(serial, sizeof serial, "V%07ld", next % 10000);
        std::memcpy(key, "BIGCLTO9", 8);
        std::memcpy(key + 8, serial, std::strlen(serial));
        if (bar.currentSlot > 200) {
            bar.currentSlot = 1;
        }
        auto start = Latencies::Clock::now();
        answered += scanning.OnVolume(kZarnOK, key);
        project.Add(Latencies::Clock::now() - start);
        std::snprintf(serial, sizeof serial, "V%07ld", (next + 5000) % 10000);
        start = Latencies::Clock::now();
        plain->Move("BIGC", "LTO9", serial, 3);
        baseline.Add(Latencies::Clock::now() - start);
        ++next;
    }
    ReportBeside(state, project, baseline);
    state.counters["placed"] = answered;
    state.counters["rows"] = static_cast<double>(scanning.Scanned().size());
}
BENCHMARK_CAPTURE(OneShelvingScan, SQLite, Backend::SQLite)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(OneShelvingScan, PostgreSQL, Backend::PostgreSQL)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
