#include "daterange.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "datecalc.h"
#include "dateexpr.h"
#include "packeddate.h"
#include "textutil.h"
#include "zarnclock.h"

namespace {

const char kOffsetsVariable[] = "ZUDAVODAZIVEDORUVUZAVI";

template <typename... Arguments>
void Log(const DateRange *range, int level, const char *format, Arguments... arguments) {
    if (!range->logger || !range->logger->Log) {
        return;
    }
    if constexpr (sizeof...(Arguments) == 0) {
        range->logger->Log(range->logger, level, "%s", format);  // a message, not a format
    } else {
        range->logger->Log(range->logger, level, format, arguments...);
    }
}

// 01:00:01 of a packed date without daylight saving, so that whole days differ by exact
// multiples of 86400 seconds whatever the clocks do in between.
int64_t StandardTimeOf(uint32_t packed) {
    const std::optional<zarn::LocalDate> date = zarn::UnpackDate(packed);
    return date ? zarn::LocalTimeOf(*date, 1, 0, 1, 0).value_or(0) : 0;
}

// Seconds from the start of the first day to the end of the last.
int64_t SpanOf(const DateRange *range) {
    return StandardTimeOf(range->end) + 86400 - StandardTimeOf(range->start);
}

void LogEnd(const DateRange *range, const char *which, uint32_t date, int kind) {
    if (kind == ZARN_DATE_PAST) {
        Log(range, ZARN_LOG_INFORMATION, "%s date interpreted as: PAST", which);
    } else if (kind == ZARN_DATE_FUTURE) {
        Log(range, ZARN_LOG_INFORMATION, "%s date interpreted as: FUTURE", which);
    } else {
        char text[ZARN_DATE_TEXT_SIZE];
        FormatPackedDate(text, sizeof text, date, ZARN_DEFAULT_DATE_FORMAT);
        Log(range, ZARN_LOG_INFORMATION, "%s date interpreted as: %s", which, text);
    }
}

void LogInterpretation(const DateRange *range) {
    LogEnd(range, "Start", range->start, range->startKind);
    LogEnd(range, "End", range->end, range->endKind);
    if (range->startKind == ZARN_DATE_GIVEN && range->endKind == ZARN_DATE_GIVEN) {
        Log(range, ZARN_LOG_INFORMATION, "Days apart: %u",
            static_cast<unsigned>(range->span / 86400));
    }
}

// One end of the range: an empty part means today.
bool ParseEnd(const std::string &part, uint32_t &date, int &kind) {
    if (part.empty()) {
        date = PackTime(ZarnNow());
        kind = ZARN_DATE_GIVEN;
        return date != 0;
    }
    return ParseDateExpression(part.c_str(), 1, &date, &kind) == 1;
}

uint32_t MoveByDays(uint32_t packed, long days) {
    const std::optional<zarn::LocalDate> date = zarn::UnpackDate(packed);
    if (!date) {
        return packed;
    }
    const zarn::LocalDate moved = zarn::AddDays(*date, days);
    return zarn::IsValidDate(moved) ? zarn::PackLocalDate(moved) : packed;
}

// "low:high", "low", ":high"; missing or unreadable numbers are 0. Offsets are bounded so that
// day arithmetic stays far from overflow.
void ParseOffsets(const char *text, long &low, long &high) {
    auto number = [](const char *from) {
        const long value = std::strtol(from, nullptr, 10);
        return value > 1000000 ? 1000000 : (value < -1000000 ? -1000000 : value);
    };
    const char *colon = std::strchr(text, ':');
    low = colon == text ? 0 : number(text);
    high = colon ? number(colon + 1) : 0;
}

// Both ends given and the end before the start: no date could ever match.
bool IsReversed(const DateRange *range, uint32_t start, uint32_t end) {
    if (range->startKind != ZARN_DATE_GIVEN || range->endKind != ZARN_DATE_GIVEN) {
        return false;
    }
    const std::optional<zarn::LocalDate> from = zarn::UnpackDate(start);
    const std::optional<zarn::LocalDate> to = zarn::UnpackDate(end);
    return from && to && zarn::DateKey(*to) < zarn::DateKey(*from);
}

void LogReversed(const DateRange *range) {
    Log(range, ZARN_LOG_FAILURE, "End date is before the start date");
}

bool IsAfterNow(uint32_t packed) {
    return PackedToTime(packed) > ZarnNow();
}

}  // namespace

extern "C" void DateRangeInit(DateRange *range, ZarnLogger *logger) {
    std::memset(range, 0, sizeof *range);
    range->logger = logger;
    range->flags = ZARN_DATERANGE_MATCH_ALL;
}

