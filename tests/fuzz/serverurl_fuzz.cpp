// The server address of the command line over arbitrary text: whatever it is given, an address
// is all or nothing, a host list holds only names and ports, and the password never ends up in
// the host (where the log would show it).
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "zarnserverurl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const zarn::ServerAddress address = zarn::ParseServerUrl(text);
    if (address.host.empty()) {
        if (address.port != 0 || !address.user.empty() || !address.password.empty()) {
            std::abort();  // half an address
        }
        return 0;
    }
    if (address.host.find(',') != std::string::npos) {
        static const std::regex list(
            "([A-Za-z0-9._-]+(:[0-9]{1,5})?)(,[A-Za-z0-9._-]+(:[0-9]{1,5})?)+");
        if (!std::regex_match(address.host, list) || address.port != 0) {
            std::abort();
        }
    }
    if (address.host.find('@') != std::string::npos) {
        std::abort();  // user or password carried into the host
    }
    return 0;
}
