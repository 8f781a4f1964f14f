#include "zarnprogramidentity.h"

#include <QGuiApplication>
#include <QSysInfo>

#include "zarnstationlog.h"

namespace zarn {

std::string DesktopFileName(const std::string &program) {
    return "com.quillfen." + program;
}

void IdentifyProgram(const std::string &program, const std::string &version) {
    QCoreApplication::setApplicationName(QString::fromStdString(program));
    QCoreApplication::setOrganizationName("Quillfen");
    QGuiApplication::setDesktopFileName(QString::fromStdString(DesktopFileName(program)));
    InstallStationLog(program);
    qCInfo(lcStart).noquote() << QString::fromStdString(program) << QString::fromStdString(version)
                              << "started on" << QSysInfo::prettyProductName();
}

}  // namespace zarn
