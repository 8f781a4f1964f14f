#include "zarnscanposting.h"

namespace zarn {

void PostingScanTarget::PostVolume(unsigned message, uint8_t result, ZARN10BARCODEPARSED scanned) {
    PostWindowMessage(m_window, {message, result, 0, scanned});
}

void PostingScanTarget::PostValues(unsigned message, intptr_t wParam, intptr_t lParam) {
    PostWindowMessage(m_window, {message, wParam, lParam, {}});
}

}  // namespace zarn
