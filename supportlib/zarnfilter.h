// The wildcard pattern record behind every filter of the programs: tree customer filter,
// repository pairs, list column filters and query exceptions.
#ifndef ZARN_SUPPORTLIB_ZARNFILTER_H
#define ZARN_SUPPORTLIB_ZARNFILTER_H

#include <string>

// fnmatch's FNM_EXTMATCH: the ksh-style ?(..), *(..), +(..), @(..) and !(..) patterns.
constexpr int kZarnFilterExtendedPatterns = 32;

struct CZARNFilter {
    std::string pattern;
    int flags = kZarnFilterExtendedPatterns;
};

// 1 when the pattern is empty or matches the whole text (case-sensitive; slashes and leading dots
// are ordinary characters), else 0. A null text is matched as the empty text.
int FilterMatches(const CZARNFilter &filter, const char *text);

#endif
