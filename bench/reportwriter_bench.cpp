// Report writer budgets: a PDF of 10,000 rows x 8 columns under 3 s, and text or CSV of
// 100,000 rows under 0.5 s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "reportwriter.h"

namespace {

void AddEightColumns(ReportWriter *report) {
    const char *titles[] = {"Customer", "Media", "Volume", "Repository",
                            "Slot",     "Moves", "Due",    "Note"};
    for (int i = 0; i < 8; ++i) {
        const int flags = i == 5 ? ZARN_COLUMN_NUMERIC | ZARN_COLUMN_RIGHT : 0;
        report->AddColumn(report, i == 7 ? 20 : 10, titles[i], flags);
    }
}

void WriteReport(int format, int rows, const std::string &path) {
    ReportWriter report;
    ReportInit(&report);
    report.format = format;
    FILE *file = nullptr;
    if (format == ZARN_REPORT_PDF) {
        report.SetOutputFile(&report, path.c_str());
    } else {
        file = std::fopen(path.c_str(), "w");
        report.output = file;
    }
    AddEightColumns(&report);
    report.PrintHeader(&report, nullptr, "Volumes due to move", "Customer %s", "ACME");
    for (int row = 0; row < rows; ++row) {
        report.PrintRow(&report, "ACME|LTO9|A%05d|VAULT|%d|%d|2026-12-%02d|on time", row, row % 500,
                        row * 7, row % 28 + 1);
    }
    report.PrintTrailer(&report);
    report.Close(&report);
    if (file) {
        std::fclose(file);
    }
}

std::string TempPath(const char *name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void PdfTenThousandRows(benchmark::State &state) {
    const std::string path = TempPath("zarn-bench.pdf");
    for (auto _ : state) {
        WriteReport(ZARN_REPORT_PDF, 10000, path);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(PdfTenThousandRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void TextHundredThousandRows(benchmark::State &state) {
    const std::string path = TempPath("zarn-bench.txt");
    for (auto _ : state) {
        WriteReport(ZARN_REPORT_TEXT, 100000, path);
    }
    std::filesystem::remove(path);
}
BENCHMARK(TextHundredThousandRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void CsvHundredThousandRows(benchmark::State &state) {
    const std::string path = TempPath("zarn-bench.csv");
    for (auto _ : state) {
        WriteReport(ZARN_REPORT_CSV, 100000, path);
    }
    std::filesystem::remove(path);
}
BENCHMARK(CsvHundredThousandRows)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
