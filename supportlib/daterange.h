/* A range of dates parsed from "start:end" date expressions (see dateexpr.h; P and F allowed),
 * and the test of a date against it. */
#ifndef ZARN_SUPPORTLIB_DATERANGE_H
#define ZARN_SUPPORTLIB_DATERANGE_H

#include <stdint.h>

#include "zarnlogger.h"

#ifdef __cplusplus
extern "C" {
#endif

/* flags: no range set, every date matches. */
#define ZARN_DATERANGE_MATCH_ALL 1u
/* The longest range text taken; the rest is ignored. */
#define ZARN_DATERANGE_TEXT_MAX 127

typedef struct DateRange {
    uint32_t start; /* packed */
    uint32_t end;   /* packed */
    int startKind;  /* ZARN_DATE_GIVEN, ZARN_DATE_PAST or ZARN_DATE_FUTURE */
    int endKind;
    int64_t span; /* seconds from the start to the end of the last day */
    unsigned flags;
    ZarnLogger *logger; /* optional */
} DateRange;

void DateRangeInit(DateRange *range, ZarnLogger *logger);

/* Returns 1 when text parsed, else 0 (and then nothing matches). Applies the offsets file named
 * by ZUDAVODAZIVEDORUVUZAVI when that is set. */
int DateRangeParse(DateRange *range, const char *text);

/* Reads "low:high" day offsets from the first line of the file and moves the start by low days
 * and the end by high days. Returns 1 when applied, else 0. */
int DateRangeApplyOffsets(DateRange *range, const char *path);

/* 1 when the packed date lies in the range, else 0; a value that is not a packed date never
 * matches a set range. */
int DateRangeMatch(const DateRange *range, uint32_t packedDate);
int DateRangeMatchTime(const DateRange *range, int64_t time);

#ifdef __cplusplus
}
#endif

#endif
