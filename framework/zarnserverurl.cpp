#include "zarnserverurl.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace zarn {
namespace {

// "name" or "name:port" of a list: a host name or IPv4 address, a port from 1 to 65535.
bool IsListedHost(const QString &entry) {
    // Anchored at both ends of the whole text: "$" alone would let a name end in a line feed.
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern("[A-Za-z0-9._-]+(:([0-9]{1,5}))?"));
    const QRegularExpressionMatch match = pattern.match(entry);
    if (!match.hasMatch()) {
        return false;
    }
    const QString port = match.captured(2);
    return port.isEmpty() || (port.toInt() >= 1 && port.toInt() <= 65535);
}

// The hosts of "user@primary:5432,standby:5433" (several servers, the writable one is used):
// the list, checked, with the authority given to QUrl naming one stand-in host. Empty when
// the authority holds no list.
QString TakeHostList(QString &given) {
    const int start = given.indexOf("://") + 3;
    const int end = given.indexOf('/', start);
    const QString authority = given.mid(start, end < 0 ? -1 : end - start);
    const int at = authority.lastIndexOf('@');
    const QString hosts = authority.mid(at + 1);
    if (!hosts.contains(',')) {
        return {};
    }
    const QStringList entries = hosts.split(',');
    for (const QString &entry : entries) {
        if (!IsListedHost(entry)) {
            given.clear();
            return {};
        }
    }
    given.replace(start + at + 1, hosts.size(), "listed-hosts");
    return hosts;
}

}  // namespace

ServerAddress ParseServerUrl(const std::string &text) {
    QString given = QString::fromStdString(text).trimmed();
    // A bare "host:port" or "user@host" is taken as if it had a scheme.
    if (!given.isEmpty() && !given.contains("://")) {
        given = "zarn://" + given;
    }
    const QString hostList = TakeHostList(given);
    const QUrl url(given, QUrl::StrictMode);
    ServerAddress address;
    if (given.isEmpty() || !url.isValid() || url.host().isEmpty()) {
        return address;
    }
    const int port = url.port(0);
    if (port < 0 || port > 65535 || (!hostList.isEmpty() && port != 0)) {
        return address;
    }
    address.host = (hostList.isEmpty() ? url.host() : hostList).toStdString();
    address.port = static_cast<uint16_t>(port);
    address.user = url.userName().toStdString();
    address.password = url.password().toStdString();
    return address;
}

}  // namespace zarn
