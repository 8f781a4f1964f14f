#include "zarnregistry.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace zarn {
namespace {

const uint32_t kWriteBits = 0x00006;  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY

std::unique_ptr<QSettings> SettingsFor(const std::string &subKey, RegistryRoot root) {
    QStringList parts =
        QString::fromStdString(subKey).split(QRegularExpression("[\\\\/]"), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.front().compare("Software", Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    if (parts.isEmpty()) {
        return nullptr;
    }
    const QString organisation = parts.takeFirst();
    const QString application = parts.isEmpty() ? QString() : parts.takeFirst();
    auto settings = std::make_unique<QSettings>(
        QSettings::NativeFormat,
        root == RegistryRoot::LocalMachine ? QSettings::SystemScope : QSettings::UserScope,
        organisation, application);
    settings->setFallbacksEnabled(false);
    if (!parts.isEmpty()) {
        settings->beginGroup(parts.join('/'));
    }
    return settings;
}

}  // namespace

CZARNRegistry::CZARNRegistry(UiServices *ui) : m_ui(ui) {}

CZARNRegistry::CZARNRegistry(const CZARNRegistry &other)
    : m_ui(other.m_ui),
      m_key(other.m_key),
      m_owner(false),
      m_quiet(other.m_quiet),
      m_access(other.m_access) {}

CZARNRegistry::~CZARNRegistry() {
    if (m_owner && m_key) {
        m_key->sync();
    }
}

bool CZARNRegistry::Report(const std::string &error) const {
    if (!m_quiet && m_ui) {
        m_ui->MessageBox(error, "Registry Error", kBoxOk | kBoxIconInformation);
    }
    return false;
}

bool CZARNRegistry::Open(const std::string &subKey, RegistryRoot root, bool closeFlag) {
    std::unique_ptr<QSettings> settings = SettingsFor(subKey, root);
    if (!settings) {
        return Report(std::strerror(EINVAL));
    }
    const bool mayCreate = (m_access & kWriteBits) != 0;
    if (!mayCreate && !QFileInfo::exists(settings->fileName())) {
        return Report(std::strerror(ENOENT));
    }
    if (settings->status() != QSettings::NoError) {
        return Report(std::strerror(EIO));
    }
    // The new key is the one held from now on; the close flag says only whether the old one
    // is finished first (written out).
    if (closeFlag && m_key && m_owner) {
        m_key->sync();
    }
    m_key = std::move(settings);
    m_owner = true;
    return true;
}

bool CZARNRegistry::ReadDword(const std::string &name, uint32_t &out) const {
    if (!m_key) {
        return false;
    }
    const QVariant value = m_key->value(QString::fromStdString(name));
    if (!value.isValid()) {
        return false;  // no such value: the read itself fails
    }
    bool number = false;
    const qulonglong read = value.toULongLong(&number);
    if (number && read <= 0xFFFFFFFFull) {
        out = static_cast<uint32_t>(read);
    }
    return true;  // read, whether or not it was a number
}

bool CZARNRegistry::Written() {
    m_key->sync();
    if (m_key->status() != QSettings::NoError || !m_key->isWritable()) {
        return Report(std::strerror(EACCES));
    }
    return true;
}

bool CZARNRegistry::WriteDword(const std::string &name, uint32_t value) {
    if (!m_key || !(m_access & kWriteBits)) {
        return Report(std::strerror(EACCES));
    }
    m_key->setValue(QString::fromStdString(name), static_cast<qulonglong>(value));
    return Written();
}

bool CZARNRegistry::WriteString(const std::string &name, const std::string &value) {
    if (!m_key || !(m_access & kWriteBits)) {
        return Report(std::strerror(EACCES));
    }
    m_key->setValue(QString::fromStdString(name), QString::fromStdString(value));
    return Written();
}

}  // namespace zarn
