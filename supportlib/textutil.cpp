#include "textutil.h"

#include <cstring>

namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
}  // namespace

extern "C" char *TrimBlanks(char *text) {
    if (text == nullptr) {
        return text;
    }
    size_t length = std::strlen(text);
    while (length > 0 && IsBlank(text[length - 1])) {
        --length;
    }
    size_t first = 0;
    while (first < length && IsBlank(text[first])) {
        ++first;
    }
    std::memmove(text, text + first, length - first);
    text[length - first] = '\0';
    return text;
}

extern "C" char *RemoveNonPrintable(char *text) {
    if (text == nullptr) {
        return text;
    }
    char *to = text;
    for (const char *from = text; *from != '\0'; ++from) {
        const unsigned char c = static_cast<unsigned char>(*from);
        if (c >= 32 && c != 127) {
            *to++ = *from;
        }
    }
    *to = '\0';
    return text;
}

extern "C" int CommaField(char *out, size_t size, const char *line, int n) {
    if (out == nullptr || size == 0) {
        return 0;
    }
    out[0] = '\0';
    if (line == nullptr || n < 0) {
        return 0;
    }
    const char *field = line;
    for (int index = 0; index < n; ++index) {
        field = std::strchr(field, ',');
        if (field == nullptr) {
            return 0;
        }
        ++field;
    }
    size_t length = 0;
    for (const char *c = field; *c != '\0' && *c != ',' && *c != '\n' && *c != '\r'; ++c) {
        if (*c != '"' && length + 1 < size) {
            out[length++] = *c;
        }
    }
    out[length] = '\0';
    return 1;
}
