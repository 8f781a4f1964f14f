// The result of every server operation: a one-byte code, 0 = success.
#ifndef ZARN_SERVERAPI_ZARN10RC_H
#define ZARN_SERVERAPI_ZARN10RC_H

#include <cstdint>

enum ZarnResultCode : uint8_t {
    kZarnOK = 0,
    kZarnNoChange = 1,  // success, but nothing needed writing
    kZarnNotLoggedOn = 2,
    kZarnServerUnavailable = 3,
    kZarnVolumeNotFound = 4,  // the store holds no volume with this serial
    kZarnCustomerNotFound = 5,
    kZarnMediaNotFound = 6,
    kZarnRepositoryNotFound = 7,
    kZarnZoneNotFound = 8,
    kZarnSlotOutsideZone = 9,
    kZarnVolumeNotHeld = 10,  // the serial is held, but for another customer or media
    kZarnVolumeExists = 11,
    kZarnChangedElsewhere = 12,  // the record changed since it was read
    kZarnBadBarCode = 13,
    kZarnInvalidArgument = 14,
    kZarnDatabaseError = 15,
    kZarnDatabaseBusy = 16,
    kZarnCancelled = 17,
    kZarnJournalCodeNotFound = 18,
    kZarnAttributeNotFound = 19,
    kZarnSchemaTooNew = 20,
    kZarnPermissionDenied = 21,
    kZarnVolumeAmbiguous = 22,  // a bare serial held for several customers or media
    kZarnLogonRefused = 23,     // the server refused the user name or password
};

class CZARN10RC {
public:
    CZARN10RC() = default;
    CZARN10RC(uint8_t code) : m_code(code) {}  // NOLINT: built from a code, as callers expect

    uint8_t Code() const { return m_code; }

    // Nonzero on success. With acceptNoChange 1, "nothing needed writing" counts as success too.
    int IsOK(int acceptNoChange) const;

    // The code's text, for the operator.
    const char *Get() const;

private:
    uint8_t m_code = kZarnOK;
};

#endif
