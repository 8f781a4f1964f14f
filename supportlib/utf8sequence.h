// Reading UTF-8 one character at a time, for the writers that replace what is not well formed
// (whole texts are checked with Qt's QUtf8StringView::isValidUtf8, which this agrees with).
#ifndef ZARN_SUPPORTLIB_UTF8SEQUENCE_H
#define ZARN_SUPPORTLIB_UTF8SEQUENCE_H

#include <cstddef>
#include <string_view>

namespace zarn {

// The length of the well-formed UTF-8 sequence at text[at], or 0: overlong forms, surrogates
// and code points beyond U+10FFFF are not well formed.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

}  // namespace zarn

#endif
