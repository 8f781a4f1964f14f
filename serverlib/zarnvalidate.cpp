#include "zarnvalidate.h"

#include <QUtf8StringView>

#include <limits>

namespace zarn {

bool IsStoreText(const std::string &text) {
    // NUL ends a C string and cannot be stored in PostgreSQL text.
    return text.find('\0') == std::string::npos &&
           QUtf8StringView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}

size_t TextLength(const std::string &text) {
    size_t characters = 0;
    for (unsigned char c : text) {
        characters += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return characters;
}

bool IsVolumeSerial(const std::string &serial) {
    if (serial.empty() || !IsStoreText(serial)) {
        return false;
    }
    for (unsigned char c : serial) {
        if (c <= 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsSlot(int64_t slot) {
    return slot > std::numeric_limits<int32_t>::min() &&
           slot <= std::numeric_limits<int32_t>::max();
}

}  // namespace zarn
