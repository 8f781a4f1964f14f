#include "zarnscanposting.h"

namespace zarn {

intptr_t PostingScanTarget::PostVolume(unsigned message, uint8_t result,
                                       ZARN10BARCODEPARSED scanned) {
    PostWindowMessage(m_window, {message, result, 0, scanned});
    return -1;
}

void PostingScanTarget::PostValues(unsigned message, intptr_t wParam, intptr_t lParam) {
    PostWindowMessage(m_window, {message, wParam, lParam, {}});
}

intptr_t SendingScanTarget::PostVolume(unsigned message, uint8_t result,
                                       ZARN10BARCODEPARSED scanned) {
    return SendWindowMessage(m_window, {message, result, 0, scanned});
}

void SendingScanTarget::PostValues(unsigned message, intptr_t wParam, intptr_t lParam) {
    SendWindowMessage(m_window, {message, wParam, lParam, {}});
}

}  // namespace zarn
