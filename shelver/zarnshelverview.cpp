#include "zarnshelverview.h"

#include <cstring>

#include "zarnfields.h"
#include "zarnscanposting.h"
#include "zarnstationlog.h"

namespace {

const char kSuffixes[] = "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const int kSuffixCount = sizeof kSuffixes - 1;  // 35

std::string KeyPart(const char *key, size_t width) {
    return std::string(key, strnlen(key, width));
}

std::string Joined(const std::vector<std::string> &texts) {
    std::string joined;
    for (const std::string &text : texts) {
        joined += (joined.empty() ? "" : "; ") + text;
    }
    return joined;
}

}  // namespace

CZARNShelverView::CZARNShelverView(CZARN10MFC &server, CZARNShelverScanBar &bar,
                                   std::function<void(const std::string &)> speak)
    : m_server(server), m_bar(bar), m_speak(std::move(speak)) {}

intptr_t CZARNShelverView::HandleMessage(const zarn::WindowMessage &message) {
    if (message.id == kMsgShelveVolume) {
        const auto *scanned = std::any_cast<ZARN10BARCODEPARSED>(&message.payload);
        return scanned ? OnVolume(static_cast<uint8_t>(message.wParam), scanned->customerId) : 0;
    }
    if (message.id == kMsgShelveZoneSlot) {
        const int32_t slot = static_cast<int32_t>(message.lParam);
        const std::string said = m_bar.OnZoneSlot(static_cast<uint32_t>(message.wParam), slot);
        const bool refused = slot < 0 || said == "Failed to set new zone";
        m_said = {said};
        Answer("", refused ? zarn::AnswerKind::Refused : zarn::AnswerKind::Note);
        return 1;
    }
    return 0;
}

void CZARNShelverView::Say(const std::string &text) {
    m_said.push_back(text);  // spoken with the whole answer, after its tone
}

void CZARNShelverView::Answer(const std::string &scanned, zarn::AnswerKind kind) {
    if (tone) {
        tone(kind);
    }
    zarn::ScanAnswer answer{scanned, "", kind};
    for (const std::string &text : m_said) {
        m_speak(text);
        answer.text += (answer.text.empty() ? "" : "; ") + text;
    }
    if (onAnswered) {
        onAnswered(scanned, answer.text);
    }
    m_server.ShowScanAnswer(answer);
}

void CZARNShelverView::Scan() {
    // Each volume is answered before the dialog reads the next line, and the answer goes back.
    zarn::SendingScanTarget target(this);
    ZARNSCANVOLUMEARGS args{};
    args.size = sizeof args;
    args.volumeMessage = kMsgShelveVolume;
    args.controlMessage = 0;
    args.zoneSlotMessage = kMsgShelveZoneSlot;
    zarn::SetScanTarget(args, &target);
    for (const std::string &note : m_bar.OptionNotes()) {
        m_speak("Please note: " + note);
    }
    const CZARN10RC opened = m_server.ScanDialog(&args, "Scan to Slot Volumes", this);
    m_server.WasCancelled(1);  // a cancel ends this dialog and nothing else
    if (!opened.IsOK(0)) {
        m_speak(opened.Get());
    }
}

int CZARNShelverView::OnVolume(uint8_t dialogResult, const char key[kZarnVolumeKeyWidth]) {
    m_said.clear();
    const std::size_t listed = m_scanned.size();
    const int answer = PlaceVolume(dialogResult, key);
    const std::string said = Joined(m_said);
    if (m_scanned.size() > listed) {
        m_scanned.back().answer = said;
    }
    if (onAppended && m_scanned.size() > listed) {
        onAppended(listed);
    }
    const std::string serial = KeyPart(key + 8, 10);
    const bool containerOnly = m_said.size() == 1 && m_said.front() == "New container set";
    Answer(serial.empty() ? std::string()
                          : zarn::DisplayKey(KeyPart(key, 4), KeyPart(key + 4, 4), serial),
           m_scanned.size() > listed ? zarn::AnswerKind::Accepted
           : containerOnly           ? zarn::AnswerKind::Note
                                     : zarn::AnswerKind::Refused);
    return answer;
}

