// What the desktop does for the programs: open a web page, a file or a mail composer with the
// handler the user chose. The Qt implementation asks the desktop; tests script it.
#ifndef ZARN_FRAMEWORK_ZARNDESKTOP_H
#define ZARN_FRAMEWORK_ZARNDESKTOP_H

#include <string>

namespace zarn {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // A URL (https:, mailto:, file:); false when no handler took it.
    virtual bool Open(const std::string &url) = 0;
    // Hands a file to the printing system; false when it refused.
    virtual bool Print(const std::string &path) = 0;
};

// QDesktopServices.
class QtDesktopServices : public DesktopServices {
public:
    bool Open(const std::string &url) override;
    bool Print(const std::string &path) override;
};

// A file and what the desktop does with it: 0 when the request was accepted, 1 otherwise.
class CZARNAssociation {
public:
    CZARNAssociation(DesktopServices &desktop, std::string path)
        : m_desktop(desktop), m_path(std::move(path)) {}
    int Open();
    int Print();

private:
    DesktopServices &m_desktop;
    std::string m_path;
};

}  // namespace zarn

#endif
