#include "zarnfilter.h"

#include <fnmatch.h>

static_assert(FNM_EXTMATCH == kZarnFilterExtendedPatterns, "filters rely on glibc's FNM_EXTMATCH");

int FilterMatches(const CZARNFilter &filter, const char *text) {
    if (filter.pattern.empty()) {
        return 1;
    }
    return fnmatch(filter.pattern.c_str(), text ? text : "", filter.flags) == 0 ? 1 : 0;
}
