// The command lines of the three programs: Qt's own options are Qt's, never a server; unknown
// options and stray arguments are refused with exit code 2, as the manual pages promise.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "pdfprobe.h"
#include "supportfixtures.h"

using namespace zarn::test;

namespace {

int ExitCode(const std::string &command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommandLine, QtsOwnOptionsAreNoServerAndUnknownOnesAreRefused) {
    TempDir folder;
    const std::string database = (folder.Path() / "kestrava.db").string();
    const std::string replay = folder.WriteFile("empty.txt", "@quit\n");
    const std::string environment = "env -u DISPLAY -u ZARNDEFAULTSERVER -u ZARNCONFIGFILE HOME='" +
                                    folder.Path().string() + "' XDG_CONFIG_HOME='" +
                                    folder.Path().string() + "/config' ZARNDATABASE='" + database +
                                    "' ZARNUPDATESERVER=127.0.0.1:1 timeout 60 ";
    for (const char *program : {ZARN_TOLLGATE, ZARN_SHELVER}) {
        const std::string run = environment + "'" + program + "' ";
        // -platform and -style go to Qt: the store used is the embedded one, made at start.
        EXPECT_EQ(ExitCode(run + "-platform offscreen -style Fusion --replay '" + replay +
                           "' 2>/dev/null"),
                  0)
            << program;
        EXPECT_EQ(ExitCode(run + "-platform offscreen --bogus 2>/dev/null"), 2) << program;
        EXPECT_EQ(ExitCode(run + "-platform offscreen one two 2>/dev/null"), 2) << program;
        EXPECT_THAT(CommandOutput(run + "--help"), ::testing::HasSubstr("[options] [SERVER-URL]"));
    }
    EXPECT_EQ(ExitCode("'" + std::string(ZARN_SERVER_TOOL) + "' --bogus info 2>/dev/null"), 2);
}

}  // namespace
