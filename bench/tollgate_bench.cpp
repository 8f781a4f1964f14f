// Tollgate budgets: the movement tree of 1,000 customers, 3 media each and 1,000,000 volumes
// due to move from the embedded store under 2.5 s, within twice one plain scan of the same rows,
// and under 300 bytes per volume; AddRepository of 100,000 volumes under 2 s on SQLite and 5 s
// on PostgreSQL (ZARN_TEST_PGHOST/PGPORT), and of 1,000,000 within twice one plain range read;
// the pick-order sort of 100,000 items under 200 ms.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>

#include "benchstore.h"
#include "recordingtreecontrol.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "zarn30doc.h"
#include "zarnadmin.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::bench;
using namespace zarn::test;

namespace {

void TreeOfAMillionVolumes(benchmark::State &state) {
    TestServer server(Backend::SQLite);
    Store &store = server.Admin();
    const long count = state.range(0);
    LoadManyCustomers(store, 1000, count);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(server.Settings());
    RecordingTreeControl control;
    Latencies project, baseline;
    for (auto _ : state) {
        const long before = ResidentBytes();
        auto start = Latencies::Clock::now();
        {
            CZARN10ProgressWnd progress(2, nullptr);
            CZARN10TreeRoot root(station.get(), 3, &progress, &control, nullptr);
            project.Add(Latencies::Clock::now() - start);
            state.counters["volumes"] = root.moveCount;
            // The first build shows the tree's memory; later ones reuse what the last freed.
            const double bytes =
                static_cast<double>(ResidentBytes() - before) / std::max(root.moveCount, 1);
            state.counters["bytes_per_volume"] =
                std::max<double>(state.counters["bytes_per_volume"], bytes);
        }
        start = Latencies::Clock::now();
        if (plain->ReadMedia("", "") != count) {
            state.SkipWithError("the plain scan failed");
            return;
        }
        baseline.Add(Latencies::Clock::now() - start);
    }
    ReportBeside(state, project, baseline);
    state.counters["node_bytes"] = sizeof(CZARN10TreeVolume);
    state.counters["us_per_volume"] = project.Percentile(0.5) / static_cast<double>(count);
}
BENCHMARK(TreeOfAMillionVolumes)
    ->ArgName("volumes")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The plain program's range read of the big media, timed into baseline; false (and the benchmark
// told) when it read another number of rows.
bool TimePlainMediaRead(benchmark::State &state, PlainVolumeWriter &plain, long rows,
                        Latencies &baseline) {
    const auto start = Latencies::Clock::now();
    if (plain.ReadMedia("BIGC", "LTO9") != rows) {
        state.SkipWithError("the plain range read failed");
        return false;
    }
    baseline.Add(Latencies::Clock::now() - start);
    return true;
}

// The movement tree of one customer whose one media holds a million volumes due to move, on
// either store, beside one plain range read of the media's rows.
void TreeOfOneBigMedia(benchmark::State &state, Backend backend) {
    TestServer server(backend);
    if (!server.Available()) {
        state.SkipWithError(server.Unavailable().c_str());
        return;
    }
    const long count = state.range(0);
    LoadBigCustomer(server.Admin(), backend, count);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(server.Settings());
    RecordingTreeControl control;
    Latencies project, baseline;
    for (auto _ : state) {
        auto start = Latencies::Clock::now();
        {
            CZARN10ProgressWnd progress(2, nullptr);
            CZARN10TreeRoot root(station.get(), 3, &progress, &control, nullptr);
            project.Add(Latencies::Clock::now() - start);
            state.counters["volumes"] = root.moveCount;
        }
        if (!TimePlainMediaRead(state, *plain, count, baseline)) {
            return;
        }
    }
    ReportBeside(state, project, baseline);
}
BENCHMARK_CAPTURE(TreeOfOneBigMedia, SQLite, Backend::SQLite)
    ->ArgName("volumes")
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TreeOfOneBigMedia, PostgreSQL, Backend::PostgreSQL)
    ->ArgName("volumes")
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// AddRepository of every volume of one media (the first add reads their locations; a second
// finds every volume listed), beside the plain program reading the media's rows once.
void AddRepositoryOfOneMedia(benchmark::State &state, Backend backend) {
    TestServer server(backend);
    if (!server.Available()) {
        state.SkipWithError(server.Unavailable().c_str());
        return;
    }
    LoadBigCustomer(server.Admin(), backend, state.range(0));
    ScriptedUiServices ui;
    TempDir folder;
    Profile::RedirectForTests(folder.Path().string());
    Profile profile("ZARNTollgate");
    CZARN30Doc doc(profile, ui,
                   {server.Settings().host, server.Settings().port, server.Settings().user, ""});
    doc.server.Session()->settings.database = server.Settings().database;
    doc.server.Logon(0);
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(server.Settings());
    RecordingTreeControl control;
    Latencies project, baseline;
    for (auto _ : state) {
        doc.DeleteTree();
        CZARN10ProgressWnd building(2, nullptr);
        doc.treeRoot =
            std::make_unique<CZARN10TreeRoot>(&doc.server, 3, &building, &control, nullptr);
        CZARN10TreeRepository &origin = *doc.treeRoot->customers.at("BIGC")
                                             ->media.at("LTO9")
                                             ->destinations.at("VLT1")
                                             ->origins.at("LIB1");
        CZARN10ProgressWnd progress(2, nullptr);
        auto start = Latencies::Clock::now();
        doc.AddRepository(&origin, &progress, 0);
        doc.AddRepository(&origin, &progress, 0);
        project.Add(Latencies::Clock::now() - start);
        state.counters["listed"] = static_cast<double>(doc.toScanList.size());
        if (!TimePlainMediaRead(state, *plain, state.range(0), baseline)) {
            return;
        }
    }
    ReportBeside(state, project, baseline);
}
BENCHMARK_CAPTURE(AddRepositoryOfOneMedia, SQLite, Backend::SQLite)
    ->ArgName("volumes")
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(AddRepositoryOfOneMedia, PostgreSQL, Backend::PostgreSQL)
    ->ArgName("volumes")
    ->Arg(100000)
    ->Arg(1000000)
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
