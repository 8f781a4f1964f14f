// A window painted at most once a frame, as Windows paints a window only once its other
// messages are handled: a burst of scans (a scanner reads many a second) changes the lists and
// the answer at once, and the window is painted once for all of them within the frame, not once
// per scan. Pictures of the window (grab) are not held back.
#ifndef ZARN_PLATFORM_ZARNREPAINTPACER_H
#define ZARN_PLATFORM_ZARNREPAINTPACER_H

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace zarn {

class RepaintPacer : public QObject {
public:
    static constexpr int kFrameMs = 16;  // one frame at 60 Hz: the answers
    static constexpr int kListsMs = 50;  // the lists behind the scan dialog: 20 times a second

    // Paces the paints of a top-level window; owned by it.
    static void PaceWindow(QWidget *window, int intervalMs = kFrameMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    RepaintPacer(QWidget *window, int intervalMs);
    QWidget *m_window;
    int m_intervalMs;
    QElapsedTimer m_sincePaint;
    QTimer m_later;
};

}  // namespace zarn

#endif
