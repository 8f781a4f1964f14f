// Helpers the report forms share: keywords, fields, column texts, paths and output.
#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "reportinternal.h"
#include "thousands.h"
#include "utf8sequence.h"

namespace zarn::report {

int KeywordValue(const char *text, const Keyword *keywords, std::size_t count) {
    if (text == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (std::strlen(text) == std::strlen(keywords[i].word) &&
            strcasecmp(text, keywords[i].word) == 0) {
            return keywords[i].value;
        }
    }
    return 0;
}

std::vector<std::string_view> SplitFields(std::string_view row) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t bar = row.find('|');
        fields.push_back(row.substr(0, bar));
        if (bar == std::string_view::npos) {
            return fields;
        }
        row.remove_prefix(bar + 1);
    }
}

std::size_t CharacterPrefix(std::string_view text, std::size_t count, std::size_t *characters) {
    std::size_t bytes = 0;
    std::size_t taken = 0;
    // A well-formed sequence is one character; so is each byte that is not part of one (it
    // shows as a replacement mark, one column wide): a stray byte never hides in its neighbour.
    while (bytes < text.size() && taken < count) {
        const std::size_t length = Utf8SequenceLength(text, bytes);
        bytes += length != 0 ? length : 1;
        ++taken;
    }
    if (characters) {
        *characters = taken;
    }
    return bytes;
}

std::string ColumnText(const ReportColumn &column, std::string_view field) {
    if (!(column.flags & ZARN_COLUMN_NUMERIC) || (!field.empty() && field.front() == '?')) {
        return std::string(field.substr(0, CharacterPrefix(field, column.width, nullptr)));
    }
    const std::string digits(field);
    const long long value = std::strtoll(digits.c_str(), nullptr, 10);
    char grouped[ZARN_THOUSANDS_SIZE];
    const unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    FormatThousands(magnitude, grouped, sizeof grouped);
    const std::string number = value < 0 ? "-" + std::string(grouped) : std::string(grouped);
    // A number cut to the column would read as a different number.
    return number.size() <= column.width ? number : std::string(column.width, '#');
}

int CopyPath(char *to, std::size_t size, const char *path) {
    if (path == nullptr) {
        to[0] = '\0';
        return 0;
    }
    const std::size_t length = std::strlen(path);
    if (length >= size) {
        return ENAMETOOLONG;
    }
    std::memcpy(to, path, length + 1);
    return 0;
}

int Write(ReportWriter *report, std::string_view text) {
    if (report->output == nullptr) {
        return EBADF;
    }
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), report->output) != text.size()) {
        return EIO;
    }
    return std::ferror(report->output) ? EIO : 0;
}

}  // namespace zarn::report
