// The support-library routines that run once per volume row: counts, date tests, filters.
#include <benchmark/benchmark.h>

#include <string>

#include "daterange.h"
#include "packeddate.h"
#include "thousands.h"
#include "variables.h"
#include "zarnfilter.h"

namespace {

void FormatThousandsPerRow(benchmark::State &state) {
    char text[ZARN_THOUSANDS_SIZE];
    uint64_t value = 1234567;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatThousands(value++, text, sizeof text));
    }
}
BENCHMARK(FormatThousandsPerRow);

void DateRangeMatchPerRow(benchmark::State &state) {
    DateRange range;
    DateRangeInit(&range, nullptr);
    DateRangeParse(&range, "M-1:m-1");
    const uint32_t date = PackTime(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DateRangeMatch(&range, date));
    }
}
BENCHMARK(DateRangeMatchPerRow);

void FilterMatchesPerRow(benchmark::State &state) {
    CZARNFilter filter;
    filter.pattern = "@(ACME|BETA)*";
    for (auto _ : state) {
        benchmark::DoNotOptimize(FilterMatches(filter, "BETA0001"));
    }
}
BENCHMARK(FilterMatchesPerRow);

void ExpandTextTemplate(benchmark::State &state) {
    VariablesContext context;
    VariablesInit(&context, nullptr, 0);
    SetVariable(&context, "TAPE", "A00001");
    char out[256];
    for (auto _ : state) {
        benchmark::DoNotOptimize(ExpandText(&context, "Volume $TAPE to %HOME.txt", out, 256, 0));
    }
    VariablesDestroy(&context);
}
BENCHMARK(ExpandTextTemplate);

}  // namespace
