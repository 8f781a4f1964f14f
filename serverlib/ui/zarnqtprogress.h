// The progress window of long passes: two lines, a bar and Cancel. While it shows, it is the
// only window that takes input; it repaints at most every 50 ms, so a pass of 100,000 steps
// spends almost nothing on it.
#ifndef ZARN_SERVERLIB_UI_ZARNQTPROGRESS_H
#define ZARN_SERVERLIB_UI_ZARNQTPROGRESS_H

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>

#include "zarnpresenters.h"

namespace zarn {

class QtProgressWindow : public QDialog, public ProgressPresenter {
public:
    explicit QtProgressWindow(QWidget *parent = nullptr);
    void Start(const std::string &title) override;
    void SetLine(int line, const std::string &text) override;
    void SetPosition(unsigned done, unsigned total) override;
    bool CancelRequested() override;
    void Stop() override;
    bool WantsUpdate() override;

    static constexpr int kRepaintMilliseconds = 50;

private:
    void ShowNow();
    QLabel *m_lines[2];
    QProgressBar *m_bar;
    QElapsedTimer m_sinceShown;
    bool m_cancelled = false;
};

}  // namespace zarn

#endif
