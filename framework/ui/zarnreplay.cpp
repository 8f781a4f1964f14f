#include "zarnreplay.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <cctype>
#include <cstdio>
#include <fstream>

namespace zarn {
namespace {

int AnswerOf(const std::string &word) {
    if (word == "yes")
        return kAnswerYes;
    if (word == "no")
        return kAnswerNo;
    if (word == "cancel")
        return kAnswerCancel;
    return kAnswerOk;
}

}  // namespace

void ReplayLog(const std::string &text) {
    std::fprintf(stderr, "replay: %s\n", text.c_str());
}

int ReplayAnswers::MessageBox(const std::string &text, const std::string &caption, unsigned style) {
    int answer = 0;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    } else {
        // The first button: OK, or Yes.
        const unsigned buttons = style & 0xF;
        answer = buttons == kBoxYesNo || buttons == kBoxYesNoCancel ? kAnswerYes : kAnswerOk;
    }
    ReplayLog("box \"" + caption + "\": " + text + " -> " + std::to_string(answer));
    return answer;
}

bool ReplayAnswers::OpenFileDialog(const FileDialogRequest &request, std::string &path) {
    return SaveFileDialog(request, path);
}

bool ReplayAnswers::SaveFileDialog(const FileDialogRequest &request, std::string &path) {
    if (files.empty()) {
        ReplayLog("file dialog \"" + request.fileName + "\" cancelled: no @file given");
        return false;
    }
    path = files.front();
    files.pop_front();
    return true;
}

bool ReplayAnswers::Open(const std::string &url) {
    ReplayLog("not opened: " + url);
    return true;
}

bool ReplayAnswers::Print(const std::string &path) {
    ReplayLog("not printed: " + path);
    return true;
}

std::optional<ExportTypeChoice> ReplayAnswers::ChooseType(ExportableList &, bool) {
    return ExportTypeChoice{kExportText, false};
}

bool ReplayAnswers::ChoosePdfOptions(PdfOptions &) {
    return true;
}

CZARNReplay::CZARNReplay(std::vector<std::string> lines, ReplayAnswers &answers,
                         ReplayScanDialog dialog, CommandRunner command,
                         std::function<void()> finished)
    : m_lines(std::move(lines)),
      m_answers(answers),
      m_dialog(std::move(dialog)),
      m_command(std::move(command)),
      m_finished(std::move(finished)) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this]() { Step(); });
}

bool CZARNReplay::ReadLines(const std::string &path, std::vector<std::string> &lines,
                            std::string &error) {
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    return true;
}

void CZARNReplay::Start() {
    m_timer.start();
}

void CZARNReplay::Step() {
    QWidget *dialog = m_dialog.current();
    if (m_next >= m_lines.size()) {
        Finish();
        return;
    }
    const std::string &line = m_lines[m_next];
    if (line[0] != '@') {
        if (dialog) {
            ReplayLog("> " + line);
            Type(dialog, line);
        } else if (m_busy) {
            return;  // the command before it is still running: wait for its dialog
        } else {
            ReplayLog("no scan dialog is open: \"" + line + "\" is skipped");
        }
        ++m_next;
        return;
    }
    const size_t space = line.find(' ');
    const std::string command =
        line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
    const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    // Taken in turn even while a scan dialog is open: answers and files wait for their box, and
    // a pause keeps the dialog open (a pause between two scans).
    const bool queued = command == "answer" || command == "file" || command == "wait";
    if (command == "end-scan") {
        if (dialog) {
            m_dialog.finishAfterTyping();
        }
        ++m_next;
        return;
    }
    if (!queued && dialog) {
        m_dialog.finishAfterTyping();  // a command waits until the scan dialog has closed
        return;
    }
    if (!queued && m_busy) {
        return;
    }
    ++m_next;
    ++m_busy;
    ReplayLog("> " + line);
    // A command may open a scan dialog and run its loop; the timer that steps the file fires
    // again only once its own call has returned, so the command runs from a call of its own.
    QMetaObject::invokeMethod(
        this,
        [this, command, argument, line]() {
            if (!RunCommand(command, argument)) {
                ReplayLog("cannot run \"" + line + "\"");
            }
            --m_busy;
        },
        Qt::QueuedConnection);
}

bool CZARNReplay::RunCommand(const std::string &command, const std::string &argument) {
    if (command == "answer") {
        m_answers.answers.push_back(AnswerOf(argument));
        return true;
    }
    if (command == "file") {
        m_answers.files.push_back(argument);
        return true;
    }
    if (command == "quit") {
        m_next = m_lines.size();
        return true;
    }
    if (command == "wait") {  // the next line after MS milliseconds of the program's own work
        bool number = false;
        const int pause = QString::fromStdString(argument).toInt(&number);
        if (!number || pause < 0) {
            return false;
        }
        m_timer.stop();
        QTimer::singleShot(pause, this, [this]() { m_timer.start(); });
        return true;
    }
    return m_command(command, argument);
}

void CZARNReplay::Type(QWidget *target, const std::string &line) {
    for (const char c : line) {
        const QString text(QChar::fromLatin1(c));
        const int key =
            std::isalnum(static_cast<unsigned char>(c)) ? QChar(c).toUpper().unicode() : 0;
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    }
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
}

void CZARNReplay::Finish() {
    if (m_dialog.current()) {
        m_dialog.finishAfterTyping();
        return;
    }
    if (m_busy || m_finishing) {
        return;
    }
    m_finishing = true;
    m_timer.stop();
    ReplayLog("done");
    m_finished();
}

}  // namespace zarn
