// Message boxes and file dialogs, with the styles and answers the programs were written
// against. The Qt implementation shows them; tests use a scripted one.
#ifndef ZARN_PLATFORM_ZARNUISERVICES_H
#define ZARN_PLATFORM_ZARNUISERVICES_H

#include <string>

namespace zarn {

// Buttons.
constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxOkCancel = 0x1;
constexpr unsigned kBoxYesNoCancel = 0x3;
constexpr unsigned kBoxYesNo = 0x4;
// Icons.
constexpr unsigned kBoxIconError = 0x10;
constexpr unsigned kBoxIconQuestion = 0x20;
constexpr unsigned kBoxIconWarning = 0x30;
constexpr unsigned kBoxIconInformation = 0x40;
// Answers.
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct FileDialogRequest {
    std::string title;
    std::string folder;
    std::string fileName;
    std::string filter;  // "CSV files (*.csv);;All files (*)"
};

class UiServices {
public:
    virtual ~UiServices() = default;
    // Returns one of the answers.
    virtual int MessageBox(const std::string &text, const std::string &caption, unsigned style) = 0;
    // False when the operator cancelled; path is then unchanged.
    virtual bool OpenFileDialog(const FileDialogRequest &request, std::string &path) = 0;
    virtual bool SaveFileDialog(const FileDialogRequest &request, std::string &path) = 0;
};

}  // namespace zarn

#endif
