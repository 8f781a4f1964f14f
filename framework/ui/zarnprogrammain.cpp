#include "zarnprogrammain.h"

#include <QApplication>

#include "zarncrashmessage.h"
#include "zarnprogramidentity.h"

namespace zarn {

int RunStationProgram(int argc, char **argv, const ProgramDescription &program,
                      const std::string &version, const ProgramStart &start) {
    if (ShowCrashMessageIfAsked(argc, argv)) {
        return 0;
    }
    if (const int answered = AnswerHelpOrVersion(argc, argv, program); answered >= 0) {
        return answered;
    }
    QApplication application(argc, argv);  // takes Qt's own options out of the arguments
    IdentifyProgram(program.name, version);
    ProgramCommandLine line;
    if (const int refused = ReadProgramCommandLine(QApplication::arguments(), program, line);
        refused >= 0) {
        return refused;
    }
    const std::shared_ptr<void> running =
        start(line, QApplication::applicationFilePath().toStdString());
    return running ? QApplication::exec() : 1;
}

}  // namespace zarn
