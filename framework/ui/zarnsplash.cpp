#include "zarnsplash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QScreen>

namespace zarn {
namespace {

const char *const kNotice[] = {
    "Copyright (c) Kestrava. All rights reserved.",
    "Tape media management for the operators of the service.",
};

}  // namespace

CZARNSplash::CZARNSplash(QWidget *owner, MessageWindow *mainWindow, const QString &bitmap,
                         int *showing, const std::string &programName, const std::string &buildDate,
                         const std::string &buildTime)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_mainWindow(mainWindow),
      m_owner(owner),
      m_bitmap(bitmap),
      m_showing(showing),
      m_programName(QString::fromStdString(programName)),
      m_compiled(QString("Compiled %1 @ %2")
                     .arg(QString::fromStdString(buildDate), QString::fromStdString(buildTime))) {
    setObjectName("CZARNSplash");
    setAttribute(Qt::WA_DeleteOnClose);
    if (m_showing) {
        *m_showing = 1;
    }
    m_title.setPixelSize(14);
    m_text.setPixelSize(14);
    m_small.setPixelSize(12);
    setFixedSize(kWidth, kHeight);
    const QRect around = owner && owner->isVisible() ? owner->geometry()
                         : QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, kWidth, kHeight);
    move(around.center() - QPoint(kWidth / 2, kHeight / 2));
    // Every key and mouse button of the program reaches the splash first while it shows.
    qApp->installEventFilter(this);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
    m_timer.start(kSplashMilliseconds);
    show();
    repaint();
}

CZARNSplash::~CZARNSplash() {
    Finish();
}

void CZARNSplash::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect client = rect();
    painter.fillRect(client, Qt::black);
    const QRect inside = client.adjusted(1, 1, -1, -1);
    if (!m_bitmap.isNull()) {
        painter.drawPixmap(inside, m_bitmap);
    } else {
        painter.fillRect(inside, QColor(34, 68, 102));
    }
    painter.fillRect(QRect(0, 0, kWidth, 20), Qt::black);
    painter.setPen(Qt::white);
    painter.setFont(m_title);
    painter.drawText(QRect(10, 4, kWidth - 20, 16), Qt::AlignLeft | Qt::AlignTop,
                     "Kestrava Media Management Framework");

    const QRect box(5, client.height() - 80, client.width() - 10, 75);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::black);
    painter.drawRoundedRect(box, 10, 10);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int left = box.left() + 10;
    painter.setFont(m_title);
    painter.drawText(QRect(left, box.top() + 5, box.width() - 20, 16), Qt::AlignLeft,
                     m_programName);
    painter.setFont(m_text);
    painter.drawText(QRect(left, box.top() + 20, box.width() - 20, 16), Qt::AlignLeft, m_compiled);
    painter.drawLine(left, box.top() + 35, 395, box.top() + 35);
    painter.setFont(m_small);
    int y = box.top() + 38;
    for (const char *line : kNotice) {
        painter.drawText(QRect(left, y, box.width() - 20, 14), Qt::AlignLeft, line);
        y += 14;
    }
}

bool CZARNSplash::eventFilter(QObject *, QEvent *event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            close();
            return true;  // the press ends the splash and goes no further
        default:
            return false;
    }
}

void CZARNSplash::closeEvent(QCloseEvent *event) {
    Finish();
    event->accept();
}

void CZARNSplash::Finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_timer.stop();
    qApp->removeEventFilter(this);
    if (m_showing) {
        *m_showing = 0;
    }
    if (m_mainWindow) {
        SendWindowMessage(m_mainWindow, {kMsgSplashClosed, 0, 0, {}});
    }
    if (m_owner) {
        m_owner->update();
    }
}

}  // namespace zarn
