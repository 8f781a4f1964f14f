// Stations through a bad day on PostgreSQL: separate station processes move volumes on a
// primary with a synchronous streaming standby while the primary is stopped twice, one station
// is killed and started again at intervals, and at last the primary is lost for good and the
// standby promoted. Afterwards every move a station was told was written must be in the store
// exactly once (a move in flight when its station was killed, or cut off by an outage longer
// than a call waits, may be there without an answer). Reported too: the longest a station took
// to answer a scan (its write goes to the server on a connection of its own, and the answer
// waits for it no longer than the Tollgate's does) and the longest a write took to end.
//
//   zarn_chaos [--seconds 30] [--stations 8] [--volumes 500]
//
// Needs scripts/pgcluster (PostgreSQL's server programs, run as root or postgres); skipped
// (exit 77) where the tests have no PostgreSQL cluster.
#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QStringList>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "benchstore.h"
#include "serverfixture.h"
#include "zarn10mfc.h"
#include "zarnserverworker.h"
#include "zarnsession.h"

namespace {

using namespace zarn;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kSkipped = 77;  // ctest's SKIP_RETURN_CODE

struct ChaosOptions {
    int seconds = 30;
    int stations = 8;
    int volumes = 500;
};

// ---- a station process: one line per answer, appended as it comes (a kill loses none) ----

// How long a station's answer waits for its write (the Tollgate's kWriteAnswerWait).
constexpr milliseconds kAnswerWait{80};

struct StationWrite {
    bool writing = false;
    uint8_t code = kZarnServerUnavailable;
};

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

int RunStation(const QStringList &args) {
    const auto value = [&](const char *name) { return args.at(args.indexOf(name) + 1); };
    const int volumes = value("--volumes").toInt();
    const auto until = Clock::now() + milliseconds(value("--millis").toLongLong());
    std::ofstream out(value("--out").toStdString(), std::ios::app);
    CZARN10MFC station(0);
    station.SetProgramID(3);
    station.SetLogonDetails(value("--host").toStdString().c_str(), 0, "postgres", "");
    station.Session()->settings.database = value("--database").toStdString();
    while (!station.Logon(0).IsOK(0)) {
        if (Clock::now() >= until) {
            return 1;
        }
        std::this_thread::sleep_for(milliseconds(200));  // started in an outage
    }
    std::mt19937 random(static_cast<unsigned>(value("--seed").toUInt()));
    ServerWorker writer;
    long long longestAnswer = 0;
    long long longestWrite = 0;
    while (Clock::now() < until) {
        const int volume = static_cast<int>(random() % static_cast<unsigned>(volumes));
        const int32_t step = static_cast<int32_t>(random() % 499);
        auto write = std::make_shared<StationWrite>();
        const auto asked = Clock::now();
        const uint64_t ticket = writer.Submit(station, [write, volume, step](CZARN10MFC &own) {
            ZARNVOLSEx record;
            CZARN10RC result =
                own.Get(&record, "ACME", "LTO9", bench::VolumeSerial(volume).c_str());
            if (result.IsOK(0)) {
                record.locations[0].slot = 1 + (record.locations[0].slot + step) % 500;
                result = own.Update(&record);
                write->writing = true;
            }
            write->code = result.Code();
        });
        // Answered as the Tollgate answers: when the write ends, or as kept at the wait's end.
        writer.WaitFor(ticket, kAnswerWait);
        const long long answered = MillisecondsSince(asked);
        writer.WaitFor(ticket, std::chrono::hours(1));  // the next scan after this one's write
        const long long written = MillisecondsSince(asked);
        if (answered > longestAnswer) {
            longestAnswer = answered;
            out << "wait " << answered << '\n';
        }
        if (written > longestWrite) {
            longestWrite = written;
            out << "write " << written << '\n';
        }
        if (write->code == kZarnOK) {
            out << "ok " << volume << '\n';
        } else if (write->writing && write->code == kZarnServerUnavailable) {
            // The connection broke while the write was under way: it may have been stored.
            out << "unknown " << volume << '\n';
        } else {
            out << "fail " << int(write->code) << '\n';
        }
        out.flush();
        if (write->code == kZarnServerUnavailable || write->code == kZarnNotLoggedOn) {
            std::this_thread::sleep_for(milliseconds(20));  // as an operator would, not a spin
        }
    }
    return 0;
}

// ---- the day ----

struct Tally {
    std::vector<long> acknowledged;
    long unknown = 0;              // writes whose connection broke before their answer
    std::map<int, long> failures;  // by code
    long long longestWait = 0;     // for an answer
    long long longestWrite = 0;    // for a write to end
};

void ReadTally(const std::string &path, Tally &tally) {
    std::ifstream file(path);
    for (std::string word; file >> word;) {
        long long number = 0;
        file >> number;
        if (word == "ok" && number >= 0 &&
            number < static_cast<long long>(tally.acknowledged.size())) {
            tally.acknowledged[static_cast<std::size_t>(number)] += 1;
        } else if (word == "unknown") {
            tally.unknown += 1;
        } else if (word == "fail") {
            tally.failures[static_cast<int>(number)] += 1;
        } else if (word == "wait") {
            tally.longestWait = std::max(tally.longestWait, number);
        } else if (word == "write") {
            tally.longestWrite = std::max(tally.longestWrite, number);
        }
    }
}

std::vector<long long> Versions(Store &store, int volumes) {
    std::vector<long long> versions(static_cast<std::size_t>(volumes), -1);
    QSqlQuery query;
    store.Run(query, "SELECT volume, version FROM volumes WHERE volume LIKE 'V%'");
    while (query.next()) {
        const int index = query.value(0).toString().mid(1).toInt();
        if (index >= 0 && index < volumes) {
            versions[static_cast<std::size_t>(index)] = query.value(1).toLongLong();
        }
    }
    return versions;
}

long long Number(Store &store, const QString &sql) {
    QSqlQuery query;
    return store.Run(query, sql) == 0 && query.next() ? query.value(0).toLongLong() : -1;
}

class Stations {
public:
    Stations(const ChaosOptions &options, std::string host, std::string database,
             std::filesystem::path folder)
        : m_options(options),
          m_host(std::move(host)),
          m_database(std::move(database)),
          m_folder(std::move(folder)),
          m_end(Clock::now() + std::chrono::seconds(options.seconds)) {
        for (int i = 0; i < options.stations; ++i) {
            m_processes.push_back(std::make_unique<QProcess>());
            Start(i);
        }
    }
    // Kills station index as a power cut would, and starts it again for the rest of the day.
    void KillAndRestart(int index) {
        QProcess &process = *m_processes[static_cast<std::size_t>(index)];
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(5000);
        ++kills;
        Start(index);
    }
    void WaitForAll() {
        for (auto &process : m_processes) {
            process->waitForFinished(-1);
        }
    }
    std::string TallyPath(int index) const {
        return (m_folder / ("station" + std::to_string(index))).string();
    }
    int kills = 0;

private:
    void Start(int index) {
        const long long left = std::max<long long>(
            0, std::chrono::duration_cast<milliseconds>(m_end - Clock::now()).count());
        QProcess &process = *m_processes[static_cast<std::size_t>(index)];
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QCoreApplication::applicationFilePath(),
                      {"--station", "--volumes", QString::number(m_options.volumes), "--millis",
                       QString::number(left), "--host", QString::fromStdString(m_host),
                       "--database", QString::fromStdString(m_database), "--seed",
                       QString::number(index * 7919 + m_starts++), "--out",
                       QString::fromStdString(TallyPath(index))});
        process.waitForStarted();
    }

