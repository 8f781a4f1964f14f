// The command line of the two station programs, read with QCommandLineParser: the server URL,
// --replay, --speech-log, --no-splash, --help and --version. Qt's own options (-platform,
// -style, ...) are Qt's: they are taken out by the application object before this reads the
// rest, and never mistaken for a server URL.
#ifndef ZARN_FRAMEWORK_ZARNCOMMANDLINE_H
#define ZARN_FRAMEWORK_ZARNCOMMANDLINE_H

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace zarn {

struct ProgramCommandLine {
    std::string replayFile;  // absolute: start-up moves to the program's folder
    std::string speechLog;
    bool splash = true;
    std::vector<std::string> server;  // the server URL, when one is given
};

struct ProgramDescription {
    const char *name;         // "ZARNTollgate"
    const char *summary;      // one line of what it is
    const char *environment;  // the variables it reads, for --help
    std::function<std::string()> version;
};

// --help and --version answered before any window system is needed: the exit code (0) when
// arguments ask for one of them, -1 otherwise.
int AnswerHelpOrVersion(int argc, char **argv, const ProgramDescription &program);

// The rest, from the arguments Qt left; -1 to go on, else the exit code (2: a wrong command
// line, said on standard error).
int ReadProgramCommandLine(const QStringList &arguments, const ProgramDescription &program,
                           ProgramCommandLine &options);

}  // namespace zarn

#endif
