// The receipt picture loader over arbitrary files: a file is refused or read whole, and what
// it reads draws a picture of the size its header gives.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "zarn30dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    CDib dib;
    if (!dib.LoadBytes(std::string(reinterpret_cast<const char *>(data), size))) {
        if (dib.IsLoaded() || !dib.Image().isNull()) {
            std::abort();
        }
        return 0;
    }
    const QImage image = dib.Image();
    if (image.isNull() || image.width() != dib.Width() || image.height() != dib.Height()) {
        std::abort();
    }
    dib.ScaleToWidth(500);
    if (dib.DrawnSize().width() > 500) {
        std::abort();
    }
    return 0;
}
