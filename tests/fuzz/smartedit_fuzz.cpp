// The SmartEdit shortcut file reader over arbitrary bytes: it never fails, and every key it
// keeps is a whole token of a line of at most 1023 characters.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "zarnsmartedit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char *>(data), size));
    for (const auto &[key, text] : zarn::ReadSmartEditShortcuts(file, "CustomerFilter")) {
        if (key.empty() || key.size() > 1023 || text.size() > 1023 ||
            key.find_first_of(" \t\n") != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
