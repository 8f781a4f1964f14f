#include "zarn30results.h"

#include <cstring>

#include "zarnfields.h"

const char *ScanResultText(unsigned code) {
    static const char *const texts[] = {"Scan OK",
                                        "No Operation",
                                        "Volume is undefined",
                                        "Volume is not in list",
                                        "Volume already scanned",
                                        "Sequence error",
                                        "Location error"};
    return code < sizeof texts / sizeof texts[0] ? texts[code] : "Unknown reason";
}

CZARN30BadScanItem::CZARN30BadScanItem(const char scannedKey[kZarnVolumeKeyWidth],
                                       uint16_t scanSequence, uint8_t code)
    : sequence(scanSequence), result(code) {
    std::memcpy(key, scannedKey, sizeof key);
}

std::string KeyDisplayText(const char key[kZarnVolumeKeyWidth]) {
    char customer[4], media[4], volume[10];
    std::memcpy(customer, key, 4);
    std::memcpy(media, key + 4, 4);
    std::memcpy(volume, key + 8, 10);
    return zarn::DisplayKey(zarn::ReadField(customer), zarn::ReadField(media),
                            zarn::ReadField(volume));
}

std::string CZARN30BadScanItem::GetDisplayKey() const {
    return KeyDisplayText(key);
}

std::string CZARN30BadScanItem::GetCustomerId() const {
    return std::string(key, strnlen(key, 4));
}

std::string CZARN30BadScanItem::GetMediaId() const {
    return std::string(key + 4, strnlen(key + 4, 4));
}

std::string CZARN30BadScanItem::GetVolumeSerial() const {
    return std::string(key + 8, strnlen(key + 8, 10));
}
