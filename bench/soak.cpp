// Stations racing on one store: separate station processes read and update the same volumes
// for a while, some of them pausing between the read and the write as an operator does. Then
// every update a station was told succeeded must be in the store (each one raises the volume's
// version by one and writes one history row), the only refusal allowed is "changed elsewhere",
// and on SQLite the write-ahead log must stay bounded.
//
//   zarn_soak [--seconds 60] [--stations 8] [--volumes 1000] [--backend sqlite|postgresql|both]
//             [--no-cluster-is-skip 1]
//
// PostgreSQL runs on the test cluster named by ZARN_TEST_PGHOST and ZARN_TEST_PGPORT; without
// one the run fails, unless told to skip it (the short run among the tests).
#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "benchstore.h"
#include "serverfixture.h"
#include "zarn10mfc.h"
#include "zarnfields.h"
#include "zarnsession.h"

namespace {

using namespace zarn;
using Clock = std::chrono::steady_clock;

constexpr double kLogBoundMB = 16.0;  // four automatic checkpoints' worth and some

struct SoakOptions {
    int seconds = 60;
    int stations = 8;
    int volumes = 1000;
};

// What one station did: updates answered OK per volume, conflicts, and any other failure.
struct StationTally {
    std::vector<long> okPerVolume;
    long conflicts = 0;
    long failures = 0;
    std::map<std::string, long> failureTexts;

    long Ok() const {
        long sum = 0;
        for (long count : okPerVolume) {
            sum += count;
        }
        return sum;
    }
    void Write(const std::string &path) const {
        std::ofstream file(path);
        file << conflicts << ' ' << failures << '\n';
        for (long count : okPerVolume) {
            file << count << '\n';
        }
        for (const auto &[text, count] : failureTexts) {
            file << "# " << count << ' ' << text << '\n';
        }
    }
    static StationTally Read(const std::string &path, int volumes) {
        StationTally tally;
        std::ifstream file(path);
        file >> tally.conflicts >> tally.failures;
        tally.okPerVolume.assign(volumes, 0);
        for (long &count : tally.okPerVolume) {
            file >> count;
        }
        for (std::string line; std::getline(file, line);) {
            if (line.rfind("# ", 0) == 0) {
                tally.failureTexts[line.substr(2)] += 1;
            }
        }
        if (!file.eof()) {
            tally.failures = -1;  // a station that left no readable tally failed
        }
        return tally;
    }
};

// ---- a station process ----

int RunStation(const QStringList &args) {
    const auto value = [&](const char *name) { return args.at(args.indexOf(name) + 1); };
    const int index = value("--station").toInt();
    const int volumes = value("--volumes").toInt();
    const auto until = Clock::now() + std::chrono::milliseconds(value("--millis").toLongLong());
    CZARN10MFC station(0);
    station.SetProgramID(3);
    station.SetLogonDetails(value("--host").toStdString().c_str(), value("--port").toUInt(),
                            value("--user").toStdString().c_str(), "");
    station.Session()->settings.database = value("--database").toStdString();
    StationTally tally;
    tally.okPerVolume.assign(volumes, 0);
    if (!station.Logon(0).IsOK(0)) {
        tally.failures = 1;
        tally.failureTexts["log-on refused"] = 1;
        tally.Write(value("--out").toStdString());
        return 1;
    }
    std::mt19937 random(static_cast<unsigned>(index) * 7919u + 17u);
    while (Clock::now() < until) {
        const int volume = static_cast<int>(random() % static_cast<unsigned>(volumes));
        ZARNVOLSEx record;
        CZARN10RC result =
            station.Get(&record, "ACME", "LTO9", bench::VolumeSerial(volume).c_str());
        if (result.IsOK(0)) {
            if (random() % 20 == 0) {
                // The operator looks away between reading the volume and writing it.
                std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 80));
            }
            // Always a real move: an update that changes nothing writes nothing.
            const int32_t slot = record.locations[0].slot;
            record.locations[0].slot = static_cast<int32_t>(1 + (slot + random() % 499) % 500);
            result = station.Update(&record);
        }
        if (result.IsOK(0)) {
            tally.okPerVolume[volume] += 1;
        } else if (result.Code() == kZarnChangedElsewhere) {
            tally.conflicts += 1;
        } else {
            tally.failures += 1;
            tally.failureTexts["code " + std::to_string(result.Code())] += 1;
        }
    }
    station.Logoff(true);
    tally.Write(value("--out").toStdString());
    return 0;
}

// ---- the race ----

long long QueryNumber(Store &store, const QString &sql) {
    QSqlQuery query(store.Database());
    return query.exec(sql) && query.next() ? query.value(0).toLongLong() : -1;
}

std::vector<long long> Versions(Store &store, int volumes) {
    std::vector<long long> versions(volumes, -1);
    QSqlQuery query(store.Database());
    query.exec(
        "SELECT volume, version FROM volumes WHERE customer_id = 'ACME'"
        " AND media_id = 'LTO9' AND volume LIKE 'V%'");
    while (query.next()) {
        const int index = query.value(0).toString().mid(1).toInt();
        if (index >= 0 && index < volumes) {
            versions[index] = query.value(1).toLongLong();
        }
    }
    return versions;
}

