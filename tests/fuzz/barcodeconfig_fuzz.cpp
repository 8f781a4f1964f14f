// The configuration's "barcodes" group over arbitrary files: whatever grammar comes out must read
// its own codes back, and a refused file must say why.
#include <libconfig.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "zarnbarcode.h"
#include "zarnfields.h"

namespace {

void Expect(bool condition) {
    if (!condition) {
        std::abort();
    }
}

ZARN10BARCODEPARSED Parsed(const zarn::BarCodeGrammar &grammar, const std::string &line) {
    ZARN10BARCODEPARSED parsed;
    zarn::ParseScannerLine(grammar, line, nullptr, nullptr, parsed);
    return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    config_t configuration;
    config_init(&configuration);
    if (config_read_string(&configuration, text.c_str()) == CONFIG_TRUE) {
        std::string problem;
        const zarn::BarCodeGrammar grammar = zarn::GrammarFrom(&configuration, &problem);
        const std::string sep(1, grammar.keySeparator);
        Expect(Parsed(grammar, grammar.controlPrefix + "R").control == 'R');
        const ZARN10BARCODEPARSED zoneSlot =
            Parsed(grammar, grammar.zonePrefix + "7" + grammar.slotPrefix + "3/9");
        Expect(zoneSlot.kind == kZarnBarCodeZoneSlot && zoneSlot.zone == 7 &&
               zoneSlot.slot == -((3 << 16) | 9));
        const ZARN10BARCODEPARSED key = Parsed(grammar, "C1" + sep + "M1" + sep + "V1");
        Expect(key.kind == kZarnBarCodeVolume && zarn::ReadField(key.customerId) == "C1" &&
               zarn::ReadField(key.volume) == "V1");
        if (!problem.empty()) {
            const zarn::BarCodeGrammar builtIn;
            Expect(grammar.zonePrefix == builtIn.zonePrefix &&
                   grammar.keySeparator == builtIn.keySeparator);
        }
        // Scanner lines against the file's grammar: a refused line leaves nothing behind.
        ZARN10BARCODEPARSED parsed;
        if (zarn::ParseScannerLine(grammar, text, nullptr, nullptr, parsed) != 0) {
            Expect(parsed.kind == kZarnBarCodeNone);
        }
    }
    config_destroy(&configuration);
    return 0;
}
