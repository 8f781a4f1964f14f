#include "zarncrashmessage.h"

#include <QApplication>
#include <QMessageBox>

#include <cstring>

#include "zarncrash.h"

namespace zarn {

bool ShowCrashMessageIfAsked(int argc, char **argv) {
    if (argc < 3 || std::strcmp(argv[1], "--crash-message") != 0) {
        return false;
    }
    QApplication application(argc, argv);
    QMessageBox::critical(nullptr, "Program Terminated",
                          QString::fromStdString(CrashMessageText(argv[2])));
    return true;
}

}  // namespace zarn
