// Calendar arithmetic on local dates, shared by the date routines of the support library.
#ifndef ZARN_SUPPORTLIB_DATECALC_H
#define ZARN_SUPPORTLIB_DATECALC_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>

namespace zarn {

struct LocalDate {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
};

int DaysInMonth(int year, int month);
bool IsValidDate(const LocalDate &date);

std::optional<LocalDate> UnpackDate(uint32_t packed);
uint32_t PackLocalDate(const LocalDate &date);

// The local calendar date of a time; nullopt when the C library cannot convert it.
std::optional<LocalDate> LocalDateOf(int64_t time);

// The date n days later (earlier for negative n), counted on the calendar.
LocalDate AddDays(const LocalDate &date, long days);

// Adds whole months to the first of date's month.
LocalDate FirstOfMonthOffset(const LocalDate &date, long months);

// 0 = Sunday.
int WeekDay(const LocalDate &date);

// The local time of a date at the given clock time; daylightSaving is passed to mktime as
// tm_isdst (-1 lets the C library decide). nullopt when mktime fails.
std::optional<int64_t> LocalTimeOf(const LocalDate &date, int hour, int minute, int second,
                                   int daylightSaving = -1);

// A number that orders dates: year * 10000 + month * 100 + day.
long DateKey(const LocalDate &date);

// strftime into out, cut to size; handles results of any length.
void FormatTm(char *out, std::size_t size, const std::tm &tm, const char *format);

// Copies text into out, cut so that it always fits with its terminating zero.
void CopyCut(char *out, std::size_t size, const char *text);

}  // namespace zarn

#endif
