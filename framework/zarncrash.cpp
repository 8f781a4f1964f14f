#include "zarncrash.h"

#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>

#include "zarnstationfiles.h"

extern char **environ;

namespace zarn {
namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
const int kFrames = 64;

// A loaded module as the report names it: its file, where it is loaded and its build id, so
// that addr2line (or debuginfod) finds the line of each frame in the debug symbols.
struct Module {
    uintptr_t base;  // where its addresses start (the ELF's load bias)
    uintptr_t low, high;
    char name[256];
    char buildId[41];
};
const int kModules = 160;

// Everything the handler needs, prepared before any crash.
struct CrashState {
    char folder[600];
    char program[128];
    char build[64];
    char helper[1024];
    long utcOffset;  // seconds east of UTC when installed
    Module modules[kModules];
    int moduleCount;
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

void AppendHex(char *&at, const char *end, uintptr_t value) {
    static const char kDigits[] = "0123456789abcdef";
    char text[2 + 2 * sizeof value + 1];
    int count = 0;
    do {
        text[count++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    Append(at, end, "0x");
    while (count > 0) {
        const char digit[2] = {text[--count], '\0'};
        Append(at, end, digit);
    }
}

// The report is made new, never through a link or over a file someone left in its place: a
// name taken gets ".1", ".2", ... after it.
int OpenNew(char *path, char *nameEnd, const char *end) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) {
            char *at = nameEnd;
            *at = '\0';
            Append(at, end, ".");
            AppendNumber(at, end, attempt);
        }
        const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

void WriteFrame(int fd, int index, uintptr_t address) {
    char line[512];
    char *at = line;
    const char *end = line + sizeof line;
    Append(at, end, "#");
    AppendNumber(at, end, index);
    Append(at, end, " ");
    AppendHex(at, end, address);
    const Module *found = nullptr;
    for (int i = 0; i < g_state.moduleCount && !found; ++i) {
        if (address >= g_state.modules[i].low && address < g_state.modules[i].high) {
            found = &g_state.modules[i];
        }
    }
    if (found) {
        Append(at, end, " ");
        Append(at, end, found->name);
        Append(at, end, "+");
        AppendHex(at, end, address - found->base);
        Append(at, end, " build id ");
        Append(at, end, found->buildId[0] ? found->buildId : "none");
    } else {
        Append(at, end, " (a module loaded after start)");
    }
    Append(at, end, "\n");
    WriteAll(fd, line);
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
    const int fd = OpenNew(path, path + std::strlen(path), end);
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
    Append(at, line + sizeof line, "\nBuild ID: ");
    Append(at, line + sizeof line, g_state.moduleCount > 0 ? g_state.modules[0].buildId : "");
    Append(at, line + sizeof line, "\nBacktrace:\n");
    WriteAll(fd, line);
    void *frames[kFrames];
    const int count = backtrace(frames, kFrames);
    backtrace_symbols_fd(frames, count, fd);
    WriteAll(fd, "Frames (module+offset for addr2line -e MODULE OFFSET, and build id):\n");
    for (int i = 0; i < count; ++i) {
        WriteFrame(fd, i, reinterpret_cast<uintptr_t>(frames[i]));
    }
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

// The GNU build id of a module, from its PT_NOTE segments, as lowercase hex.
void ReadBuildId(const dl_phdr_info &info, char *out) {
    out[0] = '\0';
    for (int i = 0; i < info.dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info.dlpi_phdr[i];
        if (segment.p_type != PT_NOTE) {
            continue;
        }
        const char *note = reinterpret_cast<const char *>(info.dlpi_addr + segment.p_vaddr);
        const char *notesEnd = note + segment.p_memsz;
        while (note + sizeof(ElfW(Nhdr)) <= notesEnd) {
            const auto *header = reinterpret_cast<const ElfW(Nhdr) *>(note);
            const char *name = note + sizeof(ElfW(Nhdr));
            const char *descriptor = name + ((header->n_namesz + 3) & ~3u);
            if (header->n_type == NT_GNU_BUILD_ID && header->n_namesz == 4 &&
                std::memcmp(name, "GNU", 4) == 0 && header->n_descsz <= 20) {
                static const char kDigits[] = "0123456789abcdef";
                for (unsigned b = 0; b < header->n_descsz; ++b) {
                    const auto byte = static_cast<unsigned char>(descriptor[b]);
                    out[2 * b] = kDigits[byte >> 4];
                    out[2 * b + 1] = kDigits[byte & 0xF];
                }
                out[2 * header->n_descsz] = '\0';
                return;
            }
            note = descriptor + ((header->n_descsz + 3) & ~3u);
        }
    }
}

int AddModule(dl_phdr_info *info, size_t, void *) {
    if (g_state.moduleCount >= kModules) {
        return 1;
    }
    Module &module = g_state.modules[g_state.moduleCount];
    module.base = info->dlpi_addr;
    module.low = UINTPTR_MAX;
    module.high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD) {
            module.low = std::min<uintptr_t>(module.low, info->dlpi_addr + segment.p_vaddr);
            module.high = std::max<uintptr_t>(module.high,
                                              info->dlpi_addr + segment.p_vaddr + segment.p_memsz);
        }
    }
    if (module.low >= module.high) {
        return 0;  // nothing loaded: the vdso's like
    }
    // The program itself comes first, without a name of its own.
    std::string name = info->dlpi_name ? info->dlpi_name : "";
    if (name.empty()) {
        std::error_code ignored;
        name = std::filesystem::read_symlink("/proc/self/exe", ignored).string();
    }
    Copy(module.name, sizeof module.name, name);
    ReadBuildId(*info, module.buildId);
    ++g_state.moduleCount;
    return 0;
}

// The station's state folder; the temporary folder only when there is no home to keep it in.
std::string ReportFolder() {
    if (std::string folder = StationStateFolder(); !folder.empty()) {
        return folder;
    }
    const char *temporary = std::getenv("TMPDIR");
    return temporary && *temporary ? temporary : "/tmp";
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
    Copy(g_state.folder, sizeof g_state.folder, ReportFolder());
    g_state.moduleCount = 0;
    dl_iterate_phdr(AddModule, nullptr);
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
