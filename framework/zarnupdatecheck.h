// The silent update check at start-up: GET "version.cgi" from the update server; a 302 answer
// names the upgrade in its "Location: " header. Nothing is ever shown.
#ifndef ZARN_FRAMEWORK_ZARNUPDATECHECK_H
#define ZARN_FRAMEWORK_ZARNUPDATECHECK_H

#include <string>

namespace zarn {

// "Aug 14 2018" (the compiler's date) as "2018-08-14"; the text unchanged when it is not one.
std::string FormatBuildDate(const std::string &buildDate);
// "Kestrava Tollgate/2018-08-14 (Linux 6.1.0 x86_64)".
std::string UpdateAgent(const std::string &programName, const std::string &buildDate);
// The upgrade's location, or empty: for any failure, time-out (1500 ms to connect, at most
// 4.5 s in all) or answer other than a 302 with a "Location: " line. server is "host[:port]".
std::string CheckForUpgrade(const std::string &server, const std::string &agent);

}  // namespace zarn

#endif
