// The assistance request: the support web site, or a support mail composed in the user's
// mail program, with the program and the system it runs on.
#ifndef ZARN_FRAMEWORK_ZARNASSISTANCE_H
#define ZARN_FRAMEWORK_ZARNASSISTANCE_H

#include <string>

#include "zarndesktop.h"
#include "zarnuiservices.h"

namespace zarn {

// The mailto: URL of the assistance mail.
std::string AssistanceMailUrl(const std::string &programName, const std::string &buildDate);

// Asks; No opens the support web site, Yes composes the mail. 1 when the site was opened or
// the mail handed to the mail program, else 0.
int RequestAssistance(UiServices &ui, DesktopServices &desktop, const std::string &programName,
                      const std::string &buildDate);

}  // namespace zarn

#endif
