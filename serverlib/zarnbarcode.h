// The bar-code grammar of scanner lines, with defaults that a configuration can override.
#ifndef ZARN_SERVERLIB_ZARNBARCODE_H
#define ZARN_SERVERLIB_ZARNBARCODE_H

#include <libconfig.h>

#include <cstddef>
#include <string>

#include "zarnrecords.h"

namespace zarn {

struct BarCodeGrammar {
    std::string controlPrefix = "!";  // "!S": the control character S
    // The colons keep zone and slot codes apart from volume serials, which never hold one.
    std::string zonePrefix = "Z:";  // "Z:12": zone 12; "Z:12S:40": zone 12, slot 40
    std::string slotPrefix = "S:";  // "S:40": slot 40; "S:3/12": level 3, slot 12
    char keySeparator = '.';        // "ACME.LTO9.A00001": a full volume key
    bool upperCase = true;          // scanner text is taken in upper case
};

// The grammar with the overrides of the configuration's "barcodes" group, if any. Overrides
// that would leave codes unreadable or ambiguous are all dropped, and problem says why.
BarCodeGrammar GrammarFrom(const config_t *configuration, std::string *problem = nullptr);

// No code of the grammar is longer than this many characters (a scanner's prefix and suffix
// aside): a longer line is refused before it is read.
std::size_t LongestBarCode(const BarCodeGrammar &grammar);

// The most characters a marker may have: a grammar with a longer one is not used.
constexpr std::size_t kLongestMarker = 32;

// Parses one line (prefix and suffix, when the scanner adds them, are removed first). Returns a
// CZARN10RC code: 0, or kZarnBadBarCode with parsed zeroed.
uint8_t ParseScannerLine(const BarCodeGrammar &grammar, const std::string &line, const char *prefix,
                         const char *suffix, ZARN10BARCODEPARSED &parsed);

}  // namespace zarn

#endif
