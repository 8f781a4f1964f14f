#include "utf8sequence.h"

namespace zarn {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || at + length > text.size() || (length == 2 && lead < 0xC2) ||
        (length == 4 && lead > 0xF4)) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const unsigned char second =
        static_cast<unsigned char>(text[at + 1 < text.size() ? at + 1 : at]);
    if ((length == 3 && ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0))) ||
        (length == 4 && ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)))) {
        return 0;  // overlong, a surrogate, or beyond U+10FFFF
    }
    return length;
}

}  // namespace zarn
