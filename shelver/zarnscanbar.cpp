#include "zarnscanbar.h"

#include "zarnfields.h"

namespace {
const char kOptions[] = "Options";
// Zone slots have no levels: a level-slot code would otherwise become a wrapped number.
const char kLevelSlotRefused[] = "A slot with a level is not a zone slot; the slot stays ";

std::string Text(const char (&field)[10]) {
    return zarn::ReadField(field);
}
}  // namespace

CZARNShelverScanBar::CZARNShelverScanBar(zarn::Profile &profile) : m_profile(profile) {
    autoIncrement = profile.GetInt(kOptions, "AutoIncrement", 0);
    presumeNew = profile.GetInt(kOptions, "PresumeNew", 0);
    addSuffix = profile.GetInt(kOptions, "AddSuffix", 0);
    noContainerSlot = profile.GetInt(kOptions, "NoContainerSlot", 0);
    toneAccepted = profile.GetInt(kOptions, "ToneAccepted", 0);
    toneRefused = profile.GetInt(kOptions, "ToneRefused", 1);
}

CZARNShelverScanBar::~CZARNShelverScanBar() {
    m_profile.WriteInt(kOptions, "AutoIncrement", autoIncrement);
    m_profile.WriteInt(kOptions, "PresumeNew", presumeNew);
    m_profile.WriteInt(kOptions, "AddSuffix", addSuffix);
    m_profile.WriteInt(kOptions, "NoContainerSlot", noContainerSlot);
    m_profile.WriteInt(kOptions, "ToneAccepted", toneAccepted);
    m_profile.WriteInt(kOptions, "ToneRefused", toneRefused);
    m_profile.Flush();
}

void CZARNShelverScanBar::Changed() {
    if (onChanged) {
        onChanged();
    }
}

void CZARNShelverScanBar::FillZones(CZARN10MFC &server) {
    zones.SetServer(&server);
    zones.Load(false);
    currentSlot = 0;
    Changed();
}

std::string CZARNShelverScanBar::OnZoneSlot(uint32_t zone, int32_t slot) {
    std::string message = "Failed to set new zone";
    if (zone != 0) {
        if (const ZARNZONEEx *entry = zones.Find(zone)) {
            message = "New zone set to " + Text(entry->spokenText);
            currentZone = zone;
        }
    }
    if (slot < 0) {
        message = kLevelSlotRefused + std::to_string(currentSlot);
    } else if (slot != 0) {
        currentSlot = static_cast<uint32_t>(slot);
        message = "New slot set to " + std::to_string(slot);
    }
    Changed();
    return message;
}

std::vector<std::string> CZARNShelverScanBar::OptionNotes() const {
    if (presumeNew) {
        return {addSuffix ? "all scanned volumes are presumed new; known volumes are added again"
                            " with a suffix"
                          : "all scanned volumes are presumed new; known volumes are refused"};
    }
    if (addSuffix) {
        return {"duplicate volumes are added with a suffix"};
    }
    return {};
}

std::string CZARNShelverScanBar::LocationText() const {
    // A zone's number need not be at most the number of zones: only a number no zone has is
    // an error.
    const ZARNZONEEx *entry = zones.Find(currentZone);
    if (!entry) {
        return "Internal Error";
    }
    return Text(entry->zoneName) + ":" + std::to_string(currentSlot);
}

std::string CZARNShelverScanBar::AfterSlotting() {
    const std::string spoken = std::to_string(currentSlot);
    if (autoIncrement) {
        ++currentSlot;
    }
    Changed();
    return spoken;
}
