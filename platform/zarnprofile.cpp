#include "zarnprofile.h"

namespace zarn {
namespace {
const char kOrganisation[] = "Quillfen";
}

Profile::Profile(const std::string &application)
    : m_user(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         kOrganisation, QString::fromStdString(application))),
      m_machine(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::SystemScope,
                                            kOrganisation)) {}

QString Profile::KeyOf(const std::string &section, const std::string &key) {
    // Sections such as "Variables\" end in the registry's separator already.
    QString group = QString::fromStdString(section);
    while (group.endsWith('\\') || group.endsWith('/')) {
        group.chop(1);
    }
    return group.isEmpty() ? QString::fromStdString(key)
                           : group + "/" + QString::fromStdString(key);
}

int Profile::GetInt(const std::string &section, const std::string &key, int fallback) const {
    bool ok = false;
    const int value = m_user->value(KeyOf(section, key)).toInt(&ok);
    return ok ? value : fallback;
}

std::string Profile::GetString(const std::string &section, const std::string &key,
                               const std::string &fallback) const {
    const QVariant value = m_user->value(KeyOf(section, key));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void Profile::WriteInt(const std::string &section, const std::string &key, int value) {
    m_user->setValue(KeyOf(section, key), value);
}

void Profile::WriteString(const std::string &section, const std::string &key,
                          const std::string &value) {
    m_user->setValue(KeyOf(section, key), QString::fromStdString(value));
}

int Profile::GetMachineInt(const std::string &key, int fallback) const {
    bool ok = false;
    const int value = m_machine->value(QString::fromStdString(key)).toInt(&ok);
    return ok ? value : fallback;
}

void Profile::Flush() {
    m_user->sync();
}

void Profile::RedirectForTests(const std::string &folder) {
    const QString path = QString::fromStdString(folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path + "/user");
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, path + "/machine");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path + "/user");
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, path + "/machine");
}

}  // namespace zarn
