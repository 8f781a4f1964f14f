/* The logger that support-library objects report to. Embed it as the first member of your own
 * record to carry state into Log. */
#ifndef ZARN_SUPPORTLIB_ZARNLOGGER_H
#define ZARN_SUPPORTLIB_ZARNLOGGER_H

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_LOG_FAILURE 0
#define ZARN_LOG_INFORMATION 3

typedef struct ZarnLogger {
    void (*Log)(struct ZarnLogger *self, int level, const char *format, ...)
        __attribute__((format(printf, 3, 4)));
} ZarnLogger;

#ifdef __cplusplus
}
#endif

#endif
