#include "supportfixtures.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>

#include "zarnclock.h"

namespace zarn::test {
namespace {

std::optional<std::string> CurrentValue(const char *name) {
    const char *value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char *name, const std::optional<std::string> &value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

int64_t pinnedNow = 0;

int64_t PinnedClock() {
    return pinnedNow;
}

}  // namespace

ScopedTimeZone::ScopedTimeZone(const char *zone) : m_previous(CurrentValue("TZ")) {
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    Restore("TZ", m_previous);
    tzset();
}

ScopedEnvironment::ScopedEnvironment(const char *name, const char *value)
    : m_name(name), m_previous(CurrentValue(name)) {
    Restore(name, value ? std::optional<std::string>(value) : std::nullopt);
}

ScopedEnvironment::~ScopedEnvironment() {
    Restore(m_name.c_str(), m_previous);
}

ScopedClock::ScopedClock(int64_t now) {
    Set(now);
    ZarnSetClock(PinnedClock);
}

ScopedClock::~ScopedClock() {
    ZarnSetClock(nullptr);
}

void ScopedClock::Set(int64_t now) {
    pinnedNow = now;
}

int64_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

std::string LocalText(int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

TempDir::TempDir() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("zarn-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::WriteFile(const std::string &name, const std::string &content) const {
    const std::filesystem::path path = m_path / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

void RecordLine(ZarnLogger *self, int level, const char *format, ...) {
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    reinterpret_cast<RecordingLogger::Adapter *>(self)->owner->lines.push_back(
        std::to_string(level) + ":" + text);
}

RecordingLogger::RecordingLogger() : m_adapter{{RecordLine}, this} {}

}  // namespace zarn::test
