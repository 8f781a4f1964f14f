// Fixtures that keep tests away from the real clock, time zone, environment and home folder.
#ifndef ZARN_TESTS_SUPPORTFIXTURES_H
#define ZARN_TESTS_SUPPORTFIXTURES_H

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "zarnlogger.h"

namespace zarn::test {

// Central European time, with its own daylight-saving rule so no time-zone database is needed.
inline constexpr const char *kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// Sets TZ for the scope and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    std::optional<std::string> m_previous;
};

// Sets (or, with a null value, removes) an environment variable for the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const char *value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

// Pins the support library's clock to a moment for the scope; Set moves it.
class ScopedClock {
public:
    explicit ScopedClock(int64_t now);
    ~ScopedClock();
    ScopedClock(const ScopedClock &) = delete;
    ScopedClock &operator=(const ScopedClock &) = delete;
    void Set(int64_t now);
};

// The local time (under the current TZ) of a calendar date and clock time.
int64_t LocalTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

// "YYYY-MM-DD HH:MM:SS" of a time in the current TZ.
std::string LocalText(int64_t time);

// A temporary folder removed with everything in it at the end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &Path() const { return m_path; }
    // Writes a file in the folder and returns its path.
    std::string WriteFile(const std::string &name, const std::string &content) const;

private:
    std::filesystem::path m_path;
};

// A logger that keeps every message as "level:text".
class RecordingLogger {
public:
    RecordingLogger();
    RecordingLogger(const RecordingLogger &) = delete;
    RecordingLogger &operator=(const RecordingLogger &) = delete;
    ZarnLogger *Logger() { return &m_adapter.logger; }
    std::vector<std::string> lines;

private:
    struct Adapter {
        ZarnLogger logger;  // first member: the library calls back with its address
        RecordingLogger *owner;
    } m_adapter;
    friend void RecordLine(ZarnLogger *self, int level, const char *format, ...);
};

}  // namespace zarn::test

#endif
