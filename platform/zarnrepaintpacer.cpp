#include "zarnrepaintpacer.h"

#include <QCoreApplication>
#include <QEvent>

namespace zarn {

void RepaintPacer::PaceWindow(QWidget *window, int intervalMs) {
    new RepaintPacer(window, intervalMs);
}

RepaintPacer::RepaintPacer(QWidget *window, int intervalMs)
    : QObject(window), m_window(window), m_intervalMs(intervalMs) {
    m_later.setSingleShot(true);
    // The request held back, made again: Qt keeps the regions to paint until it comes.
    connect(&m_later, &QTimer::timeout, this, [this]() {
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
    });
    window->installEventFilter(this);
}

bool RepaintPacer::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_window || event->type() != QEvent::UpdateRequest) {
        return false;
    }
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < m_intervalMs) {
        if (!m_later.isActive()) {
            m_later.start(static_cast<int>(m_intervalMs - m_sincePaint.elapsed()));
        }
        return true;
    }
    m_later.stop();
    m_sincePaint.restart();
    return false;
}

}  // namespace zarn