    ChaosOptions m_options;
    std::string m_host;
    std::string m_database;
    std::filesystem::path m_folder;
    Clock::time_point m_end;
    int m_starts = 0;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// The primary stopped for a while and started again.
void Outage(test::OwnCluster &primary, milliseconds length) {
    std::printf("  primary stopped for %lld ms\n", static_cast<long long>(length.count()));
    primary.Command("halt");
    std::this_thread::sleep_for(length);
    primary.Command("resume");
}

bool RequireSynchronousStandby(const test::OwnCluster &primary, const std::string &database) {
    ConnectionSettings settings;
    settings.host = primary.Host();
    settings.port = static_cast<unsigned>(std::stoi(primary.Port()));
    settings.user = "postgres";
    settings.database = database;
    uint8_t code = 0;
    std::string error;
    std::unique_ptr<Store> store = Store::Open(settings, code, error);
    return store && store->Run("ALTER SYSTEM SET synchronous_standby_names = '*'") == 0 &&
           store->Run("SELECT pg_reload_conf()") == 0;
}

int RunDay(const ChaosOptions &options) {
    if (test::PostgresTestCluster().host.empty()) {
        std::printf("SKIPPED: no PostgreSQL test cluster here (ZARN_TEST_PGHOST)\n");
        return kSkipped;
    }
    test::OwnCluster primary;
    if (!primary.Running()) {
        std::printf("FAILED: no PostgreSQL cluster could be started\n");
        return 1;
    }
    std::string database;
    {
        const test::ScopedEnvironment host("ZARN_TEST_PGHOST", primary.Host().c_str());
        const test::ScopedEnvironment port("ZARN_TEST_PGPORT", primary.Port().c_str());
        test::TestServer server(Backend::PostgreSQL);
        if (!server.Available()) {
            std::printf("FAILED: %s\n", server.Unavailable().c_str());
            return 1;
        }
        server.BuildSmallWorld();
        bench::LoadVolumes(server.Admin(), Backend::PostgreSQL, options.volumes, "ACME", "LTO9", 1);
        database = server.Settings().database;
        server.KeepDatabase();
    }
    test::OwnCluster standby(test::OwnCluster::StandbyOf{primary});
    // Every commit waits for the standby: what the primary answered is on the standby when it
    // is promoted. (Set after the copy, so the standby, once primary, waits for nobody.)
    if (!RequireSynchronousStandby(primary, database)) {
        std::printf("FAILED: the primary cannot be told to wait for its standby\n");
        return 1;
    }
    const std::string hosts = primary.Address() + "," + standby.Address();

    test::TempDir tallies;
    const auto start = Clock::now();
    Stations stations(options, hosts, database, tallies.Path());
    const milliseconds day(options.seconds * 1000LL);
    const milliseconds outage = std::min(milliseconds(10000), day / 10);
    const milliseconds killEvery = std::min(milliseconds(20000), day / 5);
    struct Event {
        milliseconds at;
        std::function<void()> run;
    };
    std::vector<Event> events = {
        {day * 15 / 100, [&]() { Outage(primary, outage); }},
        {day * 45 / 100, [&]() { Outage(primary, outage); }},
        {day * 75 / 100,
         [&]() {
             std::printf("  primary lost, standby promoted\n");
             primary.Command("halt");
             standby.Command("promote");
         }},
    };
    for (milliseconds at = killEvery; at < day; at += killEvery) {
        events.push_back({at, [&stations, &options, at, killEvery]() {
                              const int index = static_cast<int>(at / killEvery) % options.stations;
                              std::printf("  station %d killed and started again\n", index);
                              stations.KillAndRestart(index);
                          }});
    }
    std::sort(events.begin(), events.end(),
              [](const Event &a, const Event &b) { return a.at < b.at; });
    for (const Event &event : events) {
        std::this_thread::sleep_until(start + event.at);
        event.run();
    }
    stations.WaitForAll();

    Tally tally;
    tally.acknowledged.assign(static_cast<std::size_t>(options.volumes), 0);
    for (int i = 0; i < options.stations; ++i) {
        ReadTally(stations.TallyPath(i), tally);
    }
    ConnectionSettings settings;
    settings.host = hosts;
    settings.user = "postgres";
    settings.database = database;
    uint8_t code = 0;
    std::string error;
    std::unique_ptr<Store> store = Store::Open(settings, code, error);
    if (!store) {
        std::printf("FAILED: the promoted store cannot be read: %s\n", error.c_str());
        return 1;
    }
    const std::vector<long long> versions = Versions(*store, options.volumes);
    long acknowledged = 0, stored = 0, lost = 0, unanswered = 0;
    for (int v = 0; v < options.volumes; ++v) {
        const long made = static_cast<long>(versions[static_cast<std::size_t>(v)] - 1);
        const long told = tally.acknowledged[static_cast<std::size_t>(v)];
        acknowledged += told;
        stored += made;
        lost += std::max(0L, told - made);
        unanswered += std::max(0L, made - told);
    }
    const long long history = Number(
        *store,
        "SELECT COUNT(*) FROM movement_history WHERE volume LIKE 'V%' AND action <> 'loaded'");
    const long long twice =
        Number(*store,
               "SELECT COUNT(*) - COUNT(DISTINCT write_id) FROM movement_history"
               " WHERE volume LIKE 'V%' AND action <> 'loaded'");
    const long duplicated = static_cast<long>(history - stored) + static_cast<long>(twice);
    std::printf(
        "chaos %d stations, %d volumes, %d s, %d kills: %ld moves answered written, %ld stored, "
        "%ld lost, %ld duplicated, %ld stored without an answer (of %ld killed in flight or cut "
        "off by an outage longer than a call waits); longest wait for an answer %lld ms, for a "
        "write to end %lld ms\n",
        options.stations, options.volumes, options.seconds, stations.kills, acknowledged, stored,
        lost, duplicated, unanswered, stations.kills + tally.unknown, tally.longestWait,
        tally.longestWrite);
    for (const auto &[failed, count] : tally.failures) {
        std::printf("    %ld answered %s\n", count, CZARN10RC(static_cast<uint8_t>(failed)).Get());
    }
    const bool passed = acknowledged > 0 && lost == 0 && duplicated == 0 &&
                        unanswered <= stations.kills + tally.unknown;
    std::printf(passed ? "PASSED\n" : "FAILED\n");
    return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.contains("--station")) {
        return RunStation(args);
    }
    ChaosOptions options;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int number = args[i + 1].toInt();
        if (args[i] == "--seconds") {
            options.seconds = number;
        } else if (args[i] == "--stations") {
            options.stations = number;
        } else if (args[i] == "--volumes") {
            options.volumes = number;
        }
    }
    return RunDay(options);
}
