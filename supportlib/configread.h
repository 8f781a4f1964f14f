/* Reading a libconfig file with a bound on its size.
 *
 * libconfig's cost grows with the square of a group's members (a megabyte of short settings
 * takes over a minute), and a FIFO or a device named as the file would hold a start-up for
 * ever: the file is checked and read here, at most ZARN_CONFIG_MAX_BYTES of it, before
 * libconfig parses the text. Real configuration files are a few kilobytes. */
#ifndef ZARN_SUPPORTLIB_CONFIGREAD_H
#define ZARN_SUPPORTLIB_CONFIGREAD_H

#include <libconfig.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZARN_CONFIG_MAX_BYTES (64 * 1024)

/* Reads the file at path into configuration (which keeps its include folder). Returns 1, or 0
 * with error (of errorSize bytes) saying why and *line the line of a syntax error (0 when the
 * file itself was refused). The file's text goes to text, when given, for further checks; the
 * caller frees it with free(). */
int ZarnReadConfigFile(config_t *configuration, const char *path, char *error, size_t errorSize,
                       int *line, char **text);

#ifdef __cplusplus
}
#endif

#endif
