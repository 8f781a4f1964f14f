// The crash report: on a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) or an
// uncaught C++ exception, "ZARN-<year>-<day of year from 0>-<pid>.dmp" is written to the
// user's state folder ($XDG_STATE_HOME/Quillfen, ~/.local/state/Quillfen), made new and never
// through a link, with the signal, the program, its build id and a backtrace whose frames are
// named by module, offset and build id (addr2line and debuginfod resolve them with the debug
// symbols), using only calls that are safe in a signal handler. The "Program Terminated" message is
// shown by a separate process (the handler must not run Qt), and the signal's default action then
// ends the process, so that a core dump is still taken where the system keeps them.
#ifndef ZARN_FRAMEWORK_ZARNCRASH_H
#define ZARN_FRAMEWORK_ZARNCRASH_H

#include <sys/types.h>

#include <ctime>
#include <string>

namespace zarn {

// helper: a program started as "helper --crash-message <folder>" to show the message; empty
// for none. The folder is made here; without a home, TMPDIR (else /tmp) serves.
void InstallCrashHandler(const std::string &programName, const std::string &build,
                         const std::string &helper);
// The report's name for a moment (local time) and a process.
std::string CrashReportName(std::time_t when, pid_t process);
// The text the helper shows.
std::string CrashMessageText(const std::string &folder);

}  // namespace zarn

#endif
