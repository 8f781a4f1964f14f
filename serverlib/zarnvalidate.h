// What the store accepts as data, the same on both back ends and for every way in (Add,
// Update, import): well-formed UTF-8 without NUL, volume serials a scanner can read, slots
// that can be shown.
#ifndef ZARN_SERVERLIB_ZARNVALIDATE_H
#define ZARN_SERVERLIB_ZARNVALIDATE_H

#include <cstdint>
#include <string>

namespace zarn {

// Well-formed UTF-8 with no NUL character.
bool IsStoreText(const std::string &text);
// Characters (not bytes) of UTF-8 text.
size_t TextLength(const std::string &text);
// A volume serial: visible characters only (no blank, no control character), at least one.
bool IsVolumeSerial(const std::string &serial);
// A slot: any number but the one whose magnitude does not fit (INT32_MIN).
bool IsSlot(int64_t slot);

}  // namespace zarn

#endif
