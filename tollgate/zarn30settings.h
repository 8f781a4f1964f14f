// The Tollgate's working settings, kept in the per-user profile: read when the document is
// made, written back when it goes.
#ifndef ZARN_TOLLGATE_ZARN30SETTINGS_H
#define ZARN_TOLLGATE_ZARN30SETTINGS_H

#include <string>

#include "zarnprofile.h"

// The block the options dialog edits in place, in its stored order.
struct CZARN30SettingsBlock {
    std::string pickText = "$PSLOT";
    std::string queryText = "$QZONE slot $QSLOT";
    std::string receiptFooter;
    std::string receiptHeader;
    int sortCustomer = 0;
    int realTimeUpdate = 1;
    int notInListDisabled = 0;
    int alreadyScannedDisabled = 0;
    // A tone before the answer: accepted scans (off unless asked), refused ones (on).
    int toneAccepted = 0;
    int toneRefused = 1;
};

struct CZARN30Settings {
    int scanMode = 1;     // 0 volume, 1 zone and volume, 2 zone, slot and volume; kept as read
    int dateWarning = 0;  // days; 0 = never
    int hideNoMove = 0;
    int operationType = 1;  // 0 Pick, 1 Query
    int noSort = 0;
    int noSequence = 0;
    CZARN30SettingsBlock block;

    void Read(const zarn::Profile &profile);
    void Write(zarn::Profile &profile) const;
};

#endif
