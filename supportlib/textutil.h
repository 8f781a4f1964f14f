/* Small in-place text routines shared by the report writer and the file readers. */
#ifndef ZARN_SUPPORTLIB_TEXTUTIL_H
#define ZARN_SUPPORTLIB_TEXTUTIL_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_COMMA_FIELD_SIZE 32

/* Removes leading and trailing characters with codes up to 32, in place; returns text. */
char *TrimBlanks(char *text);

/* Removes every character that is not printable (below 32 or 127), in place; returns text.
 * Bytes of 128 and above are kept, so UTF-8 text survives. */
char *RemoveNonPrintable(char *text);

/* Copies the n-th (0-based) comma-separated field of line into out, double quotes stripped and
 * cut to size. Returns 1 when the line has that field, else 0 with out empty. */
int CommaField(char *out, size_t size, const char *line, int n);

#ifdef __cplusplus
}
#endif

#endif
