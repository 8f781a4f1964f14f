// ZARNShelver, which records where volumes are shelved.
#include <QApplication>

#include <string>
#include <vector>

#include "zarncommandline.h"
#include "zarncrashmessage.h"
#include "zarnprogramidentity.h"
#include "zarnresources.h"
#include "zarnshelverapp.h"

namespace {

zarn::ProgramDescription Program() {
    return {
        "ZARNShelver", "Records where the volumes of the Kestrava tape media service are shelved.",
        "Environment: ZARNDATABASE (the embedded store's file), ZARNCONFIGFILE, ZARNDEFAULTSERVER.",
        []() {
            return std::string("ZARNShelver ") + ZARN_VERSION + " (built " +
                   CZARNShelverApp::kBuildDate +
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
    zarn::IdentifyProgram("ZARNShelver", ZARN_VERSION);
    zarn::ProgramCommandLine line;
    if (const int refused = zarn::ReadProgramCommandLine(QApplication::arguments(), program, line);
        refused >= 0) {
        return refused;
    }
    CZARNShelverOptions options;
    options.replayFile = line.replayFile;
    options.speechLog = line.speechLog;
    options.splash = line.splash;
    CZARNShelverApp shelver(line.server, options,
                            QApplication::applicationFilePath().toStdString());
    if (!shelver.InitInstance()) {
        return 1;
    }
    return QApplication::exec();
}
