// Server budgets: the due list of one customer and media with 100,000 volumes under 0.5 s on
// SQLite; one volume's Get + Update + Get under 2 ms on SQLite (full durability) and on
// PostgreSQL over loopback (ZARN_TEST_PGHOST/ZARN_TEST_PGPORT, as scripts/test sets them);
// ParseBarCode under 10 microseconds.
#include <benchmark/benchmark.h>

#include <memory>

#include "serverfixture.h"
#include "zarnadmin.h"
#include "zarnbarcode.h"
#include "zarnfields.h"

using namespace zarn;
using namespace zarn::test;

namespace {

void LoadBigMedia(Store &store, int volumes) {
    PutCustomer(store, {"BIGC", "Big customer", 1, 0, "", "", ""});
    PutMedia(store, {"BIGC", "LTO9", "LTO-9", 0});
    PutRepository(store, {"LIB1", "Library", "", 0});
    PutRepository(store, {"VLT1", "Vault", "", 0});
    store.InTransaction([&]() -> uint8_t {
        for (int i = 0; i < volumes; ++i) {
            VolumeRow row;
            row.customer = "BIGC";
            row.media = "LTO9";
            row.volume = "V" + std::to_string(1000000 + i);
            row.current = {"LIB1", i % 1000};
            if (i % 10 != 0) {
                row.destination = {"VLT1", i % 700};
            }
            if (uint8_t failed = PutVolume(store, row)) {
                return failed;
            }
        }
        return 0;
    });
}

void DueListOfOneHundredThousand(benchmark::State &state) {
    TestServer server(Backend::SQLite);
    LoadBigMedia(server.Admin(), 100000);
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    std::vector<ZARNVOLSFULL> records;
    for (auto _ : state) {
        unsigned all = 0, notDue = 0, out = 0;
        station->List(records, "BIGC", "LTO9", {kZarnVolDueToMove}, &all, &notDue, &out, 0, 0);
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["listed"] = static_cast<double>(records.size());
}
BENCHMARK(DueListOfOneHundredThousand)->Unit(benchmark::kMillisecond)->Iterations(5);

void GetUpdateGet(benchmark::State &state, Backend backend) {
    TestServer server(backend);
    if (!server.Available()) {
        state.SkipWithError(server.Unavailable().c_str());
        return;
    }
    server.BuildSmallWorld();
    std::unique_ptr<CZARN10MFC> station = server.Connect();
    ZARNVOLSEx record;
    int slot = 1;
    for (auto _ : state) {
        station->Get(&record, "ACME", "LTO9", "A00002");
        record.locations[0].slot = ++slot;
        station->Update(&record);
        station->Get(&record, "ACME", "LTO9", "A00002");
    }
}
BENCHMARK_CAPTURE(GetUpdateGet, SQLite, Backend::SQLite)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(GetUpdateGet, PostgreSQL, Backend::PostgreSQL)->Unit(benchmark::kMicrosecond);

void ParseBarCode(benchmark::State &state) {
    const BarCodeGrammar grammar;
    ZARN10BARCODEPARSED parsed;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ParseScannerLine(grammar, "ACME.LTO9.A00001", nullptr, nullptr, parsed));
    }
}
BENCHMARK(ParseBarCode);

}  // namespace
