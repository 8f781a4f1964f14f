/* Named text variables kept in a libconfig configuration, and expansion of $variable and
 * %ENVIRONMENT references in text.
 *
 * Variables live in the configuration's top-level group "variable"; each variable is a group
 * with a string "value". A variable whose "type" is "date" is recomputed on every read from its
 * "date" expression (default "*") in its "format" (default "%Y-%m-%d"). */
#ifndef ZARN_SUPPORTLIB_VARIABLES_H
#define ZARN_SUPPORTLIB_VARIABLES_H

#include <libconfig.h>
#include <stddef.h>

#include "zarnlock.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Values are formatted into a buffer of this size; longer ones are cut. */
#define ZARN_VARIABLE_VALUE_SIZE 1024
#define ZARN_VARIABLE_NAME_MAX 255

typedef struct VariablesContext {
    config_t *configuration;
    int ownsConfiguration;
    ZarnLock lock;
    void (*Destroy)(struct VariablesContext *context);
    int (*SetVariable)(struct VariablesContext *context, const char *name, const char *format, ...)
        __attribute__((format(printf, 3, 4)));
    int (*ExpandText)(struct VariablesContext *context, const char *source, char *destination,
                      size_t size, int noEnvironment);
} VariablesContext;

/* With a configuration and shared nonzero, binds to it; otherwise creates an empty configuration
 * of its own and reads the file named by ZARNVARFILE into it, if set. Returns 1, or 0 when the
 * context could not be set up (it is then left empty and needs no destroy). */
int VariablesInit(VariablesContext *context, config_t *configuration, int shared);
void VariablesDestroy(VariablesContext *context);

/* Stores the printf-formatted value as the variable's value. Returns 1, also when the
 * "variable" group is missing (nothing is stored then); 0 when name is not a valid setting name. */
int SetVariable(VariablesContext *context, const char *name, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

/* The variable's value, or null. The pointer stays valid until the variable is next changed or
 * read again (date variables are rewritten on every read). */
const char *GetVariable(VariablesContext *context, const char *name);

/* Copies source into destination (at most size - 1 characters and a terminating zero) with
 * references replaced:
 *   $name   the variable's value; an undefined variable is left as it stands
 *   %name   the environment variable; "***BADENV:name***" when undefined or noEnvironment is set
 *   $$name, %%name   the sign once and the name
 * One "." right after a replaced reference is dropped ("$base.txt" gives the value and "txt").
 * A replacement that does not fit is dropped whole. Returns 1 when everything fitted, else 0. */
int ExpandText(VariablesContext *context, const char *source, char *destination, size_t size,
               int noEnvironment);

#ifdef __cplusplus
}
#endif

#endif
