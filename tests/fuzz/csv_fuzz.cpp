// The CSV reader over arbitrary files: whatever it accepts must write back and read again to
// the same fields.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "zarncsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char *>(data), size));
    zarn::CsvReader reader(input);
    for (std::vector<std::string> fields; reader.Next(fields);) {
        std::istringstream again(zarn::CsvLine(fields));
        zarn::CsvReader second(again);
        std::vector<std::string> read;
        if (!second.Next(read) || read != fields) {
            std::abort();
        }
    }
    return 0;
}
