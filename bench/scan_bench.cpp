// Scan budgets, through the main window's logic and the posted-message path: judging one scan
// without a server write at To-Scan lists of 1,000 and 100,000 items (median under 50 us at
// 100,000, and 100,000 within 1.5 times of 1,000) for an accepted scan, a "Sequence error", a
// "Volume already scanned" and a "Volume is not in list"; a scan with real-time update (median
// under 3 ms on SQLite with full durability, under 5 ms on PostgreSQL over loopback, p99 under
// 3 times the median), beside one plain durable transaction doing the same read and write.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <vector>

#include "benchstore.h"
#include "recordingtreecontrol.h"
#include "scripteduiservices.h"
#include "serverfixture.h"
#include "zarn30scanning.h"
#include "zarnfields.h"
#include "zarnsession.h"

using namespace zarn;
using namespace zarn::bench;
using namespace zarn::test;

namespace {

enum Outcome { kAccepted, kSequenceError, kAlreadyScanned, kNotInList };

// Seconds pass between real scans, and the screen is repainted: whatever a scan touched is no
// longer in the processor's caches when the next one comes. Reading a buffer larger than the
// last-level cache between timed scans gives every list size the same cold start, so that
// the comparison of sizes measures the work per scan rather than whether 1,000 items happen
// to fit in the cache.
void EvictCaches() {
    static std::vector<char> buffer(64 << 20, 1);
    long sum = 0;
    for (size_t i = 0; i < buffer.size(); i += 64) {
        sum += buffer[i];
    }
    benchmark::DoNotOptimize(sum);
}

std::string Serial(long i) {
    std::string digits = std::to_string(i);
    return "V" + std::string(digits.size() < 7 ? 7 - digits.size() : 0, '0') + digits;
}

// A logged-on Tollgate with every volume of one customer on its To-Scan list.
class ScanWorld {
    // First, so that they outlive the document that uses them.
    TestServer m_server;
    TempDir m_folder;
    ScriptedUiServices m_ui;
    std::unique_ptr<Profile> m_profile;
    RecordingTreeControl m_control;
    CZARN30Speaker m_speaker;

public:
    ScanWorld(Backend backend, long volumes) : m_server(backend) {
        if (!m_server.Available()) {
            return;
        }
        LoadBigCustomer(m_server.Admin(), backend, volumes);
        Profile::RedirectForTests(m_folder.Path().string());
        m_profile = std::make_unique<Profile>("ZARNTollgate");
        doc = std::make_unique<CZARN30Doc>(*m_profile, m_ui, CZARN30LogonDetails{});
        doc->server.Session()->settings = m_server.Settings();
        doc->server.Logon(0);
        CZARN10ProgressWnd progress(2, nullptr);
        doc->treeRoot =
            std::make_unique<CZARN10TreeRoot>(&doc->server, 3, &progress, &m_control, nullptr);
        ListEveryVolume();
        m_speaker.Start(
            [this]() {
                auto made = std::make_unique<RecordingVoice>();
                voice = made.get();
                return made;
            },
            m_ui);
        logic = std::make_unique<CZARN30MainLogic>(*doc, m_speaker);
        doc->settings.scanMode = 0;
    }
    bool Ready() const { return logic != nullptr; }
    void ListEveryVolume() {
        CZARN10ProgressWnd progress(2, nullptr);
        doc->AddRepository(doc->treeRoot->customers.at("BIGC")
                               ->media.at("LTO9")
                               ->destinations.at("VLT1")
                               ->origins.at("LIB1")
                               .get(),
                           &progress, 0);
    }
    ScriptedUiServices &Ui() { return m_ui; }
    const TestServer &Server() const { return m_server; }

    // One scanner line's message, posted and dispatched as the scan dialog's would be.
    void Scan(const std::string &volume) {
        ZARN10BARCODEPARSED parsed{};
        WriteField(parsed.customerId, "BIGC");
        WriteField(parsed.mediaId, "LTO9");
        WriteField(parsed.volume, volume);
        parsed.kind = kZarnBarCodeVolume;
        PostWindowMessage(logic.get(), {kMsgVolumeScanned, kZarnOK, 0, parsed});
        QCoreApplication::sendPostedEvents();
        if (voice->spoken.size() > 10000) {
            voice->spoken.clear();
        }
    }

