// Replaying a file of scanner lines and commands through the same paths as the keyboard: a
// bar code is typed into the open scan dialog key by key and ended with Enter; a command is
// what the operator would choose (the program says which commands it knows). Message boxes
// are answered from the file (or take their first button), nothing is shown and nothing
// blocks, and the program ends when the file does. The format is in docs/replay.md.
#ifndef ZARN_FRAMEWORK_UI_ZARNREPLAY_H
#define ZARN_FRAMEWORK_UI_ZARNREPLAY_H

#include <QObject>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zarndesktop.h"
#include "zarnlistexporter.h"
#include "zarnuiservices.h"

namespace zarn {

// Writes one line of what a replay did to the standard error.
void ReplayLog(const std::string &text);

// The answers a replay gives in place of the operator.
class ReplayAnswers : public UiServices, public DesktopServices, public ExportDialogs {
public:
    int MessageBox(const std::string &text, const std::string &caption, unsigned style) override;
    bool OpenFileDialog(const FileDialogRequest &request, std::string &path) override;
    bool SaveFileDialog(const FileDialogRequest &request, std::string &path) override;
    bool Open(const std::string &url) override;
    bool Print(const std::string &path) override;
    std::optional<ExportTypeChoice> ChooseType(ExportableList &list, bool withMail) override;
    bool ChoosePdfOptions(PdfOptions &options) override;

    std::deque<int> answers;
    std::deque<std::string> files;
};

// How the replay reaches the program's scan dialog.
struct ReplayScanDialog {
    std::function<QWidget *()> current;       // the open one, or null
    std::function<void()> finishAfterTyping;  // its Close, after what was typed
};

class CZARNReplay : public QObject {
public:
    // command(name, argument): the program's commands; false when it knows none of that name.
    using CommandRunner = std::function<bool(const std::string &, const std::string &)>;
    CZARNReplay(std::vector<std::string> lines, ReplayAnswers &answers, ReplayScanDialog dialog,
                CommandRunner command, std::function<void()> finished);
    void Start();
    // Reads a replay file (skipping empty lines and "#" comments); false with error.
    static bool ReadLines(const std::string &path, std::vector<std::string> &lines,
                          std::string &error);

private:
    void Step();
    void Finish();
    void Type(QWidget *target, const std::string &line);
    bool RunCommand(const std::string &command, const std::string &argument);

    std::vector<std::string> m_lines;
    ReplayAnswers &m_answers;
    ReplayScanDialog m_dialog;
    CommandRunner m_command;
    std::function<void()> m_finished;
    size_t m_next = 0;
    int m_busy = 0;
    bool m_finishing = false;
    QTimer m_timer;
};

}  // namespace zarn

#endif
