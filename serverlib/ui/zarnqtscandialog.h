// The scan dialog: a keyboard-wedge scanner types each bar code followed by Enter. Every line
// is kept in order, also those typed while the program is still answering the previous one;
// Enter ends a line and never presses a button.
#ifndef ZARN_SERVERLIB_UI_ZARNQTSCANDIALOG_H
#define ZARN_SERVERLIB_UI_ZARNQTSCANDIALOG_H

#include <QDialog>
#include <QEventLoop>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "zarnrepaintpacer.h"
#include "zarnscantarget.h"

namespace zarn {

class QtScanDialog : public QDialog, public ScanDialogPresenter {
public:
    explicit QtScanDialog(QWidget *parent = nullptr);
    ~QtScanDialog() override;

    void Open(const std::string &title) override;
    bool NextLine(std::string &line) override;
    void ShowStatus(const std::string &text) override;
    // Large, with an icon and a word for its kind as well as a colour, until the next answer;
    // the last ten are listed under it. Assistive technology is told of each as an alert.
    void ShowAnswer(const ScanAnswer &answer) override;
    void Close() override;
    bool Cancelled() const override { return m_cancelled; }

    // The dialog that is open now, if any (for replaying scanner input).
    static QtScanDialog *Current();
    // Ends the dialog as its Close button does.
    void Finish(bool cancelled);
    // The same, once the keys already posted to the dialog have been taken.
    void FinishAfterTyping();
    const QString &Typing() const { return m_typing; }
    // Told of each answer raised as an alert for assistive technology, with its text.
    std::function<void(const std::string &)> onAlert;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    // Longer than any code a grammar can have (markers are at most 32 characters).
    static constexpr qsizetype kLongestScannerLine = 256;
    static constexpr int kHistoryLength = 10;
    bool TakeKey(QKeyEvent *event);
    void ShowTyping();
    QLabel *m_status;
    QLabel *m_typingLabel;
    QLabel *m_verdictIcon;
    QLabel *m_verdict;
    QListWidget *m_history;
    // Each kind of answer's icon and look, made once: a scan costs no picture decoded and no
    // style sheet parsed unless the kind of answer changes.
    std::map<AnswerKind, QIcon> m_icons;
    std::map<AnswerKind, QPixmap> m_largeIcons;
    std::optional<AnswerKind> m_shownKind;
    QPushButton *m_close;
    QPushButton *m_cancel;
    QString m_typing;
    std::deque<std::string> m_lines;
    QEventLoop *m_waiting = nullptr;
    bool m_finished = false;
    bool m_cancelled = false;
};

}  // namespace zarn

#endif
