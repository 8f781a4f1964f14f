#include "zarn30settings.h"

namespace {

const char kSettings[] = "Settings";
const char kOptions[] = "Options";

// Flags are stored as 0 or 1; any nonzero value read counts as set.
int Flag(const zarn::Profile &profile, const char *key, int fallback) {
    return profile.GetInt(kOptions, key, fallback) != 0 ? 1 : 0;
}

}  // namespace

void CZARN30Settings::Read(const zarn::Profile &profile) {
    scanMode = profile.GetInt(kSettings, "ScanMode", 1);
    dateWarning = profile.GetInt(kOptions, "DateWarning", 0);
    hideNoMove = Flag(profile, "HideNoMove", 0);
    operationType = profile.GetInt(kOptions, "OpType", 1);
    noSort = Flag(profile, "NoSort", 0);
    noSequence = Flag(profile, "NoSequence", 0);
    block.pickText = profile.GetString(kOptions, "PickText", "$PSLOT");
    block.queryText = profile.GetString(kOptions, "QueryText", "$QZONE slot $QSLOT");
    block.receiptHeader = profile.GetString(kOptions, "ReceiptHeader", "");
    block.receiptFooter = profile.GetString(kOptions, "ReceiptFooter", "");
    block.sortCustomer = Flag(profile, "SortCustomer", 0);
    block.realTimeUpdate = Flag(profile, "RealTimeUpdate", 1);
    block.notInListDisabled = Flag(profile, "NotInListDisabled", 0);
    block.alreadyScannedDisabled = Flag(profile, "AlreadyScannedDisabled", 0);
    block.toneAccepted = Flag(profile, "ToneAccepted", 0);
    block.toneRefused = Flag(profile, "ToneRefused", 1);
}

void CZARN30Settings::Write(zarn::Profile &profile) const {
    profile.WriteInt(kSettings, "ScanMode", scanMode);
    profile.WriteInt(kOptions, "DateWarning", dateWarning);
    profile.WriteInt(kOptions, "HideNoMove", hideNoMove);
    profile.WriteInt(kOptions, "OpType", operationType);
    profile.WriteInt(kOptions, "NoSort", noSort);
    profile.WriteInt(kOptions, "NoSequence", noSequence);
    profile.WriteString(kOptions, "PickText", block.pickText);
    profile.WriteString(kOptions, "QueryText", block.queryText);
    profile.WriteString(kOptions, "ReceiptHeader", block.receiptHeader);
    profile.WriteString(kOptions, "ReceiptFooter", block.receiptFooter);
    profile.WriteInt(kOptions, "SortCustomer", block.sortCustomer);
    profile.WriteInt(kOptions, "RealTimeUpdate", block.realTimeUpdate);
    profile.WriteInt(kOptions, "NotInListDisabled", block.notInListDisabled);
    profile.WriteInt(kOptions, "AlreadyScannedDisabled", block.alreadyScannedDisabled);
    profile.WriteInt(kOptions, "ToneAccepted", block.toneAccepted);
    profile.WriteInt(kOptions, "ToneRefused", block.toneRefused);
    profile.Flush();
}
