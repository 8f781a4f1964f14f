/* The server's packed dates, and date and time formatting.
 *
 * A packed date is 32 bits: bits 31 and 30 set, the day in bits 29-24, the month in bits 19-16
 * and the year in bits 15-0. A value with bit 31 clear is a plain time in seconds since 1970.
 *
 * Formatting routines write into the caller's buffer (ZARN_DATE_TEXT_SIZE is the usual size),
 * never past its size: text that does not fit is cut. They return the buffer. */
#ifndef ZARN_SUPPORTLIB_PACKEDDATE_H
#define ZARN_SUPPORTLIB_PACKEDDATE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_DATE_TEXT_SIZE 128
#define ZARN_DEFAULT_DATE_FORMAT "%A, %B %d, %Y"
#define ZARN_DEFAULT_TIME_FORMAT "%A, %B %d, %Y - %H:%M:%S"

uint32_t PackDate(int year, int month, int day);

/* The local calendar date of a time; the current time when time is 0. 0 when it cannot be
 * converted. */
uint32_t PackTime(int64_t time);

/* Nonzero when bit 31 is set. */
int IsPackedDate(uint32_t value);

/* A packed date becomes that local date at 01:00:01; a plain time becomes its own local date at
 * 01:00:01; 0 and impossible dates give 0. */
int64_t PackedToTime(uint32_t value);

/* strftime of a packed date (a plain time is formatted as that time). A null format means
 * ZARN_DEFAULT_DATE_FORMAT; an impossible date gives "Unable to form a propper date". */
char *FormatPackedDate(char *out, size_t size, uint32_t value, const char *format);

/* strftime of a local time. A null format means ZARN_DEFAULT_TIME_FORMAT; a time that cannot be
 * converted gives "**ERROR**". */
char *FormatTime32(char *out, size_t size, int32_t time, const char *format);
char *FormatTime64(char *out, size_t size, int64_t time, const char *format);

/* Whole days from time1 to time2 (0 means now), both taken at 01:00:01 local time without
 * daylight saving, so a change of clocks between them does not shift the count. */
int DaysBetween(int64_t time1, int64_t time2);

#ifdef __cplusplus
}
#endif

#endif
