// Names the running program to Qt (its settings), to the desktop (its windows matched to its
// desktop entry on Wayland) and to the system log, and logs its start.
#ifndef ZARN_FRAMEWORK_ZARNPROGRAMIDENTITY_H
#define ZARN_FRAMEWORK_ZARNPROGRAMIDENTITY_H

#include <string>

namespace zarn {

// The desktop entry's name without ".desktop": "com.quillfen.ZARNTollgate".
std::string DesktopFileName(const std::string &program);

void IdentifyProgram(const std::string &program, const std::string &version);

}  // namespace zarn

#endif
