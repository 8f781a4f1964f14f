// ZARNTollgate, the movement scanning station.
#include <memory>
#include <string>
#include <vector>

#include "zarn30app.h"
#include "zarncommandline.h"
#include "zarnprogrammain.h"
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
    return zarn::RunStationProgram(argc, argv, Program(), ZARN_VERSION,
                                   [](const zarn::ProgramCommandLine &line,
                                      const std::string &programPath) -> std::shared_ptr<void> {
                                       CZARN30Options options;
                                       options.replayFile = line.replayFile;
                                       options.speechLog = line.speechLog;
                                       options.splash = line.splash;
                                       auto tollgate = std::make_shared<CZARN30App>(
                                           line.server, options, programPath);
                                       return tollgate->InitInstance() ? tollgate : nullptr;
                                   });
}
