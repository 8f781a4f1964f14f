// Where this deployment's outside services are: build settings with an environment override,
// so that tests can point them at loopback.
#ifndef ZARN_FRAMEWORK_ZARNDEPLOYMENT_H
#define ZARN_FRAMEWORK_ZARNDEPLOYMENT_H

#include <string>

namespace zarn {

// "host" or "host:port" of the update server (ZARNUPDATESERVER overrides).
std::string UpdateServer();
// The support mail address (ZARNSUPPORTADDRESS overrides).
std::string SupportAddress();
// The support web site (ZARNSUPPORTSITE overrides).
std::string SupportSite();

}  // namespace zarn

#endif
