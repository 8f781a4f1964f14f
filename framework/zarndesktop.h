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
};

// QDesktopServices.
class QtDesktopServices : public DesktopServices {
public:
    bool Open(const std::string &url) override;
};

}  // namespace zarn

#endif