int CZARNShelverView::PlaceVolume(uint8_t dialogResult, const char key[kZarnVolumeKeyWidth]) {
    if (dialogResult != kZarnOK) {
        Say(CZARN10RC(dialogResult).Get());
        return 0;
    }
    if (m_bar.currentZone == 0) {
        Say("You must first set a valid zone");
        return 0;
    }
    if (m_bar.currentSlot == 0) {
        Say("You must first set a valid slot");
        return 0;
    }
    ZARNVOLSEx record{};
    std::memcpy(record.customerId, key, kZarnVolumeKeyWidth);
    const std::string customer = KeyPart(key, 4);
    const std::string media = KeyPart(key + 4, 4);
    const std::string serial = KeyPart(key + 8, 10);
    CScanOb object;
    object.texts[0] = customer;
    object.texts[1] = media;
    object.texts[2] = serial;

    const CZARN10RC read = m_server.Get(&record, customer.c_str(), media.c_str(), serial.c_str());
    const bool known = read.IsOK(0);
    if (known) {
        if (record.flags & kZarnVolContainer) {
            Say("New container set");
            m_containerNumber = record.container;
            m_containerLabel = customer + "." + media + "." + serial;
            if (m_bar.noContainerSlot) {
                return 0;
            }
        }
        if (m_bar.presumeNew && !m_bar.addSuffix) {
            Say("Volume is already known");
            return 0;
        }
    } else if (read.Code() != kZarnVolumeNotFound && read.Code() != kZarnVolumeNotHeld) {
        Say(read.Get());
        return 0;
    } else {
        std::memset(reinterpret_cast<char *>(&record) + kZarnVolumeKeyWidth, 0,
                    sizeof record - kZarnVolumeKeyWidth);
        std::memcpy(record.customerId, key, kZarnVolumeKeyWidth);
    }
    object.texts[6] = m_containerLabel;

    // Slot 0 and a zone or slot that does not exist never reach the store: the coordinate is
    // read first and nothing is written without it.
    ZARNCOORD coordinate;
    if (!m_server
             .Get(&coordinate, customer.c_str(), media.c_str(), static_cast<int>(m_bar.currentZone),
                  static_cast<int>(m_bar.currentSlot))
             .IsOK(0)) {
        Say("Illegal Zone and slot");
        return 0;
    }
    for (ZARNLOCATION &entry : record.locations) {
        std::memcpy(entry.repositoryId, coordinate.repositoryId, sizeof entry.repositoryId);
        entry.slot = coordinate.slot;
    }
    object.texts[5] = m_bar.LocationText();
    if (known && !m_bar.presumeNew) {
        return Move(record, object);
    }
    return Add(record, object, serial);
}

namespace {

// Each write as the station's log keeps it: the volume, where it went, or why it did not.
void LogShelving(const CScanOb &object, const char *done, const CZARN10RC &result) {
    const QString volume =
        QString::fromStdString(object.texts[0] + "." + object.texts[1] + "." + object.texts[2]);
    if (result.IsOK(1)) {
        qCInfo(lcShelving).noquote()
            << done << volume << "at" << QString::fromStdString(object.texts[5]);
    } else {
        qCWarning(lcShelving).noquote() << "write refused:" << volume << "-" << result.Get();
    }
}

}  // namespace

int CZARNShelverView::Move(ZARNVOLSEx &record, CScanOb &object) {
    const CZARN10RC moved = m_server.Update(&record);
    LogShelving(object, "shelved", moved);
    if (moved.IsOK(1)) {
        Append(std::move(object));
    } else {
        Say(moved.Get());
    }
    return 1;
}

int CZARNShelverView::Add(ZARNVOLSEx &record, CScanOb &object, const std::string &serial) {
    // The first attempt takes the serial as scanned, then each suffix of the alphabet in turn:
    // -1 ... -9, -A ... -Z.
    for (int attempt = 0; attempt <= kSuffixCount; ++attempt) {
        const CZARN10RC added = m_server.Add(&record);
        if (added.IsOK(0) || !m_bar.addSuffix || attempt == kSuffixCount) {
            LogShelving(object, "added", added);
        }
        if (added.IsOK(0)) {
            if (m_containerNumber != 0) {
                const std::string recorded = zarn::ReadField(record.volume);
                ZARNVOLSEx stored{};
                const CZARN10RC back = m_server.Get(&stored, object.texts[0].c_str(),
                                                    object.texts[1].c_str(), recorded.c_str());
                if (!back.IsOK(0)) {
                    Say(back.Get());
                    return 0;
                }
                if (!(stored.flags & kZarnVolContainer)) {
                    stored.container = m_containerNumber;
                }
                if (const CZARN10RC updated = m_server.Update(&stored); !updated.IsOK(1)) {
                    Say(updated.Get());
                    return 0;
                }
            }
            Append(std::move(object));
            return 1;
        }
        if (!m_bar.addSuffix) {
            Say(added.Get());
            return 0;
        }
        if (attempt == kSuffixCount) {
            break;
        }
        const std::string suffixed = serial + "-" + kSuffixes[attempt];
        if (suffixed.size() > kZarnVolumeWidth) {
            Say("Volume length overflow");
            return 0;
        }
        zarn::WriteField(record.volume, suffixed);
        object.texts[2] = suffixed;
    }
    Say("All Updates failed");
    return 1;
}

void CZARNShelverView::Append(CScanOb object) {
    m_scanned.push_back(std::move(object));
    Say(m_bar.AfterSlotting());
}

std::string CZARNShelverListSource::ColumnTitle(int column) const {
    static const char *const titles[] = {"Count",    "Customer",  "Media", "Volume",
                                         "Location", "Container", "Answer"};
    return titles[column];
}

int CZARNShelverListSource::ColumnWidth(int column) const {
    static const int widths[] = {50, 70, 50, 80, 120, 80, 160};
    return widths[column];
}

std::string CZARNShelverListSource::CellText(int item, int column) const {
    const CScanOb &object = m_view.Scanned()[static_cast<size_t>(item)];
    switch (column) {
        case 0:
            return std::to_string(item + 1);
        case 1:
            return object.texts[0];
        case 2:
            return object.texts[1];
        case 3:
            return object.texts[2];
        case 4:
            return object.texts[5];
        case 5:
            return object.texts[6];
        default:
            return object.answer;
    }
}

zarn::SortKey CZARNShelverListSource::Key(int item, int column) const {
    return column == 0 ? zarn::SortKey(static_cast<int64_t>(item)) : CellText(item, column);
}
