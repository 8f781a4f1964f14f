// List budgets: a list of 100,000 rows filled, sorted and filtered under 100 ms each; each
// export of 100,000 rows x 8 columns under 1 s (PDF: 10,000 rows under 3 s). Each is timed
// beside a plain program doing the same work in the same process.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QTableView>

#include <fnmatch.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>

#include "scripteddesktop.h"
#include "scripteduiservices.h"
#include "supportfixtures.h"
#include "tablesource.h"
#include "zarnlistctrl.h"
#include "zarnlistexport.h"

using namespace zarn;
using namespace zarn::test;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration taken) {
    return std::chrono::duration<double>(taken).count();
}

// 8 columns of volume-like texts.
TableSource &Table(int rows) {
    static std::map<int, TableSource> tables;
    TableSource &table = tables[rows];
    if (table.cells.empty()) {
        table.titles = {"Volume", "Customer", "Media",     "Destination",
                        "Slot",   "Actual",   "From Slot", "Move Date"};
        table.cells.reserve(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            char volume[16];
            std::snprintf(volume, sizeof volume, "V%07d", (i * 7919) % rows);
            table.cells.push_back({volume, "C" + std::to_string(i % 1000), "LTO9", "VLT1",
                                   std::to_string(i % 400 + 1), "LIB1", std::to_string(i % 500 + 1),
                                   "2026-12-" + std::to_string(10 + i % 18)});
        }
    }
    return table;
}

// The plain model: the same rows in a vector, the same view, none of the list's layers.
class PlainModel : public QAbstractTableModel {
public:
    explicit PlainModel(const TableSource &table) : m_table(table) {}
    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : m_table.ColumnCount();
    }
    QVariant data(const QModelIndex &index, int role) const override {
        return role == Qt::DisplayRole
                   ? QString::fromStdString(m_table.cells[rows[index.row()]][index.column()])
                   : QVariant();
    }
    void Set(std::vector<int> shown) {
        beginResetModel();
        rows = std::move(shown);
        endResetModel();
    }
    std::vector<int> rows;

private:
    const TableSource &m_table;
};

struct ListWorld {
    TempDir folder;
    ScriptedUiServices ui;
    ScriptedDesktop desktop;
    ScriptedExportDialogs dialogs;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<CZARNListCtrl> list;
    QTableView plainView;
    PlainModel plain;

    explicit ListWorld(TableSource &table) : plain(table) {
        Profile::RedirectForTests(folder.Path().string());
        profile = std::make_unique<Profile>("ZARNTollgate");
        list = std::make_unique<CZARNListCtrl>(
            &table, ListServices{&ui, &desktop, profile.get(), &dialogs, "bench", ""});
        list->resize(900, 600);
        list->show();
        plainView.setModel(&plain);
        plainView.resize(900, 600);
        plainView.show();
    }
};

void Report(benchmark::State &state, Clock::duration project, Clock::duration plain) {
    state.counters["project_ms"] = Seconds(project) * 1000;
    state.counters["plain_ms"] = Seconds(plain) * 1000;
    state.counters["ratio"] = Seconds(project) / std::max(Seconds(plain), 1e-9);
}

void ListOf100kFilled(benchmark::State &state) {
    TableSource &table = Table(100000);
    ListWorld world(table);
    std::vector<int> all(table.cells.size());
    std::iota(all.begin(), all.end(), 0);
    for (auto _ : state) {
        auto start = Clock::now();
        world.list->Refresh();
        const auto project = Clock::now() - start;
        start = Clock::now();
        world.plain.Set(all);
        Report(state, project, Clock::now() - start);
    }
}
BENCHMARK(ListOf100kFilled)->Iterations(3)->Unit(benchmark::kMillisecond);

void ListOf100kSorted(benchmark::State &state) {
    TableSource &table = Table(100000);
    ListWorld world(table);
    world.list->Refresh();
    int ascending = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        world.list->SetSortColumn(0);
        ascending = world.list->ToggleSortDirection();
        std::vector<int> rows = world.list->Model()->Rows();
        SortRows(table, rows, 0, ascending);
        world.list->SetRows(std::move(rows));
        const auto project = Clock::now() - start;
        start = Clock::now();
        std::vector<std::pair<std::string, int>> keyed;
        keyed.reserve(table.cells.size());
        for (size_t i = 0; i < table.cells.size(); ++i) {
            keyed.emplace_back(table.cells[i][0], static_cast<int>(i));
        }
        std::stable_sort(keyed.begin(), keyed.end());
        std::vector<int> order;
        order.reserve(keyed.size());
        for (const auto &entry : keyed) {
            order.push_back(entry.second);
        }
        world.plain.Set(std::move(order));
        Report(state, project, Clock::now() - start);
    }
}
BENCHMARK(ListOf100kSorted)->Iterations(3)->Unit(benchmark::kMillisecond);

void ListOf100kFiltered(benchmark::State &state) {
    TableSource &table = Table(100000);
    ListWorld world(table);
    world.list->Refresh();
    int round = 0;
    for (auto _ : state) {
        const std::string pattern = "V00" + std::to_string(round++ % 10) + "*";
        auto start = Clock::now();
        world.list->OnFilterChange(0, QString::fromStdString(pattern));
        const auto project = Clock::now() - start;
        start = Clock::now();
        std::vector<int> kept;
        for (size_t i = 0; i < table.cells.size(); ++i) {
            if (fnmatch(pattern.c_str(), table.cells[i][0].c_str(), FNM_EXTMATCH) == 0) {
                kept.push_back(static_cast<int>(i));
            }
        }
        world.plain.Set(std::move(kept));
        Report(state, project, Clock::now() - start);
        state.counters["rows"] = world.list->Model()->rowCount();
    }
}
BENCHMARK(ListOf100kFiltered)->Iterations(3)->Unit(benchmark::kMillisecond);

