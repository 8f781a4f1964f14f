// ZARNShelver, which records where volumes are shelved.
#include <memory>
#include <string>
#include <vector>

#include "zarncommandline.h"
#include "zarnprogrammain.h"
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
    return zarn::RunStationProgram(argc, argv, Program(), ZARN_VERSION,
                                   [](const zarn::ProgramCommandLine &line,
                                      const std::string &programPath) -> std::shared_ptr<void> {
                                       CZARNShelverOptions options;
                                       options.replayFile = line.replayFile;
                                       options.speechLog = line.speechLog;
                                       options.splash = line.splash;
                                       auto shelver = std::make_shared<CZARNShelverApp>(
                                           line.server, options, programPath);
                                       return shelver->InitInstance() ? shelver : nullptr;
                                   });
}
