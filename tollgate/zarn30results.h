// Scan result codes and the error-list entry.
#ifndef ZARN_TOLLGATE_ZARN30RESULTS_H
#define ZARN_TOLLGATE_ZARN30RESULTS_H

#include <cstdint>
#include <string>

#include "zarnrecords.h"

enum ZarnScanResult : uint8_t {
    kScanOK = 0,
    kScanNoOperation = 1,
    kScanUndefined = 2,
    kScanNotInList = 3,
    kScanAlreadyScanned = 4,
    kScanSequenceError = 5,
    kScanLocationError = 6,
};

// "Scan OK" ... "Location error"; any other code "Unknown reason".
const char *ScanResultText(unsigned code);

// "customer.media.volume" of an 18-byte key.
std::string KeyDisplayText(const char key[kZarnVolumeKeyWidth]);

class CZARN30BadScanItem {
public:
    CZARN30BadScanItem(const char key[kZarnVolumeKeyWidth], uint16_t sequence, uint8_t code);

    char key[kZarnVolumeKeyWidth];  // customer 4, media 4, volume 10, as scanned
    uint16_t sequence;
    uint8_t result;

    const char *GetResultText() const { return ScanResultText(result); }
    std::string GetDisplayKey() const;
    // The key's three parts, each up to its first NUL.
    std::string GetCustomerId() const;
    std::string GetMediaId() const;
    std::string GetVolumeSerial() const;
};

#endif
