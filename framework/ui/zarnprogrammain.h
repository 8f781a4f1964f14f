// What the main() of both station programs does: the crash message when asked for, --help and
// --version without a window system, the Qt application, the program named to Qt, the desktop
// and the system log, and the command line read; then the program itself.
#ifndef ZARN_FRAMEWORK_UI_ZARNPROGRAMMAIN_H
#define ZARN_FRAMEWORK_UI_ZARNPROGRAMMAIN_H

#include <functional>
#include <memory>
#include <string>

#include "zarncommandline.h"

namespace zarn {

// start makes the program from its command line and its path and returns it, kept until the
// event loop ends (and gone before the Qt application is); null when it could not start.
// Returns the process's exit code.
using ProgramStart =
    std::function<std::shared_ptr<void>(const ProgramCommandLine &, const std::string &path)>;
int RunStationProgram(int argc, char **argv, const ProgramDescription &program,
                      const std::string &version, const ProgramStart &start);

}  // namespace zarn

#endif
