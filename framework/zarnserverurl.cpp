#include "zarnserverurl.h"

#include <QUrl>

namespace zarn {

ServerAddress ParseServerUrl(const std::string &text) {
    QString given = QString::fromStdString(text).trimmed();
    // A bare "host:port" or "user@host" is taken as if it had a scheme.
    if (!given.isEmpty() && !given.contains("://")) {
        given = "zarn://" + given;
    }
    const QUrl url(given, QUrl::StrictMode);
    ServerAddress address;
    if (given.isEmpty() || !url.isValid() || url.host().isEmpty()) {
        return address;
    }
    const int port = url.port(0);
    if (port < 0 || port > 65535) {
        return address;
    }
    address.host = url.host().toStdString();
    address.port = static_cast<uint16_t>(port);
    address.user = url.userName().toStdString();
    address.password = url.password().toStdString();
    return address;
}

}  // namespace zarn
