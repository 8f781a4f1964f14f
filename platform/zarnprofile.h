// The per-user profile (organisation "Quillfen", the program's name) and the machine-wide
// values, over QSettings in the native format: on Windows the registry path itself, on Linux
// ~/.config/Quillfen/<program>.conf.
#ifndef ZARN_PLATFORM_ZARNPROFILE_H
#define ZARN_PLATFORM_ZARNPROFILE_H

#include <QSettings>

#include <memory>
#include <string>

namespace zarn {

class Profile {
public:
    explicit Profile(const std::string &application);

    int GetInt(const std::string &section, const std::string &key, int fallback) const;
    std::string GetString(const std::string &section, const std::string &key,
                          const std::string &fallback) const;
    void WriteInt(const std::string &section, const std::string &key, int value);
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    // A machine-wide value ("SOFTWARE\Quillfen"), read only.
    int GetMachineInt(const std::string &key, int fallback) const;
    void Flush();

    // Tests: keep every profile (user and machine) under this folder.
    static void RedirectForTests(const std::string &folder);

private:
    static QString KeyOf(const std::string &section, const std::string &key);
    std::unique_ptr<QSettings> m_user;
    std::unique_ptr<QSettings> m_machine;
};

}  // namespace zarn

#endif
