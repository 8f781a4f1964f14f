// The QR code in the corner of every PDF report page.
#include <qrcodegen/qrcodegen.h>

#include <vector>

#include "reportinternal.h"

namespace zarn::report {

void PdfDrawQrCode(HPDF_Page page, const std::string &text) {
    std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX);
    std::vector<uint8_t> scratch(qrcodegen_BUFFER_LEN_MAX);
    if (!qrcodegen_encodeText(text.c_str(), scratch.data(), code.data(), qrcodegen_Ecc_MEDIUM,
                              qrcodegen_VERSION_MIN, qrcodegen_VERSION_MAX, qrcodegen_Mask_AUTO,
                              true)) {
        return;  // too long for any QR code: the page goes without one
    }
    constexpr float kSquare = 80;
    constexpr float kBorder = 5;
    const float width = HPDF_Page_GetWidth(page);
    const float height = HPDF_Page_GetHeight(page);
    const float left = width - 100;
    const float bottom = height - 90;

    HPDF_Page_SetGrayFill(page, 1);
    HPDF_Page_Rectangle(page, left, bottom, kSquare, kSquare);
    HPDF_Page_Fill(page);

    const int size = qrcodegen_getSize(code.data());
    const float module = (kSquare - 2 * kBorder) / static_cast<float>(size);
    const float top = bottom + kSquare - kBorder;
    HPDF_Page_SetGrayFill(page, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (qrcodegen_getModule(code.data(), x, y)) {
                HPDF_Page_Rectangle(page, left + kBorder + static_cast<float>(x) * module,
                                    top - static_cast<float>(y + 1) * module, module, module);
            }
        }
    }
    HPDF_Page_Fill(page);
}

}  // namespace zarn::report
