// What the benchmarks share: stores filled with many volumes in one statement, latency
// percentiles, and the plain programs they are compared with.
#ifndef ZARN_BENCH_BENCHSTORE_H
#define ZARN_BENCH_BENCHSTORE_H

#include <benchmark/benchmark.h>

#include <QString>

#include <chrono>
#include <string>
#include <vector>

#include "zarnstore.h"

namespace zarn::bench {

long ResidentBytes();
// Numbers 0..count-1 as a SQL row source on either back end.
QString Numbers(Backend backend, long count);
// prefix followed by the expression's value in width digits.
QString Padded(Backend backend, const std::string &prefix, const std::string &expression,
               int width);
// The serial LoadVolumes gives volume index: V0000000, V0000001, ...
std::string VolumeSerial(long index);
// count volumes V0000000.. due to move from LIB1 (slot i % 500 + 1) to VLT1; with customers
// above 1 they are spread over customers C000.. and media M1..M3.
void LoadVolumes(Store &store, Backend backend, long count, const QString &customer,
                 const QString &media, int customers);
// Repositories LIB1 and VLT1, zones LIB-A (LIB1 1-250) and LIB-B (251-500), the server id.
void LoadReference(Store &store);
// The reference data, customers C000.. (count of them) with media M1..M3 each, and volumes
// spread over them (see LoadVolumes).
void LoadManyCustomers(Store &store, int customers, long volumes);
// One customer BIGC with media LTO9 holding count volumes.
void LoadBigCustomer(Store &store, Backend backend, long count);

// Durations of single operations; median and p99 go to the benchmark's counters.
class Latencies {
public:
    using Clock = std::chrono::steady_clock;
    void Add(Clock::duration taken) { m_samples.push_back(taken); }
    // Microseconds at the given fraction (0.5 median, 0.99 p99).
    double Percentile(double fraction);
    void Report(benchmark::State &state, const std::string &prefix = "");

private:
    std::vector<Clock::duration> m_samples;
};

// The project's and the plain program's medians and p99s, and their ratio.
void ReportBeside(benchmark::State &state, Latencies &project, Latencies &baseline);

// The plain program the library's writes are compared with: one durable transaction that, for
// each volume, reads its row, updates it and appends its history row, through the database's
// own interface.
class PlainVolumeWriter {
public:
    virtual ~PlainVolumeWriter() = default;
    virtual bool MoveAll(const std::string &customer, const std::string &media,
                         const std::vector<std::string> &volumes, int slot) = 0;
    bool Move(const std::string &customer, const std::string &media, const std::string &volume,
              int slot) {
        return MoveAll(customer, media, {volume}, slot);
    }
    // One range read of every row of a customer and media (of the whole table for an empty
    // customer), each column copied out as the library takes it; the rows read, -1 on failure.
    virtual long ReadMedia(const std::string &customer, const std::string &media) = 0;
    static std::unique_ptr<PlainVolumeWriter> Open(const ConnectionSettings &settings);
};

}  // namespace zarn::bench

#endif
