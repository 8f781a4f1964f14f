#include "zarnvalidate.h"

#include <limits>

namespace zarn {

bool IsStoreText(const std::string &text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead == 0) {
            return false;
        }
        const size_t length = lead < 0x80           ? 1
                              : (lead >> 5) == 0x6  ? 2
                              : (lead >> 4) == 0xE  ? 3
                              : (lead >> 3) == 0x1E ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2) ||
            (length == 4 && lead > 0xF4)) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        const unsigned second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((length == 3 &&
             ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0))) ||
            (length == 4 &&
             ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)))) {
            return false;  // overlong forms and surrogates
        }
        i += length;
    }
    return true;
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