    std::unique_ptr<CZARN30Doc> doc;
    std::unique_ptr<CZARN30MainLogic> logic;
    RecordingVoice *voice = nullptr;
};

void JudgeOneScan(benchmark::State &state) {
    const long size = state.range(0);
    const auto outcome = static_cast<Outcome>(state.range(1));
    const bool cold = state.range(2) != 0;
    ScanWorld world(Backend::SQLite, size);
    CZARN30Doc &doc = *world.doc;
    doc.settings.operationType = 0;  // Pick: no server read for a volume not in the list
    doc.settings.block.realTimeUpdate = 0;
    doc.settings.noSequence = outcome == kSequenceError ? 0 : 1;
    world.Scan(Serial(1));  // the item that is already scanned, and out of turn
    doc.expectedPick = doc.FirstUnscanned();
    world.voice->spoken.clear();
    Latencies latencies;
    long next = size - 1;
    for (auto _ : state) {
        const std::string volume = outcome == kAccepted    ? Serial(next--)
                                   : outcome == kNotInList ? "NOTLISTED"
                                                           : Serial(1);
        if (cold) {
            state.PauseTiming();
            EvictCaches();
            state.ResumeTiming();
        }
        const auto start = Latencies::Clock::now();
        world.Scan(volume);
        latencies.Add(Latencies::Clock::now() - start);
    }
    latencies.Report(state);
    state.counters["errors"] = static_cast<double>(doc.errorList.size());
    state.counters["scanned"] = doc.scannedCount;
}
BENCHMARK(JudgeOneScan)
    ->ArgNames({"items", "outcome", "cold"})
    ->ArgsProduct({{1000, 100000},
                   {kAccepted, kSequenceError, kAlreadyScanned, kNotInList},
                   {1, 0}})
    ->Iterations(900)
    ->Unit(benchmark::kMicrosecond);

// Real-time update: every scan is written at once; the plain writer moves other volumes of
// the same store in between, so both see the same database.
void RealTimeUpdateScan(benchmark::State &state, Backend backend) {
    ScanWorld world(backend, 10000);
    if (!world.Ready()) {
        state.SkipWithError(world.Server().Unavailable().c_str());
        return;
    }
    world.doc->settings.operationType = 1;  // Query: written with direction 0
    world.doc->settings.block.realTimeUpdate = 1;
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(world.Server().Settings());
    Latencies project, baseline;
    long next = 0;
    for (auto _ : state) {
        const std::string scanned = Serial(next++);
        auto start = Latencies::Clock::now();
        world.Scan(scanned);
        project.Add(Latencies::Clock::now() - start);
        const std::string moved = Serial(5000 + next);
        start = Latencies::Clock::now();
        if (!plain->Move("BIGC", "LTO9", moved, 7)) {
            state.SkipWithError("the plain transaction failed");
            return;
        }
        baseline.Add(Latencies::Clock::now() - start);
    }
    ReportBeside(state, project, baseline);
    state.counters["updated"] = world.doc->scannedCount;
}
// The library's share of that scan: the record read and written through CZARN10MFC alone.
void LibraryMoveOnly(benchmark::State &state, Backend backend) {
    ScanWorld world(backend, 10000);
    if (!world.Ready()) {
        state.SkipWithError(world.Server().Unavailable().c_str());
        return;
    }
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(world.Server().Settings());
    Latencies project, baseline;
    long next = 0;
    for (auto _ : state) {
        const std::string moved = Serial(next++);
        auto start = Latencies::Clock::now();
        ZARNVOLSEx record;
        world.doc->server.Get(&record, "BIGC", "LTO9", moved.c_str());
        record.locations[0].slot = 9;
        if (!world.doc->server.Update(&record).IsOK(0)) {
            state.SkipWithError("the update failed");
            return;
        }
        project.Add(Latencies::Clock::now() - start);
        start = Latencies::Clock::now();
        if (!plain->Move("BIGC", "LTO9", Serial(5000 + next), 7)) {
            state.SkipWithError("the plain transaction failed");
            return;
        }
        baseline.Add(Latencies::Clock::now() - start);
    }
    ReportBeside(state, project, baseline);
}
// "&Update Server" of 1,000 scans, beside the plain program moving another 1,000 volumes of the
// same store in one transaction.
void UpdateServerOfAThousandScans(benchmark::State &state, Backend backend) {
    constexpr long kScans = 1000;
    ScanWorld world(backend, 10000);
    if (!world.Ready()) {
        state.SkipWithError(world.Server().Unavailable().c_str());
        return;
    }
    world.doc->settings.operationType = 1;
    world.doc->settings.block.realTimeUpdate = 0;
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(world.Server().Settings());
    Latencies project, baseline;
    long next = 0;
    for (auto _ : state) {
        const long first = next;
        for (; next < first + kScans; ++next) {
            world.Scan(Serial(next));
        }
        world.Ui().Answer(kAnswerYes);
        auto start = Latencies::Clock::now();
        world.logic->UpdateServer();
        project.Add(Latencies::Clock::now() - start);
        if (world.doc->scannedCount != 0 || !world.doc->toScanList.empty()) {
            state.SkipWithError("not every scan was written");
            return;
        }
        world.ListEveryVolume();  // the update emptied the lists
        std::vector<std::string> moved;
        for (long i = first; i < next; ++i) {
            moved.push_back(Serial(5000 + i));
        }
        start = Latencies::Clock::now();
        if (!plain->MoveAll("BIGC", "LTO9", moved, 7)) {
            state.SkipWithError("the plain transaction failed");
            return;
        }
        baseline.Add(Latencies::Clock::now() - start);
    }
    ReportBeside(state, project, baseline);
}
BENCHMARK_CAPTURE(UpdateServerOfAThousandScans, SQLite, Backend::SQLite)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UpdateServerOfAThousandScans, PostgreSQL, Backend::PostgreSQL)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(LibraryMoveOnly, SQLite, Backend::SQLite)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(RealTimeUpdateScan, SQLite, Backend::SQLite)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RealTimeUpdateScan, PostgreSQL, Backend::PostgreSQL)
    ->Iterations(500)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
