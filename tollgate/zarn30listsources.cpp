#include "zarn30listsources.h"

#include <algorithm>
#include <cctype>

#include "zarn10rc.h"
#include "zarn30update.h"

namespace {

const char *const kActiveTitles[] = {"Customer-ID", "Media-ID", "Volume-ID", "Destination",
                                     "Slot",        "Actual",   "From Slot", "Scanned Out"};
const int kActiveWidths[] = {80, 80, 100, 150, 50, 150, 50, 50};
const char *const kScannedTitles[] = {"Customer-ID", "Media-ID",  "Volume-ID",
                                      "Destination", "To Slot",   "Actual",
                                      "From Slot",   "Container", "Remarks"};
const int kScannedWidths[] = {80, 80, 100, 70, 70, 70, 70, 110, 1};
const char *const kErrorTitles[] = {"Customer-ID", "Media-ID", "Volume-ID", "Sequence", "Error"};
const int kErrorWidths[] = {80, 60, 100, 70, 60};

const char kWaitingRemark[] = "Waiting for the server";

const char *const kWarningTitles[] = {"Volume", "Customer", "Media", "Sequence", "Error"};
const int kWarningWidths[] = {100, 60, 60, 70, 60};
const char *const kExceptionTitles[] = {"Customer", "Media", "Volume", "From", "To"};
const int kExceptionWidths[] = {100, 80, 60, 70, 70};

const int32_t kRed = 0xFF0000;
const int32_t kUpdatedGreen = 0xC8FFC8;  // RGB (200, 255, 200)
const int32_t kSkippedGrey = 0x808080;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool ScannedOut(const CZARN10TreeVolume &volume) {
    return (volume.volumeFlags & kZarnVolScannedOut) != 0;
}

}  // namespace

std::string CZARN30VolumeSource::SharedText(const CZARN10TreeVolume &volume, int column) const {
    switch (column) {
        case 0:
            return volume.GetCustomerId();
        case 1:
            return volume.GetMediaId();
        case 2:
            return volume.volumeSerial;
        case 3:
            return volume.GetLocationText(0);
        case 4:
            return volume.GetZoneSlotText(0);
        case 5:
            return volume.GetLocationText(1);
        case 6:
            return volume.GetZoneSlotText(1);
        default:
            return "";
    }
}

zarn::SortKey CZARN30VolumeSource::Key(int item, int column) const {
    const CZARN10TreeVolume &volume = Volume(item);
    switch (column) {
        case 4:
            return static_cast<int64_t>(volume.location.blocks[0].zoneSlot);
        case 6:
            return static_cast<int64_t>(volume.location.blocks[1].zoneSlot);
        case 7:
            return static_cast<int64_t>(ColumnCount() == 8 && ScannedOut(volume) ? 1 : 0);
        case 8:
            return static_cast<int64_t>(volume.result);
        default:
            return Upper(SharedText(volume, column));
    }
}

bool CZARN30VolumeSource::Passes(const zarn::CZARNListFilters &filters,
                                 const CZARN10TreeVolume &volume, int lastColumn) const {
    for (const auto &[column, filter] : filters.All()) {
        if (column <= lastColumn && !filter.pattern.empty() &&
            !FilterMatches(filter, (column == 7 ? (ScannedOut(volume) ? "Yes" : "No")
                                                : SharedText(volume, column))
                                       .c_str())) {
            return false;
        }
    }
    return true;
}

std::string CZARN30ActiveSource::ColumnTitle(int column) const {
    return kActiveTitles[column];
}

int CZARN30ActiveSource::ColumnWidth(int column) const {
    return kActiveWidths[column];
}

std::string CZARN30ActiveSource::CellText(int item, int column) const {
    const CZARN10TreeVolume &volume = Volume(item);
    return column == 7 ? (ScannedOut(volume) ? "Yes" : "No") : SharedText(volume, column);
}

zarn::CellStyle CZARN30ActiveSource::Style(int item, int) const {
    const CZARN10TreeVolume &volume = Volume(item);
    zarn::CellStyle style;
    if (volume.IsMoveDue(m_doc.settings.dateWarning, nullptr)) {
        style.text = kRed;
    }
    style.strikeOut = ScannedOut(volume);
    style.image = (volume.volumeFlags & kZarnVolContainer) ? kImageContainer : kImageVolume;
    if (volume.state == 2) {
        style.text = kSkippedGrey;
        style.image = kImageSkipped;
    }
    return style;
}

