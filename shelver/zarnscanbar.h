// What the Shelver's scan bar holds and decides: the current zone and slot, the four
// processing options (kept in the profile's "Options"), the zone list, the zone and slot bar
// codes, the location text and the step after each volume placed. The bar's window shows it.
#ifndef ZARN_SHELVER_ZARNSCANBAR_H
#define ZARN_SHELVER_ZARNSCANBAR_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zarnprofile.h"
#include "zarnzonelist.h"

class CZARNShelverScanBar {
public:
    // Reads the four options.
    explicit CZARNShelverScanBar(zarn::Profile &profile);
    // Writes them back.
    ~CZARNShelverScanBar();
    CZARNShelverScanBar(const CZARNShelverScanBar &) = delete;
    CZARNShelverScanBar &operator=(const CZARNShelverScanBar &) = delete;

    uint32_t currentZone = 0;
    uint32_t currentSlot = 0;
    int addSuffix = 0;
    int autoIncrement = 0;
    int presumeNew = 0;
    int noContainerSlot = 0;
    // Tones before answers (profile only): accepted ones, off by default; refused ones, on.
    int toneAccepted = 0;
    int toneRefused = 1;
    CZARNZoneList zones;

    // Loads the zones (once) for the bar's list; the slot goes back to 0 and no zone is chosen.
    void FillZones(CZARN10MFC &server);
    // The operator chose a zone from the list.
    void ChooseZone(uint32_t zone) { currentZone = zone; }
    // Message 1125 from the scan dialog; returns what is spoken. A slot code with a level
    // ("S:3/12", a negative slot) names no slot of a zone: it is refused and the slot stays.
    std::string OnZoneSlot(uint32_t zone, int32_t slot);
    // What the ticked options do to known volumes, for the operator to be told: none when
    // neither "Presume all scanned volumes are new" nor "Add incremental suffix to duplicate
    // volumes" is ticked.
    std::vector<std::string> OptionNotes() const;
    // "ZONE:slot" of the current zone and slot; "Internal Error" when no zone has the number.
    std::string LocationText() const;
    // After a volume was placed: the slot to speak; the slot steps on when told to.
    std::string AfterSlotting();

    // Told whenever the members change, so that the window shows them.
    std::function<void()> onChanged;

private:
    void Changed();
    zarn::Profile &m_profile;
};

#endif
