// A thin wrapper over one open settings key (the registry on Windows, QSettings' native files
// here): "Software\Quillfen\<program>" of the current user, or "SOFTWARE\Quillfen" of the
// machine. Failed opens and writes show "Registry Error" unless the wrapper is quiet.
#ifndef ZARN_FRAMEWORK_ZARNREGISTRY_H
#define ZARN_FRAMEWORK_ZARNREGISTRY_H

#include <QSettings>

#include <cstdint>
#include <memory>
#include <string>

#include "zarnuiservices.h"

namespace zarn {

enum class RegistryRoot { CurrentUser, LocalMachine };

constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyAllAccess = 0xF003F;

class CZARNRegistry {
public:
    // ui may be null: then the wrapper is always quiet.
    explicit CZARNRegistry(UiServices *ui = nullptr);
    // A copy shares the key and never closes it.
    CZARNRegistry(const CZARNRegistry &other);
    CZARNRegistry &operator=(const CZARNRegistry &) = delete;
    ~CZARNRegistry();

    void SetAccess(uint32_t mask) { m_access = mask; }
    void SetQuiet(int quiet) { m_quiet = quiet != 0; }
    // subKey: "SOFTWARE\Quillfen" or "Software\Quillfen\ZARNTollgate" (first part skipped
    // when it is "Software"). Without write access a key that does not exist cannot be opened.
    bool Open(const std::string &subKey, RegistryRoot root, bool closeFlag);
    // out changes only when the value exists and is a number; true when the key could be read.
    bool ReadDword(const std::string &name, uint32_t &out) const;
    bool WriteDword(const std::string &name, uint32_t value);
    bool WriteString(const std::string &name, const std::string &value);
    bool IsOpen() const { return m_key != nullptr; }

private:
    bool Report(const std::string &error) const;
    bool Written();
    UiServices *m_ui;
    std::shared_ptr<QSettings> m_key;
    bool m_owner = true;
    bool m_quiet = false;
    uint32_t m_access = kKeyAllAccess;
};

}  // namespace zarn

#endif
