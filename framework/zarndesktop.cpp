#include "zarndesktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace zarn {

bool QtDesktopServices::Open(const std::string &url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

}  // namespace zarn
