// DateRangeParse over arbitrary text, then a few matches, with a logger that formats every
// message so that bad format arguments show up.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

#include "daterange.h"
#include "packeddate.h"

namespace {

void FormatAndDrop(ZarnLogger *, int, const char *format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    ZarnLogger logger{FormatAndDrop};
    DateRange range;
    DateRangeInit(&range, &logger);
    DateRangeParse(&range, text.c_str());
    DateRangeMatch(&range, PackDate(2018, 8, 14));
    DateRangeMatch(&range, PackDate(9999, 12, 31));
    DateRangeMatch(&range, 0xC0000000u);
    DateRangeMatchTime(&range, 0);
    return 0;
}
