#include "zarndesktop.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace zarn {

bool QtDesktopServices::Open(const std::string &url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

bool QtDesktopServices::Print(const std::string &path) {
    return QProcess::startDetached("lp", {"--", QString::fromStdString(path)});
}

int CZARNAssociation::Open() {
    return m_desktop.Open(
               QUrl::fromLocalFile(QString::fromStdString(m_path)).toString().toStdString())
               ? 0
               : 1;
}

int CZARNAssociation::Print() {
    return m_desktop.Print(m_path) ? 0 : 1;
}

}  // namespace zarn
