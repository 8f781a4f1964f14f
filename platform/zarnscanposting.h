// Connects the server library's scan dialog to a window: each scan becomes a posted window
// message whose payload is the scanned record.
#ifndef ZARN_PLATFORM_ZARNSCANPOSTING_H
#define ZARN_PLATFORM_ZARNSCANPOSTING_H

#include "zarnmessages.h"
#include "zarnscantarget.h"

namespace zarn {

class PostingScanTarget : public ScanMessageTarget {
public:
    explicit PostingScanTarget(MessageWindow *window) : m_window(window) {}
    // wParam = the dialog's result code, payload = the ZARN10BARCODEPARSED.
    intptr_t PostVolume(unsigned message, uint8_t result, ZARN10BARCODEPARSED scanned) override;
    void PostValues(unsigned message, intptr_t wParam, intptr_t lParam) override;

private:
    MessageWindow *m_window;
};

// The same, but each message is handled at once and its answer goes back to the dialog.
class SendingScanTarget : public ScanMessageTarget {
public:
    explicit SendingScanTarget(MessageWindow *window) : m_window(window) {}
    intptr_t PostVolume(unsigned message, uint8_t result, ZARN10BARCODEPARSED scanned) override;
    void PostValues(unsigned message, intptr_t wParam, intptr_t lParam) override;

private:
    MessageWindow *m_window;
};

}  // namespace zarn

#endif