// The plain program for a file: the same cells joined and written with stdio.
// The plain C writers: stdio producing the same bytes as the export for this table (whose cells
// need no quoting, cleaning or cutting), so that the ratio is the export's own overhead.
void PlainCsv(FILE *file, const TableSource &table, const std::vector<int> &items) {
    for (std::size_t column = 0; column < table.titles.size(); ++column) {
        std::fprintf(file, "%s%s", column ? "," : "", table.titles[column].c_str());
    }
    for (int item : items) {
        std::fputs("\r\n", file);
        for (std::size_t column = 0; column < table.titles.size(); ++column) {
            std::fprintf(file, "%s%s", column ? "," : "", table.cells[item][column].c_str());
        }
    }
}

void PlainXml(FILE *file, const TableSource &table, const std::vector<int> &items) {
    std::vector<std::string> names = table.titles;
    for (std::string &name : names) {
        std::replace(name.begin(), name.end(), ' ', '_');
    }
    std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ZARNXML>\r\n", file);
    for (int item : items) {
        std::fputs("<record>\r\n", file);
        for (std::size_t column = 0; column < names.size(); ++column) {
            std::fprintf(file, "\t<%s><![CDATA[%s]]></%s>\r\n", names[column].c_str(),
                         table.cells[item][column].c_str(), names[column].c_str());
        }
        std::fputs("</record>\r\n", file);
    }
    std::fputs("</ZARNXML>\r\n", file);
}

void PlainText(FILE *file, const TableSource &table, const std::vector<int> &items) {
    std::vector<std::size_t> widths;
    std::size_t total = 0;
    for (std::size_t column = 0; column < table.titles.size(); ++column) {
        std::size_t widest = table.titles[column].size();
        for (int item : items) {
            widest = std::max(widest, table.cells[item][column].size());
        }
        widths.push_back(widest);
        total += widest + 1;
    }
    char now[128];
    const std::time_t seconds = std::time(nullptr);
    std::strftime(now, sizeof now, "%A, %B %d, %Y - %H:%M:%S (%Z)", std::localtime(&seconds));
    std::fprintf(file,
                 "\n             System: Kestrava\n Report Description: Benchmark\n"
                 "    Production Time: %s\n       Report Width: %zu bytes\n\n",
                 now, total);
    const auto line = [&](const std::function<const std::string &(std::size_t)> &text) {
        for (std::size_t column = 0; column < widths.size(); ++column) {
            std::fprintf(file, "%-*s ", static_cast<int>(widths[column]), text(column).c_str());
        }
        std::fputc('\n', file);
    };
    const auto underline = [&]() {
        for (std::size_t width : widths) {
            std::fprintf(file, "%s ", std::string(width, '-').c_str());
        }
        std::fputc('\n', file);
    };
    line([&](std::size_t column) -> const std::string & { return table.titles[column]; });
    underline();
    for (int item : items) {
        line([&](std::size_t column) -> const std::string & { return table.cells[item][column]; });
    }
    underline();
}

Clock::duration PlainWrite(const std::string &type, const TableSource &table,
                           const std::vector<int> &items, const std::string &path) {
    const auto start = Clock::now();
    FILE *file = std::fopen(path.c_str(), "wb");
    if (type == "xml") {
        PlainXml(file, table, items);
    } else if (type == "txt") {
        PlainText(file, table, items);
    } else {
        PlainCsv(file, table, items);  // the Excel and PDF exports: the cells' bytes at least
    }
    std::fclose(file);
    return Clock::now() - start;
}

// The file's bytes, less a line holding drop (the time a report was made).
std::string BytesOf(const std::string &path, const std::string &drop) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (const std::size_t at = bytes.find(drop); !drop.empty() && at != std::string::npos) {
        bytes.erase(at, bytes.find('\n', at) - at);
    }
    return bytes;
}

void Export(benchmark::State &state, const char *kind) {
    const std::string type = kind;
    const int rows = type == "pdf" ? 10000 : 100000;
    TableSource &table = Table(rows);
    std::vector<int> items(table.cells.size());
    std::iota(items.begin(), items.end(), 0);
    TempDir folder;
    const std::string path = (folder.Path() / ("export." + type)).string();
    const std::string plainPath = (folder.Path() / "plain.txt").string();
    for (auto _ : state) {
        const auto start = Clock::now();
        int result = 0;
        if (type == "csv") {
            result = WriteCsv(path, table, items);
        } else if (type == "xml") {
            result = WriteXml(path, table, items);
        } else if (type == "xlsx") {
            result = WriteExcel(path, table, items);
        } else {
            ReportExport report;
            report.path = path;
            report.description = "Benchmark";
            report.pdf = type == "pdf";
            result = WriteReport(report, table, items, items);
        }
        const auto project = Clock::now() - start;
        if (result != 0) {
            state.SkipWithError("the export failed");
            return;
        }
        Report(state, project, PlainWrite(type, table, items, plainPath));
        const bool same = type == "csv" || type == "xml" || type == "txt";
        if (same && BytesOf(path, "Production Time") != BytesOf(plainPath, "Production Time")) {
            state.SkipWithError("the plain writer's bytes are not the export's");
            return;
        }
        state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    }
}
BENCHMARK_CAPTURE(Export, CSV_100k, "csv")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, XML_100k, "xml")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, Text_100k, "txt")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, Excel_100k, "xlsx")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, PDF_10k, "pdf")->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
