// What the Shelver's view decides, without the view: every scanned volume is looked up,
// placed at the current zone and slot (moved when the server knows it, added when not, under
// a suffixed serial when told to), containers become the current container, and a row is
// listed. Messages 1124 (a volume) and 1125 (a zone or slot) come from the scan dialog; the
// answer to 1124 goes back to it.
#ifndef ZARN_SHELVER_ZARNSHELVERSCANNING_H
#define ZARN_SHELVER_ZARNSHELVERSCANNING_H

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "zarn10mfc.h"
#include "zarnlistsource.h"
#include "zarnmessages.h"
#include "zarnscanbar.h"

constexpr unsigned kMsgShelveVolume = 1124;
constexpr unsigned kMsgShelveZoneSlot = 1125;

// One scanned object: customer, media, volume (as recorded), two unused, location, container.
struct CScanOb {
    std::array<std::string, 7> texts;
};

class CZARNShelverScanning : public zarn::MessageWindow {
public:
    CZARNShelverScanning(CZARN10MFC &server, CZARNShelverScanBar &bar,
                         std::function<void(const std::string &)> speak);

    intptr_t HandleMessage(const zarn::WindowMessage &message) override;
    // A volume scanned; 1 when it was placed (or every attempt failed), else 0.
    int OnVolume(uint8_t dialogResult, const char key[kZarnVolumeKeyWidth]);
    // "&Scan": the scan dialog titled "Scan to Slot Volumes".
    void Scan();

    const std::vector<CScanOb> &Scanned() const { return m_scanned; }
    int32_t CurrentContainer() const { return m_containerNumber; }
    const std::string &CurrentContainerLabel() const { return m_containerLabel; }
    // Told after each row appended.
    std::function<void()> onAppended;

private:
    int Move(ZARNVOLSEx &record, CScanOb &object);
    int Add(ZARNVOLSEx &record, CScanOb &object, const std::string &serial);
    void Append(CScanOb object);

    CZARN10MFC &m_server;
    CZARNShelverScanBar &m_bar;
    std::function<void(const std::string &)> m_speak;
    std::vector<CScanOb> m_scanned;
    int32_t m_containerNumber = 0;
    std::string m_containerLabel;
};

// The list of scanned objects: Count, Customer, Media, Volume, Location, Container.
class CZARNShelverListSource : public zarn::ListSource {
public:
    explicit CZARNShelverListSource(const CZARNShelverScanning &scanning) : m_scanning(scanning) {}
    int ColumnCount() const override { return 6; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    int ItemCount() const override { return static_cast<int>(m_scanning.Scanned().size()); }
    std::string CellText(int item, int column) const override;
    zarn::SortKey Key(int item, int column) const override;

private:
    const CZARNShelverScanning &m_scanning;
};

#endif
