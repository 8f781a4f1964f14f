// ZARNTollgate, the movement scanning station.
#include <QApplication>

#include <string>
#include <vector>

#include "zarn30app.h"
#include "zarncommandline.h"
#include "zarncrashmessage.h"
#include "zarnprogramidentity.h"
#include "zarnresources.h"

namespace {

zarn::ProgramDescription Program() {
    return {
        "ZARNTollgate", "The movement scanning station of the Kestrava tape media service.",
        "Environment: ZARNDATABASE (the embedded store's file), ZARNCONFIGFILE, ZARNDEFAULTSERVER.",
        []() {
            return std::string("ZARNTollgate ") + ZARN_VERSION + " (built " +
                   CZARN30App::kBuildDate +
                   ")\nresources: " + zarn::ResourceFolder(zarn::ThisProgramPath()) + "\n";
        }};
}

}  // namespace

int main(int argc, char **argv) {
    if (zarn::ShowCrashMessageIfAsked(argc, argv)) {
        return 0;
    }
    const zarn::ProgramDescription program = Program();
    if (const int answered = zarn::AnswerHelpOrVersion(argc, argv, program); answered >= 0) {
        return answered;
    }
    QApplication application(argc, argv);  // takes Qt's own options out of the arguments
    zarn::IdentifyProgram("ZARNTollgate", ZARN_VERSION);
    zarn::ProgramCommandLine line;
    if (const int refused = zarn::ReadProgramCommandLine(QApplication::arguments(), program, line);
        refused >= 0) {
        return refused;
    }
    CZARN30Options options;
    options.replayFile = line.replayFile;
    options.speechLog = line.speechLog;
    options.splash = line.splash;
    CZARN30App tollgate(line.server, options, QApplication::applicationFilePath().toStdString());
    if (!tollgate.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
