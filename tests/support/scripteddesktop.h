// DesktopServices for tests: records every URL and answers whether a handler took it.
#ifndef ZARN_TESTS_SCRIPTEDDESKTOP_H
#define ZARN_TESTS_SCRIPTEDDESKTOP_H

#include <string>
#include <vector>

#include "zarndesktop.h"

namespace zarn::test {

class ScriptedDesktop : public DesktopServices {
public:
    bool Open(const std::string &url) override {
        opened.push_back(url);
        return handlerPresent;
    }
    bool Print(const std::string &path) override {
        printed.push_back(path);
        return handlerPresent;
    }
    std::vector<std::string> opened;
    std::vector<std::string> printed;
    bool handlerPresent = true;
};

}  // namespace zarn::test

#endif
