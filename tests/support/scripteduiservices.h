// UiServices for tests: every box is recorded and answered from a queue; a box nobody
// expected fails the test.
#ifndef ZARN_TESTS_SCRIPTEDUISERVICES_H
#define ZARN_TESTS_SCRIPTEDUISERVICES_H

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "zarnuiservices.h"

namespace zarn::test {

class ScriptedUiServices : public UiServices {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style = 0;
    };

    // The answer to the next box.
    void Answer(int answer) { m_answers.push_back(answer); }
    // The next file dialog's choice; nullopt = cancelled.
    void ChooseFile(std::optional<std::string> path) { m_files.push_back(std::move(path)); }

    int MessageBox(const std::string &text, const std::string &caption, unsigned style) override;
    bool OpenFileDialog(const FileDialogRequest &request, std::string &path) override;
    bool SaveFileDialog(const FileDialogRequest &request, std::string &path) override;

    std::vector<Box> boxes;
    std::vector<FileDialogRequest> fileDialogs;

private:
    bool NextFile(const FileDialogRequest &request, std::string &path);
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_files;
};

}  // namespace zarn::test

#endif
