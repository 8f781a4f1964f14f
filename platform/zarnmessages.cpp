#include "zarnmessages.h"

#include <QCoreApplication>
#include <QEvent>

namespace zarn {
namespace {

const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WindowMessageEvent : public QEvent {
public:
    explicit WindowMessageEvent(WindowMessage message)
        : QEvent(kWindowMessageEvent), m_message(std::move(message)) {}
    const WindowMessage &Message() const { return m_message; }

private:
    WindowMessage m_message;
};

}  // namespace

bool MessageWindow::event(QEvent *event) {
    if (event->type() == kWindowMessageEvent) {
        HandleMessage(static_cast<WindowMessageEvent *>(event)->Message());
        return true;
    }
    return QObject::event(event);
}

void PostWindowMessage(MessageWindow *window, WindowMessage message) {
    QCoreApplication::postEvent(window, new WindowMessageEvent(std::move(message)));
}

intptr_t SendWindowMessage(MessageWindow *window, const WindowMessage &message) {
    return window->HandleMessage(message);
}

}  // namespace zarn
