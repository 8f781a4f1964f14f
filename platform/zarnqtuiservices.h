// UiServices shown with Qt's message boxes and file dialogs.
#ifndef ZARN_PLATFORM_ZARNQTUISERVICES_H
#define ZARN_PLATFORM_ZARNQTUISERVICES_H

#include <QWidget>

#include "zarnuiservices.h"

namespace zarn {

class QtUiServices : public UiServices {
public:
    explicit QtUiServices(QWidget *owner = nullptr) : m_owner(owner) {}
    int MessageBox(const std::string &text, const std::string &caption, unsigned style) override;
    bool OpenFileDialog(const FileDialogRequest &request, std::string &path) override;
    bool SaveFileDialog(const FileDialogRequest &request, std::string &path) override;

private:
    bool FileDialog(const FileDialogRequest &request, std::string &path, bool save);
    QWidget *m_owner;
};

}  // namespace zarn

#endif
