#include "zarndeployment.h"

#include <cstdlib>

#ifndef ZARN_UPDATE_SERVER
#define ZARN_UPDATE_SERVER "updates.kestrava.com"
#endif
#ifndef ZARN_SUPPORT_ADDRESS
#define ZARN_SUPPORT_ADDRESS "support@kestrava.com"
#endif
#ifndef ZARN_SUPPORT_SITE
#define ZARN_SUPPORT_SITE "https://www.kestrava.com/support"
#endif

namespace zarn {
namespace {

std::string Setting(const char *variable, const char *built) {
    const char *value = std::getenv(variable);
    return value && *value ? value : built;
}

}  // namespace

std::string UpdateServer() {
    return Setting("ZARNUPDATESERVER", ZARN_UPDATE_SERVER);
}

std::string SupportAddress() {
    return Setting("ZARNSUPPORTADDRESS", ZARN_SUPPORT_ADDRESS);
}

std::string SupportSite() {
    return Setting("ZARNSUPPORTSITE", ZARN_SUPPORT_SITE);
}

}  // namespace zarn
