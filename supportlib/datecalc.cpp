#include "datecalc.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zarn {
namespace {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm), so that day
// arithmetic needs no time zone and cannot fall into a daylight-saving gap.
long DaysFromCivil(long year, int month, int day) {
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

LocalDate CivilFromDays(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long monthIndex = (5 * dayOfYear + 2) / 153;
    LocalDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    date.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2));
    return date;
}

}  // namespace

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDate(const LocalDate &date) {
    return date.year >= 1 && date.year <= 0xFFFF && date.month >= 1 && date.month <= 12 &&
           date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

std::optional<LocalDate> UnpackDate(uint32_t packed) {
    if ((packed & 0xC0000000u) != 0xC0000000u) {
        return std::nullopt;
    }
    LocalDate date;
    date.day = static_cast<int>((packed >> 24) & 0x3Fu);
    date.month = static_cast<int>((packed >> 16) & 0x0Fu);
    date.year = static_cast<int>(packed & 0xFFFFu);
    if (!IsValidDate(date)) {
        return std::nullopt;
    }
    return date;
}

uint32_t PackLocalDate(const LocalDate &date) {
    return 0xC0000000u + ((static_cast<uint32_t>(date.day) & 0x3Fu) << 24) +
           ((static_cast<uint32_t>(date.month) & 0x0Fu) << 16) +
           (static_cast<uint32_t>(date.year) & 0xFFFFu);
}

std::optional<LocalDate> LocalDateOf(int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return std::nullopt;
    }
    return LocalDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

LocalDate AddDays(const LocalDate &date, long days) {
    return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
}

LocalDate FirstOfMonthOffset(const LocalDate &date, long months) {
    const long index = static_cast<long>(date.year) * 12 + (date.month - 1) + months;
    const long year = index >= 0 ? index / 12 : (index - 11) / 12;
    return LocalDate{static_cast<int>(year), static_cast<int>(index - year * 12 + 1), 1};
}

int WeekDay(const LocalDate &date) {
    const long days = DaysFromCivil(date.year, date.month, date.day);  // 1970-01-01 was a Thursday
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

std::optional<int64_t> LocalTimeOf(const LocalDate &date, int hour, int minute, int second,
                                   int daylightSaving) {
    std::tm tm{};
    tm.tm_year = date.year - 1900;
    tm.tm_mon = date.month - 1;
    tm.tm_mday = date.day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = daylightSaving;
    tm.tm_wday = -1;  // mktime sets it on success; -1 is also a valid time, so test this instead
    const std::time_t t = std::mktime(&tm);
    if (tm.tm_wday == -1) {
        return std::nullopt;
    }
    return static_cast<int64_t>(t);
}

long DateKey(const LocalDate &date) {
    return static_cast<long>(date.year) * 10000 + date.month * 100 + date.day;
}

void FormatTm(char *out, std::size_t size, const std::tm &tm, const char *format) {
    if (size == 0) {
        return;
    }
    out[0] = '\0';
    if (format == nullptr || format[0] == '\0') {
        return;
    }
    // strftime reports 0 both for an empty result and for one that does not fit: grow until it
    // fits or the result is clearly empty.
    std::string buffer(256, '\0');
    for (;;) {
        const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &tm);
        if (length > 0 || buffer.size() >= 65536) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 4);
    }
    CopyCut(out, size, buffer.c_str());
}

void CopyCut(char *out, std::size_t size, const char *text) {
    if (size == 0) {
        return;
    }
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace zarn
