// A scan's cost through the real programs: ZARNTollgate (real-time update off and on) and
// ZARNShelver, each run offscreen with --replay on an embedded store of N volumes, its speech
// log a pipe whose lines this program time-stamps as they come. The cost of a scan is the time
// between the first and the last scan's answer over the scans between them; beside it, the
// plain durable write (SQLite's own interface, the same move as the program's) timed in this
// process on the same store.
//
//   zarn_station_bench [--volumes 10000,100000,1000000] [--scans 2000] [--programs all]
//
// Prints one Markdown table row per program and size.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "benchstore.h"
#include "serverfixture.h"

extern char **environ;

using namespace zarn;
using namespace zarn::bench;
using namespace zarn::test;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    std::vector<long> volumes = {10000, 100000, 1000000};
    int scans = 2000;
    std::vector<std::string> programs = {"tollgate-off", "tollgate-on", "shelver"};
};

std::vector<std::string> Split(const std::string &text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, ',');) {
        parts.push_back(part);
    }
    return parts;
}

bool ParseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--volumes") {
            options.volumes.clear();
            for (const std::string &part : Split(value)) {
                options.volumes.push_back(std::atol(part.c_str()));
            }
        } else if (name == "--scans") {
            options.scans = std::atoi(value.c_str());
        } else if (name == "--programs" && value != "all") {
            options.programs = Split(value);
        } else if (name != "--programs") {
            return false;
        }
    }
    return argc % 2 == 1 && options.scans >= 2;
}

// The volumes scanned: spread over the whole list, in list order.
std::vector<std::string> ScannedSerials(long volumes, int scans) {
    std::vector<std::string> serials;
    for (int i = 0; i < scans; ++i) {
        serials.push_back(VolumeSerial(static_cast<long>(i) * volumes / scans));
    }
    return serials;
}

std::string TollgateReplay(const std::vector<std::string> &serials) {
    std::string replay = "@add-customer BIGC\n@query\n@start-scan\n!0\n";
    for (const std::string &serial : serials) {
        replay += "BIGC.LTO9." + serial + "\n";
    }
    return replay + "@end-scan\n@quit\n";
}

std::string ShelverReplay(const std::vector<std::string> &serials) {
    std::string replay = "@zone LIB-A\n@slot 1\n@scan\n";
    for (const std::string &serial : serials) {
        replay += "BIGC.LTO9." + serial + "\n";
    }
    return replay + "@end-scan\n";
}

// The moments the program's texts were spoken, read from its speech log as they come.
struct SpokenTimes {
    std::vector<std::string> lines;
    std::vector<Clock::time_point> times;
};

SpokenTimes ReadSpeech(const std::string &fifo) {
    SpokenTimes spoken;
    FILE *file = std::fopen(fifo.c_str(), "r");  // waits for the program to open it
    if (!file) {
        return spoken;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, file)) {
        spoken.times.push_back(Clock::now());
        line[std::strcspn(line, "\n")] = 0;
        spoken.lines.push_back(line);
    }
    std::fclose(file);
    return spoken;
}

// Runs the program with the replay; its speech log, time-stamped.
SpokenTimes RunProgram(const std::string &program, const TempDir &folder,
                       const std::string &database, const std::string &replay) {
    const std::string home = folder.Path().string();
    const std::string fifo = home + "/speech.fifo";
    ::unlink(fifo.c_str());
    ::mkfifo(fifo.c_str(), 0600);
    const std::string replayFile = folder.WriteFile("replay.txt", replay);
    std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen",
                                            "HOME=" + home,
                                            "XDG_CONFIG_HOME=" + home + "/config",
                                            "XDG_DATA_HOME=" + home + "/data",
                                            "XDG_STATE_HOME=" + home + "/state",
                                            "XDG_RUNTIME_DIR=" + home,
                                            "ZARNDATABASE=" + database,
                                            "ZARNUPDATESERVER=127.0.0.1:1",
                                            "ZARNLOGFILE=" + home + "/station.log",
                                            "PATH=/usr/bin:/bin"};
    std::vector<char *> envp;
    for (std::string &entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string programCopy = program, replayOption = "--replay", speechOption = "--speech-log";
    std::string replayCopy = replayFile, fifoCopy = fifo;
    char *argv[] = {programCopy.data(),  replayOption.data(), replayCopy.data(),
                    speechOption.data(), fifoCopy.data(),     nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, (home + "/stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return {};
    }
    posix_spawn_file_actions_destroy(&actions);
    SpokenTimes spoken = ReadSpeech(fifo);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s ended with status %d; see %s/stderr.txt\n", program.c_str(),
                     status, home.c_str());
    }
    return spoken;
}

