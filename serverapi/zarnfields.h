// Fixed-width character fields of the server records: not zero-terminated when full.
// Every read and write of such a field goes through these helpers.
#ifndef ZARN_SERVERAPI_ZARNFIELDS_H
#define ZARN_SERVERAPI_ZARNFIELDS_H

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zarn {

// The field's text: up to the first NUL or the full width.
template <std::size_t N>
std::string ReadField(const char (&field)[N]) {
    const char *end = static_cast<const char *>(std::memchr(field, '\0', N));
    return std::string(field, end ? static_cast<std::size_t>(end - field) : N);
}

// The field's text without a copy.
template <std::size_t N>
std::string_view FieldView(const char (&field)[N]) {
    const char *end = static_cast<const char *>(std::memchr(field, '\0', N));
    return std::string_view(field, end ? static_cast<std::size_t>(end - field) : N);
}

// Writes text cut to the width and zero-fills the rest.
template <std::size_t N>
void WriteField(char (&field)[N], std::string_view text) {
    const std::size_t length = std::min(text.size(), N);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

// True when the field holds exactly this text (as ReadField would give it).
template <std::size_t N>
bool FieldEquals(const char (&field)[N], std::string_view text) {
    return FieldView(field) == text;
}

// The volume key as shown to people: "customer.media.volume".
std::string DisplayKey(std::string_view customer, std::string_view media, std::string_view volume);

}  // namespace zarn

#endif
