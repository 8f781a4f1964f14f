#include "scripteduiservices.h"

#include <gtest/gtest.h>

namespace zarn::test {

int ScriptedUiServices::MessageBox(const std::string &text, const std::string &caption,
                                   unsigned style) {
    boxes.push_back({text, caption, style});
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
        return kAnswerCancel;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool ScriptedUiServices::NextFile(const FileDialogRequest &request, std::string &path) {
    fileDialogs.push_back(request);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog \"" << request.title << "\"";
        return false;
    }
    const std::optional<std::string> chosen = m_files.front();
    m_files.pop_front();
    if (chosen) {
        path = *chosen;
    }
    return chosen.has_value();
}

bool ScriptedUiServices::OpenFileDialog(const FileDialogRequest &request, std::string &path) {
    return NextFile(request, path);
}

bool ScriptedUiServices::SaveFileDialog(const FileDialogRequest &request, std::string &path) {
    return NextFile(request, path);
}

}  // namespace zarn::test
