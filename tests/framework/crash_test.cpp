// The crash report, from a program that crashes on purpose.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "supportfixtures.h"
#include "zarncrash.h"

using namespace zarn;
using namespace zarn::test;
using ::testing::HasSubstr;

namespace {

struct Crash {
    pid_t pid = 0;
    int status = 0;
};

// Where the reports of a user whose XDG_STATE_HOME is the folder go.
std::filesystem::path ReportFolder(const TempDir &folder) {
    return folder.Path() / "Quillfen";
}

// plant: a link where the report is about to be written, to a file that must stay as it is.
Crash RunProbe(const std::string &how, const TempDir &folder, const std::string &helper = "",
               const std::string &plant = "") {
    Crash crash;
    crash.pid = fork();
    if (crash.pid == 0) {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        setenv("XDG_STATE_HOME", folder.Path().c_str(), 1);
        if (!plant.empty()) {
            std::filesystem::create_directories(ReportFolder(folder));
            std::filesystem::create_symlink(
                plant, ReportFolder(folder) / CrashReportName(std::time(nullptr), getpid()));
        }
        execl(CRASH_PROBE, CRASH_PROBE, how.c_str(), helper.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    waitpid(crash.pid, &crash.status, 0);
    return crash;
}

std::string Output(const std::string &command) {
    std::string text;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            text.append(buffer, got);
        }
        pclose(pipe);
    }
    return text;
}

// The build id readelf finds in a file.
std::string BuildIdOf(const std::string &file) {
    std::smatch found;
    const std::string notes = Output("readelf -n '" + file + "'");
    return std::regex_search(notes, found, std::regex("Build ID: ([0-9a-f]+)")) ? found[1].str()
                                                                                : "none found";
}

std::string Read(const std::filesystem::path &path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::filesystem::path> Reports(const TempDir &folder) {
    std::vector<std::filesystem::path> found;
    for (const auto &entry : std::filesystem::directory_iterator(ReportFolder(folder))) {
        if (entry.is_regular_file() && !entry.is_symlink() &&
            entry.path().string().find(".dmp") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST(CrashReport, ASegmentationFaultLeavesAReportAndEndsWithTheSignal) {
    TempDir folder;
    const auto before = std::time(nullptr);
    const Crash crash = RunProbe("segv", folder);
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(WTERMSIG(crash.status), SIGSEGV) << "the default action still ends it";
    const auto reports = Reports(folder);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(reports[0].filename().string(),
                ::testing::AnyOf(CrashReportName(before, crash.pid),
                                 CrashReportName(std::time(nullptr), crash.pid)));
    const std::string report = Read(reports[0]);
    EXPECT_THAT(report, HasSubstr("Signal: 11 (SIGSEGV)\nProgram: Crash Probe\nBuild: Aug 14 "
                                  "2018\nBuild ID: " +
                                  BuildIdOf(CRASH_PROBE) + "\nBacktrace:\n"));
    EXPECT_EQ(
        std::filesystem::status(ReportFolder(folder)).permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all)
        << "the user's own";

    // The frames, named so that addr2line finds their lines in the debug symbols: the one that
    // crashed among them.
    const std::regex frameLine(std::string("#[0-9]+ 0x[0-9a-f]+ ") + CRASH_PROBE +
                               "\\+(0x[0-9a-f]+) build id ([0-9a-f]+)\n");
    std::string lines;
    for (auto frame = std::sregex_iterator(report.begin(), report.end(), frameLine);
         frame != std::sregex_iterator(); ++frame) {
        EXPECT_EQ((*frame)[2].str(), BuildIdOf(CRASH_PROBE));
        lines += Output("addr2line -e '" + std::string(CRASH_PROBE) + "' " + (*frame)[1].str());
    }
    EXPECT_THAT(lines, HasSubstr("crashprobe.cpp:")) << report;
}

TEST(CrashReport, ALinkLeftWhereTheReportGoesIsNeitherFollowedNorReplaced) {
    TempDir folder;
    const std::string target = folder.WriteFile("precious.txt", "keep me");
    const Crash crash = RunProbe("segv", folder, "", target);
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(Read(target), "keep me");
    const auto reports = Reports(folder);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].extension(), ".1") << "written beside the link, under a name of its own";
    EXPECT_THAT(Read(reports[0]), HasSubstr("Signal: 11 (SIGSEGV)"));
}

TEST(CrashReport, AnUncaughtExceptionAndAnAbortAreReportedOnce) {
    TempDir folder;
    Crash crash = RunProbe("throw", folder);
    ASSERT_TRUE(WIFSIGNALED(crash.status));
    EXPECT_EQ(WTERMSIG(crash.status), SIGABRT);
    auto reports = Reports(folder);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(Read(reports[0]), HasSubstr("Signal: 0 (uncaught exception)"));
    std::filesystem::remove(reports[0]);

    crash = RunProbe("abort", folder);
    EXPECT_EQ(WTERMSIG(crash.status), SIGABRT);
    reports = Reports(folder);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_THAT(Read(reports[0]), HasSubstr("Signal: 6 (SIGABRT)"));
}

TEST(CrashReport, TheMessageIsShownByAProcessOfItsOwn) {
    TempDir folder;
    const std::string marker = (folder.Path() / "shown").string();
    const std::string helper =
        folder.WriteFile("helper.sh", "#!/bin/sh\necho \"$@\" > " + marker + "\n");
    std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    RunProbe("segv", folder, helper);
    for (int wait = 0; wait < 100 && !std::filesystem::exists(marker); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(Read(marker), "--crash-message " + ReportFolder(folder).string() + "\n");
    EXPECT_EQ(CrashMessageText("/tmp"),
              "This Program has terminated due to error.\n\nA debugging dump file has been "
              "created at /tmp.\n\nIf you send us this file we can use it to fix the problem.");
}

TEST(CrashReport, NamesCountTheDayOfTheYearFromZero) {
    ScopedTimeZone zone(kCentralEurope);
    EXPECT_EQ(CrashReportName(LocalTime(2027, 1, 1, 0, 30), 4242), "ZARN-2027-0-4242.dmp");
    EXPECT_EQ(CrashReportName(LocalTime(2028, 12, 31, 23, 59), 7), "ZARN-2028-365-7.dmp");
    EXPECT_EQ(CrashReportName(LocalTime(2027, 3, 1, 12, 0), 7), "ZARN-2027-59-7.dmp");
}

}  // namespace