std::vector<int> CZARN30ActiveSource::Rows(const zarn::CZARNListFilters &filters) {
    if (!filters.Any()) {
        return m_doc.FilterToScan([](const CZARN10TreeVolume &) { return true; });
    }
    return m_doc.FilterToScan(
        [&](const CZARN10TreeVolume &volume) { return Passes(filters, volume, 7); });
}

bool CZARN30ActiveSource::Shows(int item, const zarn::CZARNListFilters &filters) {
    return m_doc.ShowsOnToScan(
        static_cast<std::size_t>(item),
        [&](const CZARN10TreeVolume &volume) { return Passes(filters, volume, 7); });
}

std::string CZARN30ScannedSource::ColumnTitle(int column) const {
    return kScannedTitles[column];
}

int CZARN30ScannedSource::ColumnWidth(int column) const {
    return kScannedWidths[column];
}

std::string CZARN30ScannedSource::CellText(int item, int column) const {
    const CZARN10TreeVolume &volume = Volume(item);
    if (column == 7) {
        const auto found = m_doc.containerNames.find(static_cast<unsigned>(volume.container));
        return volume.container > 0 && found != m_doc.containerNames.end() ? found->second
                                                                           : "No Container";
    }
    if (column == 8) {
        // The library's text for every result: a failed update says why; one that waits for
        // the server is written when it answers again.
        return volume.updated || IsSettled(volume.result) ? CZARN10RC(volume.result).Get()
                                                          : kWaitingRemark;
    }
    return SharedText(volume, column);
}

zarn::CellStyle CZARN30ScannedSource::Style(int item, int) const {
    const CZARN10TreeVolume &volume = Volume(item);
    zarn::CellStyle style;
    if (volume.updated) {
        style.background = kUpdatedGreen;
    }
    style.image = volume.result != 0 ? kImageFailed : kImageVolume;
    return style;
}

std::vector<int> CZARN30ScannedSource::Rows(const zarn::CZARNListFilters &filters) {
    std::vector<int> rows;
    for (size_t i = 0; i < m_doc.toScanList.size(); ++i) {
        if (Shows(static_cast<int>(i), filters)) {
            rows.push_back(static_cast<int>(i));
        }
    }
    return rows;
}

bool CZARN30ScannedSource::Shows(int item, const zarn::CZARNListFilters &filters) {
    const CZARN10TreeVolume &volume = Volume(item);
    return volume.state == 1 && Passes(filters, volume, 6);
}

std::string CZARN30ErrorSource::ColumnTitle(int column) const {
    return kErrorTitles[column];
}

int CZARN30ErrorSource::ColumnWidth(int column) const {
    return kErrorWidths[column];
}

std::string CZARN30ErrorSource::CellText(int item, int column) const {
    const CZARN30BadScanItem &entry = m_doc.errorList[item];
    switch (column) {
        case 0:
            return entry.GetCustomerId();
        case 1:
            return entry.GetMediaId();
        case 2:
            return entry.GetVolumeSerial();
        case 3:
            return std::to_string(item);
        default:
            return entry.GetResultText();
    }
}

std::vector<int> CZARN30ErrorSource::Rows(const zarn::CZARNListFilters &filters) {
    return ListSource::Rows(filters);
}

std::string CZARN30WarningSource::ColumnTitle(int column) const {
    return kWarningTitles[column];
}

int CZARN30WarningSource::ColumnWidth(int column) const {
    return kWarningWidths[column];
}

std::string CZARN30WarningSource::CellText(int item, int column) const {
    const CZARN30BadScanItem &entry = m_errors[static_cast<size_t>(item)];
    switch (column) {
        case 0:
            return entry.GetVolumeSerial();
        case 1:
            return entry.GetCustomerId();
        case 2:
            return entry.GetMediaId();
        case 3:
            return std::to_string(entry.sequence);
        default:
            return entry.GetResultText();
    }
}

std::vector<int> CZARN30WarningSource::Rows(const zarn::CZARNListFilters &filters) {
    std::vector<int> rows = ListSource::Rows(filters);
    std::reverse(rows.begin(), rows.end());  // the newest scan at the top
    return rows;
}

std::string CZARN30QueryExceptionSource::ColumnTitle(int column) const {
    return kExceptionTitles[column];
}

int CZARN30QueryExceptionSource::ColumnWidth(int column) const {
    return kExceptionWidths[column];
}

std::string CZARN30QueryExceptionSource::CellText(int item, int column) const {
    return m_entries[static_cast<size_t>(item)].patterns[static_cast<size_t>(column)].pattern;
}
