// What the Shelver's view decides, without the view: every scanned volume is looked up,
// placed at the current zone and slot (moved when the server knows it, added when not, under
// a suffixed serial when told to), containers become the current container, and a row is
// listed. Messages 1124 (a volume) and 1125 (a zone or slot) come from the scan dialog; the
// answer to 1124 goes back to it.
#ifndef ZARN_SHELVER_ZARNSHELVERVIEW_H
#define ZARN_SHELVER_ZARNSHELVERVIEW_H

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "zarn10mfc.h"
#include "zarnlistsource.h"
#include "zarnmessages.h"
#include "zarnscanbar.h"

constexpr unsigned kMsgShelveVolume = 1124;
constexpr unsigned kMsgShelveZoneSlot = 1125;

// One scanned object: customer, media, volume (as recorded), two unused, location, container;
// and what was said when it was placed.
struct CScanOb {
    std::array<std::string, 7> texts;
    std::string answer;
};

class CZARNShelverView : public zarn::MessageWindow {
public:
    CZARNShelverView(CZARN10MFC &server, CZARNShelverScanBar &bar,
                     std::function<void(const std::string &)> speak);

    intptr_t HandleMessage(const zarn::WindowMessage &message) override;
    // A volume scanned; 1 when it was placed (or every attempt failed), else 0. Everything
    // said for it is kept as its answer.
    int OnVolume(uint8_t dialogResult, const char key[kZarnVolumeKeyWidth]);
    // "&Scan": the scan dialog titled "Scan to Slot Volumes". Options that change what a scan
    // does to known volumes are said once as it opens.
    void Scan();
    // Told after every scan and zone or slot code: what it was (the volume's key, empty for a
    // zone or slot) and everything said for it, so that the window shows it.
    std::function<void(const std::string &scanned, const std::string &answer)> onAnswered;
    // Sounds the tone of an answer's kind before the answer is spoken (the window decides
    // which kinds have one).
    std::function<void(zarn::AnswerKind)> tone;

    const std::vector<CScanOb> &Scanned() const { return m_scanned; }
    int32_t CurrentContainer() const { return m_containerNumber; }
    const std::string &CurrentContainerLabel() const { return m_containerLabel; }
    // Told after rows were appended: the first of them (the others follow it).
    std::function<void(std::size_t first)> onAppended;

private:
    int PlaceVolume(uint8_t dialogResult, const char key[kZarnVolumeKeyWidth]);
    // Keeps text as part of the current scan's answer.
    void Say(const std::string &text);
    // The answer kept so far: its tone, then its texts spoken, shown, and handed to the scan
    // dialog.
    void Answer(const std::string &scanned, zarn::AnswerKind kind);
    int Move(ZARNVOLSEx &record, CScanOb &object);
    int Add(ZARNVOLSEx &record, CScanOb &object, const std::string &serial);
    void Append(CScanOb object);

    CZARN10MFC &m_server;
    CZARNShelverScanBar &m_bar;
    std::function<void(const std::string &)> m_speak;
    std::vector<CScanOb> m_scanned;
    std::vector<std::string> m_said;  // for the scan being answered
    int32_t m_containerNumber = 0;
    std::string m_containerLabel;
};

// The list of scanned objects: Count, Customer, Media, Volume, Location, Container, and the
// answer that was given.
class CZARNShelverListSource : public zarn::ListSource {
public:
    explicit CZARNShelverListSource(const CZARNShelverView &view) : m_view(view) {}
    int ColumnCount() const override { return 7; }
    std::string ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    int ItemCount() const override { return static_cast<int>(m_view.Scanned().size()); }
    std::string CellText(int item, int column) const override;
    zarn::SortKey Key(int item, int column) const override;

private:
    const CZARNShelverView &m_view;
};

#endif
