// The server address given on the command line or in ZARNDEFAULTSERVER, as a URL such as
// "pgsql://station@central.example:5432/" (scheme and path are not used). Several servers, a
// primary and its standbys, are named as a list, each with its port or not:
// "pgsql://station@primary:5432,standby:5432/"; the station uses the one that takes writes.
#ifndef ZARN_FRAMEWORK_ZARNSERVERURL_H
#define ZARN_FRAMEWORK_ZARNSERVERURL_H

#include <cstdint>
#include <string>

namespace zarn {

struct ServerAddress {
    std::string host;   // one host, or a list "name[:port],name[:port]..."
    uint16_t port = 0;  // 0: none given
    std::string user;
    std::string password;
};

// A text that is not a usable URL gives four empty parts, never half of them.
ServerAddress ParseServerUrl(const std::string &text);

}  // namespace zarn

#endif
