// Where a program finds the files it ships with (logo, pictures, documentation page, demo
// data): beside the program in the build tree, or in the installed data folder.
#ifndef ZARN_FRAMEWORK_ZARNRESOURCES_H
#define ZARN_FRAMEWORK_ZARNRESOURCES_H

#include <string>

namespace zarn {

// The first that exists of: $ZARNRESOURCEDIR/name, <program folder>/resources/name,
// <program folder>/../share/kestrava/name; else the second, for a clear error later.
std::string FindResource(const std::string &programPath, const std::string &name);

// The running program's own file, before Qt is up (for --version).
std::string ThisProgramPath();
// The folder the program's resources were found in, or "not found": what --version reports,
// so that an installation can be checked from the command line.
std::string ResourceFolder(const std::string &programPath);

}  // namespace zarn

#endif