// Milliseconds per scan between the answers of the first and the last scan: the answers are
// the lines after firstAnswerAfter, else the last `scans` lines.
double PerScan(const SpokenTimes &spoken, int scans, const std::string &firstAnswerAfter) {
    const auto marker = std::find(spoken.lines.begin(), spoken.lines.end(), firstAnswerAfter);
    const std::size_t first =
        marker != spoken.lines.end()
            ? static_cast<std::size_t>(marker - spoken.lines.begin()) + 1
            : spoken.lines.size() - std::min(spoken.lines.size(), static_cast<std::size_t>(scans));
    const std::size_t last = first + static_cast<std::size_t>(scans) - 1;
    if (last >= spoken.times.size()) {
        std::fprintf(stderr, "only %zu texts spoken\n", spoken.times.size());
        return -1;
    }
    return std::chrono::duration<double, std::milli>(spoken.times[last] - spoken.times[first])
               .count() /
           (scans - 1);
}

// The plain durable write of the same move, per write, on volumes the program did not scan.
double PlainWrite(const ConnectionSettings &settings, long volumes, int scans) {
    std::unique_ptr<PlainVolumeWriter> plain = PlainVolumeWriter::Open(settings);
    if (!plain) {
        return -1;
    }
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < scans; ++i) {
        plain->Move("BIGC", "LTO9", VolumeSerial(static_cast<long>(i) * volumes / scans + 1), 7);
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / scans;
}

void SetRealTimeUpdate(const TempDir &folder, bool on) {
    std::filesystem::create_directories(folder.Path() / "config/Quillfen");
    folder.WriteFile("config/Quillfen/ZARNTollgate.conf",
                     std::string("[Options]\nRealTimeUpdate=") + (on ? "1" : "0") + "\n");
}

void Measure(const Options &options, long volumes) {
    for (const std::string &program : options.programs) {
        TestServer server(Backend::SQLite);
        if (!server.Available()) {
            std::fprintf(stderr, "no store: %s\n", server.Unavailable().c_str());
            return;
        }
        LoadBigCustomer(server.Admin(), Backend::SQLite, volumes);
        TempDir folder;
        const std::vector<std::string> serials = ScannedSerials(volumes, options.scans);
        const bool shelver = program == "shelver";
        SetRealTimeUpdate(folder, program == "tollgate-on");
        const SpokenTimes spoken =
            RunProgram(shelver ? ZARN_SHELVER : ZARN_TOLLGATE, folder, server.Settings().database,
                       shelver ? ShelverReplay(serials) : TollgateReplay(serials));
        const double perScan =
            PerScan(spoken, options.scans, shelver ? "" : "Scan Mode set to volume only");
        const double plain = PlainWrite(server.Settings(), volumes, options.scans);
        std::printf("| %s | %ld | %.3f ms | %.3f ms | %.2fx | %+.3f ms |\n", program.c_str(),
                    volumes, perScan, plain, perScan / plain, perScan - plain);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zarn_station_bench [--volumes N,N..] [--scans N] "
                     "[--programs tollgate-off,tollgate-on,shelver]\n");
        return 2;
    }
    std::printf("| program | volumes | per scan | plain durable write | ratio | difference |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (long volumes : options.volumes) {
        Measure(options, volumes);
    }
    return 0;
}
