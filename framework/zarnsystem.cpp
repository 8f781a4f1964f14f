#include "zarnsystem.h"

#include <sys/utsname.h>

#include <cstring>

namespace zarn {
namespace {

void Copy(char (&field)[kSystemFieldSize], const char *text) {
    const size_t length = strnlen(text, kSystemFieldSize - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace

int DescribeSystem(SystemDescription *description) {
    std::memset(description, 0, sizeof *description);
    utsname names{};
    if (uname(&names) != 0) {
        return 0;
    }
    Copy(description->systemName, names.sysname);
    Copy(description->nodeName, names.nodename);
    Copy(description->release, names.release);
    Copy(description->version, names.version);
    Copy(description->machine, names.machine);
    return 0;
}

}  // namespace zarn
