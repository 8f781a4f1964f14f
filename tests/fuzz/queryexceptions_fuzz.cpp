// The query exception file reader over arbitrary files: entries always have five patterns and
// matching them never fails.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "zarn10treevolume.h"
#include "zarn30queryexceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::istringstream file(std::string(reinterpret_cast<const char *>(data), size));
    CQueryExceptionDlg table;
    table.Load(file);
    if (table.Entries().size() > size) {
        std::abort();  // every entry needs at least a line of its own
    }
    CZARN10TreeVolume item;
    table.Match(item);
    return 0;
}
