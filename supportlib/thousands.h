/* Counts with thousands separators: 1234567 -> "1,234,567". */
#ifndef ZARN_SUPPORTLIB_THOUSANDS_H
#define ZARN_SUPPORTLIB_THOUSANDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The longest result, 18,446,744,073,709,551,615, with its terminating zero. */
#define ZARN_THOUSANDS_SIZE 27

/* Writes the grouped digits into buffer and returns it. A number that does not fit is never cut
 * into a smaller number: the buffer is filled with "#" instead, as wide as it allows. */
char *FormatThousands(uint64_t value, char *buffer, size_t size);

#ifdef __cplusplus
}
#endif

#endif
