// The splash window: 400 x 297, closed by its 8 s timer or by any key or mouse button pressed
// anywhere in the program; when it goes it tells the main window with message 1524, once.
#ifndef ZARN_FRAMEWORK_UI_ZARNSPLASH_H
#define ZARN_FRAMEWORK_UI_ZARNSPLASH_H

#include <QFont>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <string>

#include "zarnmessages.h"

namespace zarn {

constexpr unsigned kMsgSplashClosed = 1524;
constexpr int kSplashMilliseconds = 8000;

class CZARNSplash : public QWidget {
public:
    // showing is set to 1 now and back to 0 when the splash goes; mainWindow receives 1524.
    CZARNSplash(QWidget *owner, MessageWindow *mainWindow, const QString &bitmap, int *showing,
                const std::string &programName, const std::string &buildDate,
                const std::string &buildTime);
    ~CZARNSplash() override;

    static constexpr int kWidth = 400;
    static constexpr int kHeight = 297;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Finish();

    MessageWindow *m_mainWindow;
    QWidget *m_owner;
    QPixmap m_bitmap;
    int *m_showing;
    QString m_programName;
    QString m_compiled;
    QFont m_title{"Times New Roman", 14, QFont::Bold};
    QFont m_text{"Times New Roman", 14, QFont::Normal};
    QFont m_small{"Times New Roman", 12, QFont::Normal};
    QTimer m_timer;
    bool m_finished = false;
};

}  // namespace zarn

#endif
