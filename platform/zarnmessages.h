// Window messages: a number with wParam and lParam, posted (queued, dispatched later by the
// event loop, in order) or sent (handled at once) to a window object. A payload, such as a
// scanned record, travels by value inside the message.
#ifndef ZARN_PLATFORM_ZARNMESSAGES_H
#define ZARN_PLATFORM_ZARNMESSAGES_H

#include <QObject>

#include <any>
#include <cstdint>

namespace zarn {

struct WindowMessage {
    unsigned id = 0;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
    std::any payload;
};

// A window object: what it does with a message is its handler's business.
class MessageWindow : public QObject {
public:
    explicit MessageWindow(QObject *parent = nullptr) : QObject(parent) {}
    virtual intptr_t HandleMessage(const WindowMessage &message) = 0;

protected:
    bool event(QEvent *event) override;
};

// Queues the message for the window; returns at once.
void PostWindowMessage(MessageWindow *window, WindowMessage message);
// Hands the message to the window's handler now and returns its answer.
intptr_t SendWindowMessage(MessageWindow *window, const WindowMessage &message);

}  // namespace zarn

#endif
