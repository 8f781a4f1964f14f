#include "packeddate.h"

#include <ctime>

#include "datecalc.h"
#include "zarnclock.h"

using zarn::LocalDate;

namespace {

const char kImpossibleDate[] = "Unable to form a propper date";
const char kUnconvertibleTime[] = "**ERROR**";

std::optional<LocalDate> DateOfValue(uint32_t value) {
    if (IsPackedDate(value)) {
        return zarn::UnpackDate(value);
    }
    return zarn::LocalDateOf(static_cast<int64_t>(value));
}

char *FormatLocalTime(char *out, size_t size, int64_t time, const char *format) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        zarn::CopyCut(out, size, kUnconvertibleTime);
        return out;
    }
    zarn::FormatTm(out, size, tm, format ? format : ZARN_DEFAULT_TIME_FORMAT);
    return out;
}

// A time at 01:00:01 local time on its own calendar date, without daylight saving.
int64_t StandardTimeOfDay(int64_t time) {
    const std::optional<LocalDate> date = zarn::LocalDateOf(time);
    if (!date) {
        return time;
    }
    return zarn::LocalTimeOf(*date, 1, 0, 1, 0).value_or(time);
}

}  // namespace

extern "C" uint32_t PackDate(int year, int month, int day) {
    return zarn::PackLocalDate(LocalDate{year, month, day});
}

extern "C" uint32_t PackTime(int64_t time) {
    const std::optional<LocalDate> date = zarn::LocalDateOf(time == 0 ? ZarnNow() : time);
    return date ? zarn::PackLocalDate(*date) : 0;
}

extern "C" int IsPackedDate(uint32_t value) {
    return (value & 0x80000000u) != 0;
}

extern "C" int64_t PackedToTime(uint32_t value) {
    if (value == 0) {
        return 0;
    }
    const std::optional<LocalDate> date = DateOfValue(value);
    if (!date) {
        return 0;
    }
    return zarn::LocalTimeOf(*date, 1, 0, 1).value_or(0);
}

extern "C" char *FormatPackedDate(char *out, size_t size, uint32_t value, const char *format) {
    if (!IsPackedDate(value) && value != 0) {
        return FormatLocalTime(out, size, value, format ? format : ZARN_DEFAULT_DATE_FORMAT);
    }
    const std::optional<LocalDate> date = zarn::UnpackDate(value);
    if (!date) {
        zarn::CopyCut(out, size, kImpossibleDate);
        return out;
    }
    std::tm tm{};
    tm.tm_year = date->year - 1900;
    tm.tm_mon = date->month - 1;
    tm.tm_mday = date->day;
    tm.tm_wday = zarn::WeekDay(*date);
    tm.tm_isdst = -1;
    tm.tm_yday = 0;
    for (int month = 1; month < date->month; ++month) {
        tm.tm_yday += zarn::DaysInMonth(date->year, month);
    }
    tm.tm_yday += date->day - 1;
    zarn::FormatTm(out, size, tm, format ? format : ZARN_DEFAULT_DATE_FORMAT);
    return out;
}

extern "C" char *FormatTime32(char *out, size_t size, int32_t time, const char *format) {
    return FormatLocalTime(out, size, time, format);
}

extern "C" char *FormatTime64(char *out, size_t size, int64_t time, const char *format) {
    return FormatLocalTime(out, size, time, format);
}

extern "C" int DaysBetween(int64_t time1, int64_t time2) {
    const int64_t now = ZarnNow();
    const int64_t from = StandardTimeOfDay(time1 == 0 ? now : time1);
    const int64_t to = StandardTimeOfDay(time2 == 0 ? now : time2);
    return static_cast<int>((to - from) / 86400);
}