extern "C" int DateRangeParse(DateRange *range, const char *text) {
    if (text == nullptr || text[0] == '\0') {
        Log(range, ZARN_LOG_FAILURE, "Empty Date Range String passed");
        range->flags &= ~ZARN_DATERANGE_MATCH_ALL;
        return 0;
    }
    range->flags &= ~ZARN_DATERANGE_MATCH_ALL;
    Log(range, ZARN_LOG_INFORMATION, "Explicit date range requested as: %s", text);

    const std::string whole(text, strnlen(text, ZARN_DATERANGE_TEXT_MAX));
    const size_t colon = whole.find(':');
    const std::string startText = whole.substr(0, colon);
    if (!ParseEnd(startText, range->start, range->startKind)) {
        Log(range, ZARN_LOG_FAILURE, "Unable to parse From Date: %s", startText.c_str());
        return 0;
    }
    if (colon == std::string::npos) {
        range->end = range->start;
        range->endKind = range->startKind;
    } else {
        const std::string endText = whole.substr(colon + 1);
        if (!ParseEnd(endText, range->end, range->endKind)) {
            Log(range, ZARN_LOG_FAILURE, "Unable to parse From Date: %s", endText.c_str());
            return 0;
        }
    }
    if (IsReversed(range, range->start, range->end)) {
        LogReversed(range);
        return 0;
    }
    range->span = SpanOf(range);
    LogInterpretation(range);

    Log(range, ZARN_LOG_INFORMATION, "Checking for Environment Variable '%s'", kOffsetsVariable);
    if (const char *offsets = std::getenv(kOffsetsVariable)) {
        DateRangeApplyOffsets(range, offsets);
    }
    return 1;
}

extern "C" int DateRangeApplyOffsets(DateRange *range, const char *path) {
    if (path == nullptr || path[0] == '\0') {
        Log(range, ZARN_LOG_FAILURE, "No date offset file passed");
        return 0;
    }
    FILE *file = std::fopen(path, "r");
    if (file == nullptr) {
        Log(range, ZARN_LOG_FAILURE, "Failed to open date offset file(%s): %s", path,
            std::strerror(errno));
        return 0;
    }
    char line[ZARN_DATERANGE_TEXT_MAX + 1] = "";
    if (std::fgets(line, sizeof line, file) == nullptr) {
        line[0] = '\0';
    }
    std::fclose(file);
    TrimBlanks(RemoveNonPrintable(line));
    if (line[0] == '\0') {
        Log(range, ZARN_LOG_FAILURE, "Length of data in date offset file is 0");
        return 0;
    }
    long low = 0;
    long high = 0;
    ParseOffsets(line, low, high);
    Log(range, ZARN_LOG_INFORMATION, "Offset values set to: Low(%d) High(%d)",
        static_cast<int>(low), static_cast<int>(high));
    const uint32_t start = MoveByDays(range->start, low);
    const uint32_t end = MoveByDays(range->end, high);
    if (IsReversed(range, start, end)) {
        LogReversed(range);  // the range is left as it was
        return 0;
    }
    range->start = start;
    range->end = end;
    range->span = SpanOf(range);
    LogInterpretation(range);
    return 1;
}

extern "C" int DateRangeMatch(const DateRange *range, uint32_t packedDate) {
    if (range->flags & ZARN_DATERANGE_MATCH_ALL) {
        return 1;
    }
    const std::optional<zarn::LocalDate> date = zarn::UnpackDate(packedDate);
    if (!IsPackedDate(packedDate) || !date) {
        return 0;
    }
    if (range->startKind == ZARN_DATE_GIVEN) {
        const std::optional<zarn::LocalDate> start = zarn::UnpackDate(range->start);
        if (!start || zarn::DateKey(*date) < zarn::DateKey(*start)) {
            return 0;
        }
    } else if (range->startKind == ZARN_DATE_FUTURE && !IsAfterNow(packedDate)) {
        return 0;
    }
    switch (range->endKind) {
        case ZARN_DATE_PAST:
            return PackedToTime(packedDate) < ZarnNow() ? 1 : 0;
        case ZARN_DATE_FUTURE:
            return IsAfterNow(packedDate) ? 1 : 0;
        default: {
            const std::optional<zarn::LocalDate> end = zarn::UnpackDate(range->end);
            return end && zarn::DateKey(*date) <= zarn::DateKey(*end) ? 1 : 0;
        }
    }
}

extern "C" int DateRangeMatchTime(const DateRange *range, int64_t time) {
    return DateRangeMatch(range, PackTime(time));
}
