#include "dateexpr.h"

#include <fnmatch.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "datecalc.h"
#include "zarnclock.h"

using zarn::LocalDate;

namespace {

// Keeps day arithmetic far from overflow; no real expression comes near it.
constexpr long kLargestOffset = 1000000;

class Cursor {
public:
    Cursor(const std::string &text, size_t start) : m_text(text), m_pos(start) {}

    bool AtEnd() const { return m_pos == m_text.size(); }

    // An optional sign and digits; with signRequired, a number without its sign is not taken.
    // nullopt when there is nothing to take; a taken number out of range makes the text invalid.
    std::optional<long> TakeNumber(bool signRequired) {
        size_t pos = m_pos;
        bool negative = false;
        if (pos < m_text.size() && (m_text[pos] == '+' || m_text[pos] == '-')) {
            negative = m_text[pos] == '-';
            ++pos;
        } else if (signRequired) {
            return std::nullopt;
        }
        const size_t digits = pos;
        long value = 0;
        while (pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[pos]))) {
            if (value <= kLargestOffset) {
                value = value * 10 + (m_text[pos] - '0');
            }
            ++pos;
        }
        if (pos == digits) {
            return std::nullopt;
        }
        m_pos = pos;
        if (value > kLargestOffset) {
            m_invalid = true;
        }
        return negative ? -value : value;
    }

    bool Invalid() const { return m_invalid; }

private:
    const std::string &m_text;
    size_t m_pos;
    bool m_invalid = false;
};

std::optional<int> TwoOrFourDigits(const std::string &text, size_t pos, size_t count) {
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<LocalDate> ExplicitDate(const std::string &text) {
    if (fnmatch("????\\-??\\-??*", text.c_str(), 0) != 0) {
        return std::nullopt;
    }
    const std::optional<int> year = TwoOrFourDigits(text, 0, 4);
    const std::optional<int> month = TwoOrFourDigits(text, 5, 2);
    const std::optional<int> day = TwoOrFourDigits(text, 8, 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    const LocalDate date{*year, *month, *day};
    if (!zarn::IsValidDate(date)) {
        return std::nullopt;
    }
    return date;
}

// The date a letter form names for n, before the day offset.
std::optional<LocalDate> LetterDate(char letter, const LocalDate &today, long n) {
    switch (letter) {
        case 'M':
            return zarn::FirstOfMonthOffset(today, n);
        case 'm':
            return zarn::AddDays(zarn::FirstOfMonthOffset(today, n + 1), -1);
        case 'Y':
            return LocalDate{static_cast<int>(today.year + n), 1, 1};
        case 'y':
            return LocalDate{static_cast<int>(today.year + n), 12, 31};
        case 'W':
            return zarn::AddDays(today, 7 * n - zarn::WeekDay(today));
        default:
            return std::nullopt;
    }
}

// "*" and "*n": the date of now plus n days less one hour.
std::optional<LocalDate> StarDate(const std::string &text, int64_t now) {
    Cursor cursor(text, 1);
    const long days = cursor.TakeNumber(false).value_or(0);
    if (!cursor.AtEnd() || cursor.Invalid()) {
        return std::nullopt;
    }
    return zarn::LocalDateOf(now + static_cast<int64_t>(days) * 86400 - 3600);
}

std::optional<LocalDate> DateOf(const std::string &text, int64_t now) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (std::optional<LocalDate> date = ExplicitDate(text)) {
        Cursor offset(text, 10);  // after the fixed-width date
        const long days = offset.TakeNumber(true).value_or(0);
        if (!offset.AtEnd() || offset.Invalid()) {
            return std::nullopt;
        }
        return zarn::AddDays(*date, days);
    }
    if (text[0] == '*') {
        return StarDate(text, now);
    }
    const std::optional<LocalDate> today = zarn::LocalDateOf(now);
    if (!today || std::strchr("MmYyW", text[0]) == nullptr) {
        return std::nullopt;
    }
    Cursor cursor(text, 1);
    const long n = cursor.TakeNumber(false).value_or(0);
    const long days = cursor.TakeNumber(true).value_or(0);
    if (!cursor.AtEnd() || cursor.Invalid()) {
        return std::nullopt;
    }
    std::optional<LocalDate> date = LetterDate(text[0], *today, n);
    return date ? std::optional<LocalDate>(zarn::AddDays(*date, days)) : std::nullopt;
}

std::string Trimmed(const char *text) {
    std::string trimmed(text);
    const size_t first = trimmed.find_first_not_of(" \t\r\n");
    const size_t last = trimmed.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : trimmed.substr(first, last - first + 1);
}

}  // namespace

extern "C" int ParseDateExpression(const char *text, int allowKinds, uint32_t *date, int *kind) {
    if (text == nullptr) {
        return 0;
    }
    const std::string expression = Trimmed(text);
    if (allowKinds && (expression == "P" || expression == "F")) {
        *date = 0;
        *kind = expression == "P" ? ZARN_DATE_PAST : ZARN_DATE_FUTURE;
        return 1;
    }
    const std::optional<LocalDate> result = DateOf(expression, ZarnNow());
    if (!result || !zarn::IsValidDate(*result)) {
        return 0;
    }
    *date = zarn::PackLocalDate(*result);
    *kind = ZARN_DATE_GIVEN;
    return 1;
}