QStringList StationArguments(const test::TestServer &server, int index, const SoakOptions &options,
                             const std::string &out) {
    const ConnectionSettings &settings = server.Settings();
    const bool embedded = settings.host.empty();
    return {"--station",
            QString::number(index),
            "--volumes",
            QString::number(options.volumes),
            "--millis",
            QString::number(options.seconds * 1000LL),
            "--host",
            QString::fromStdString(settings.host),
            "--port",
            QString::number(settings.port),
            "--user",
            embedded ? "station" + QString::number(index) : QString::fromStdString(settings.user),
            "--database",
            QString::fromStdString(settings.database),
            "--out",
            QString::fromStdString(out)};
}

double FileMB(const std::string &path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0.0 : static_cast<double>(size) / (1024.0 * 1024.0);
}

struct RaceResult {
    long ok = 0, conflicts = 0, failures = 0, lost = 0, historyMissing = 0;
    double maxLogMB = 0;
    std::map<std::string, long> failureTexts;
};

// Starts the stations together and, while they run, watches the size of the SQLite log.
void RunStations(const test::TestServer &server, const SoakOptions &options,
                 const std::filesystem::path &folder, RaceResult &result) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < options.stations; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       StationArguments(server, i, options,
                                        (folder / ("station" + std::to_string(i))).string()));
        processes.push_back(std::move(process));
    }
    const std::string log = server.Settings().database + "-wal";
    const bool embedded = server.Settings().host.empty();
    for (bool running = true; running;) {
        running = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (auto &process : processes) {
            process->waitForFinished(0);  // reaps a station that has ended
            running = running || process->state() != QProcess::NotRunning;
        }
        if (embedded) {
            result.maxLogMB = std::max(result.maxLogMB, FileMB(log));
        }
    }
}

RaceResult Race(Backend backend, const SoakOptions &options) {
    RaceResult result;
    test::TestServer server(backend);
    if (!server.Available()) {
        std::fprintf(stderr, "store unavailable: %s\n", server.Unavailable().c_str());
        result.failures = -1;
        return result;
    }
    server.BuildSmallWorld();
    bench::LoadVolumes(server.Admin(), backend, options.volumes, "ACME", "LTO9", 1);
    const std::vector<long long> before = Versions(server.Admin(), options.volumes);
    const long long historyBefore =
        QueryNumber(server.Admin(), "SELECT COUNT(*) FROM movement_history");

    test::TempDir tallies;
    RunStations(server, options, tallies.Path(), result);

    std::vector<long> okPerVolume(options.volumes, 0);
    for (int i = 0; i < options.stations; ++i) {
        const StationTally tally = StationTally::Read(
            (tallies.Path() / ("station" + std::to_string(i))).string(), options.volumes);
        result.conflicts += tally.conflicts;
        result.failures += tally.failures < 0 ? 1 : tally.failures;
        for (const auto &[text, count] : tally.failureTexts) {
            result.failureTexts[text] += count;
        }
        for (int v = 0; v < options.volumes; ++v) {
            okPerVolume[v] += tally.okPerVolume[v];
        }
        result.ok += tally.Ok();
    }
    const std::vector<long long> after = Versions(server.Admin(), options.volumes);
    for (int v = 0; v < options.volumes; ++v) {
        // An update that was answered OK but is not in the store is lost; one in the store
        // that nobody was told about is as bad.
        result.lost += std::labs(okPerVolume[v] - static_cast<long>(after[v] - before[v]));
    }
    const long long history =
        QueryNumber(server.Admin(), "SELECT COUNT(*) FROM movement_history") - historyBefore;
    result.historyMissing = std::labs(result.ok - static_cast<long>(history));
    return result;
}

bool Report(const char *name, const SoakOptions &options, const RaceResult &result) {
    const bool embedded = std::string(name) == "SQLite";
    std::printf(
        "%-10s %d stations, %d volumes, %d s: %ld updates (%.0f/s), %ld conflicts, "
        "%ld other failures, %ld lost, %ld history rows missing",
        name, options.stations, options.volumes, options.seconds, result.ok,
        static_cast<double>(result.ok) / options.seconds, result.conflicts, result.failures,
        result.lost, result.historyMissing);
    if (embedded) {
        std::printf(", log at most %.1f MB", result.maxLogMB);
    }
    std::printf("\n");
    for (const auto &[text, count] : result.failureTexts) {
        std::printf("    %ld x %s\n", count, text.c_str());
    }
    return result.failures == 0 && result.lost == 0 && result.historyMissing == 0 &&
           (!embedded || result.maxLogMB <= kLogBoundMB);
}

int RunSoak(const QStringList &args) {
    SoakOptions options;
    QString backends = "both";
    bool noClusterIsSkip = false;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int number = args[i + 1].toInt();
        if (args[i] == "--seconds") {
            options.seconds = number;
        } else if (args[i] == "--stations") {
            options.stations = number;
        } else if (args[i] == "--volumes") {
            options.volumes = number;
        } else if (args[i] == "--backend") {
            backends = args[i + 1];
        } else if (args[i] == "--no-cluster-is-skip") {
            noClusterIsSkip = number != 0;
        }
    }
    bool passed = true;
    if (backends != "postgresql") {
        passed = Report("SQLite", options, Race(Backend::SQLite, options)) && passed;
    }
    if (backends != "sqlite") {
        if (test::PostgresTestCluster().host.empty()) {
            std::printf("PostgreSQL: no test cluster (ZARN_TEST_PGHOST/ZARN_TEST_PGPORT)\n");
            passed = passed && noClusterIsSkip;
        } else {
            passed = Report("PostgreSQL", options, Race(Backend::PostgreSQL, options)) && passed;
        }
    }
    std::printf(passed ? "PASSED\n" : "FAILED\n");
    return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    return args.contains("--station") ? RunStation(args) : RunSoak(args);
}
