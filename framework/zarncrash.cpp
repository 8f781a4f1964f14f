#include "zarncrash.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

extern char **environ;

namespace zarn {
namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
const int kFrames = 64;

// Everything the handler needs, prepared before any crash.
struct CrashState {
    char folder[260];
    char program[128];
    char build[64];
    char helper[1024];
    long utcOffset;  // seconds east of UTC when installed
};
CrashState g_state;
volatile sig_atomic_t g_handling = 0;
char g_alternateStack[64 * 1024];

void Copy(char *to, size_t size, const std::string &from) {
    const size_t length = std::min(from.size(), size - 1);
    std::memcpy(to, from.data(), length);
    to[length] = '\0';
}

// Appends text at *at (bounded by end); no allocation, no locale.
void Append(char *&at, const char *end, const char *text) {
    while (*text && at < end - 1) {
        *at++ = *text++;
    }
    *at = '\0';
}

void AppendNumber(char *&at, const char *end, long value) {
    char digits[24];
    int count = 0;
    const bool negative = value < 0;
    unsigned long rest = negative ? 0ul - static_cast<unsigned long>(value) : value;
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative) {
        digits[count++] = '-';
    }
    char text[24];
    for (int i = 0; i < count; ++i) {
        text[i] = digits[count - 1 - i];
    }
    text[count] = '\0';
    Append(at, end, text);
}

// Year and day of the year (from 0) of a count of days since 1970-01-01.
void YearAndDay(long days, long &year, long &dayOfYear) {
    // Civil date from day count (proleptic Gregorian), in integer arithmetic only.
    const long z = days + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doyMarch = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doyMarch + 2) / 153;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    // Days from 1 March to the date, turned into days from 1 January.
    dayOfYear = month <= 2 ? doyMarch - 306 : doyMarch + 59 + (leap ? 1 : 0);
}

void ReportName(char *at, const char *end, long localSeconds, long process) {
    long days = localSeconds / 86400;
    if (localSeconds < 0 && localSeconds % 86400 != 0) {
        --days;
    }
    long year = 0, dayOfYear = 0;
    YearAndDay(days, year, dayOfYear);
    Append(at, end, "ZARN-");
    AppendNumber(at, end, year);
    Append(at, end, "-");
    AppendNumber(at, end, dayOfYear);
    Append(at, end, "-");
    AppendNumber(at, end, process);
    Append(at, end, ".dmp");
}

const char *SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGBUS:
            return "SIGBUS";
        case SIGILL:
            return "SIGILL";
        case SIGFPE:
            return "SIGFPE";
        case SIGABRT:
            return "SIGABRT";
        default:
            return "uncaught exception";
    }
}

void WriteAll(int fd, const char *text) {
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = write(fd, text, left);
        if (written <= 0) {
            return;
        }
        text += written;
        left -= static_cast<size_t>(written);
    }
}

void WriteReport(int signal) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char path[600];
    char *at = path;
    const char *end = path + sizeof path;
    Append(at, end, g_state.folder);
    Append(at, end, "/");
    ReportName(at, end, now.tv_sec + g_state.utcOffset, getpid());
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    char line[512];
    at = line;
    Append(at, line + sizeof line, "Signal: ");
    AppendNumber(at, line + sizeof line, signal);
    Append(at, line + sizeof line, " (");
    Append(at, line + sizeof line, SignalName(signal));
    Append(at, line + sizeof line, ")\nProgram: ");
    Append(at, line + sizeof line, g_state.program);
    Append(at, line + sizeof line, "\nBuild: ");
    Append(at, line + sizeof line, g_state.build);
    Append(at, line + sizeof line, "\nBacktrace:\n");
    WriteAll(fd, line);
    void *frames[kFrames];
    backtrace_symbols_fd(frames, backtrace(frames, kFrames), fd);
    close(fd);
}

void ShowMessage() {
    if (g_state.helper[0] == '\0') {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        char option[] = "--crash-message";
        char *arguments[] = {g_state.helper, option, g_state.folder, nullptr};
        execve(g_state.helper, arguments, environ);
        _exit(127);
    }
}

void EndWithDefaultAction(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signal);
}

void OnFatalSignal(int signal) {
    if (g_handling == 0) {
        g_handling = 1;
        WriteReport(signal);
        ShowMessage();
    }
    EndWithDefaultAction(signal);
}

void OnTerminate() {
    if (g_handling == 0) {
        g_handling = 1;
        WriteReport(0);
        ShowMessage();
    }
    EndWithDefaultAction(SIGABRT);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace

std::string CrashReportName(std::time_t when, pid_t process) {
    std::tm local{};
    localtime_r(&when, &local);
    char name[128];
    ReportName(name, name + sizeof name, static_cast<long>(when) + local.tm_gmtoff, process);
    return name;
}

std::string CrashMessageText(const std::string &folder) {
    return "This Program has terminated due to error.\n\nA debugging dump file has been created "
           "at " +
           folder + ".\n\nIf you send us this file we can use it to fix the problem.";
}

void InstallCrashHandler(const std::string &programName, const std::string &build,
                         const std::string &helper) {
    const char *temporary = std::getenv("TMPDIR");
    Copy(g_state.folder, sizeof g_state.folder, temporary && *temporary ? temporary : "/tmp");
    Copy(g_state.program, sizeof g_state.program, programName);
    Copy(g_state.build, sizeof g_state.build, build);
    Copy(g_state.helper, sizeof g_state.helper, helper);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    g_state.utcOffset = local.tm_gmtoff;
    g_handling = 0;

    void *warm[1];
    backtrace(warm, 1);  // loads the unwinder now: its first use may allocate

    stack_t alternate{};
    alternate.ss_sp = g_alternateStack;
    alternate.ss_size = sizeof g_alternateStack;
    sigaltstack(&alternate, nullptr);  // a stack overflow still gets its report
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
    std::set_terminate(OnTerminate);
}

}  // namespace zarn
