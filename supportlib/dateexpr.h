/* Date expressions: one end of a date range, or the date of a date variable.
 *
 *   P, F            the kinds PAST and FUTURE (only where kinds are allowed)
 *   YYYY-MM-DD[+d]  an explicit date (any one character between the numbers)
 *   M[n][+d]        the first day of the month n months from the current one
 *   m[n][+d]        the last day of that month
 *   Y[n][+d]        1 January of the year n years from the current one
 *   y[n][+d]        31 December of that year
 *   W[n][+d]        the Sunday that starts the current week, plus n weeks
 *   *[n]            the date of the moment n days after now, less one hour
 *
 * n is an optional signed number; +d is a further number of days with its sign. */
#ifndef ZARN_SUPPORTLIB_DATEEXPR_H
#define ZARN_SUPPORTLIB_DATEEXPR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_DATE_GIVEN 0
#define ZARN_DATE_PAST 1
#define ZARN_DATE_FUTURE 2

/* Evaluates text against the clock (ZarnNow). Returns 1 with *date packed and *kind set, or 0
 * when the text is not a date expression. With allowKinds 0, P and F are refused. */
int ParseDateExpression(const char *text, int allowKinds, uint32_t *date, int *kind);

#ifdef __cplusplus
}
#endif

#endif
