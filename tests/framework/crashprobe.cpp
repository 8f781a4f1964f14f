// A program that crashes on purpose, for the crash report's tests:
//   crashprobe segv|abort|throw [helper]
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>

#include "zarncrash.h"

namespace {
volatile int *nowhere = nullptr;
}

int main(int argc, char **argv) {
    zarn::InstallCrashHandler("Crash Probe", "Aug 14 2018", argc > 2 ? argv[2] : "");
    const std::string how = argc > 1 ? argv[1] : "segv";
    if (how == "throw") {
        throw std::runtime_error("nobody catches this");
    }
    if (how == "abort") {
        std::abort();
    }
    *nowhere = 1;
    return 0;
}
