// ParseBarCode over arbitrary scanner lines: the parsed record must stay well-formed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "zarnbarcode.h"
#include "zarnfields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string line(reinterpret_cast<const char *>(data), size);
    static const zarn::BarCodeGrammar grammar;
    ZARN10BARCODEPARSED parsed;
    const uint8_t result = zarn::ParseScannerLine(grammar, line, "]C1", "\r", parsed);
    if (result != 0 && parsed.kind != kZarnBarCodeNone) {
        std::abort();  // a refused line must leave nothing behind
    }
    if (parsed.kind == kZarnBarCodeVolume && zarn::ReadField(parsed.volume).empty()) {
        std::abort();
    }
    return 0;
}
