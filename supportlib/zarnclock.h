/* The support library's notion of "now".
 *
 * Every routine that needs the current time asks ZarnNow(), so that tests and benchmarks can pin
 * the clock with ZarnSetClock() instead of depending on the day they run. */
#ifndef ZARN_SUPPORTLIB_ZARNCLOCK_H
#define ZARN_SUPPORTLIB_ZARNCLOCK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int64_t (*ZarnClockFn)(void);

/* Seconds since 1970 from the installed clock, or from the system clock when none is set. */
int64_t ZarnNow(void);

/* Installs a clock; a null pointer restores the system clock. */
void ZarnSetClock(ZarnClockFn clock);

#ifdef __cplusplus
}
#endif

#endif
