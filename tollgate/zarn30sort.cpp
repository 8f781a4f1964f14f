// SortToScan: the To-Scan list by key, or in pick order.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "zarn30doc.h"
#include "zarn30journal.h"
#include "zarnfields.h"

namespace {

// A slot as an ordered pair: plain slots are level 0; a negative slot holds a level in the
// upper 16 bits of its magnitude and the slot in the lower 16.
std::pair<uint32_t, uint32_t> SlotOrder(int slot) {
    if (slot >= 0) {
        return {0, static_cast<uint32_t>(slot)};
    }
    const uint32_t magnitude = 0u - static_cast<uint32_t>(slot);
    return {magnitude >> 16, magnitude & 0xFFFFu};
}

// The keys of one item, taken once so that the sort compares plain values.
struct SortKey {
    std::string customer, media, destination, origin, serial, zone;
    std::pair<uint32_t, uint32_t> pickSlot, originSlot;
    bool fetched = false;
    std::size_t index = 0;
};

SortKey KeyOf(const CZARN10TreeVolume &item, std::size_t index) {
    SortKey key;
    key.customer = item.GetCustomerId();
    key.media = item.GetMediaId();
    key.destination = item.GetRepositoryId(0);
    key.origin = item.GetRepositoryId(1);
    key.serial = item.volumeSerial;
    key.fetched = item.locationFetched != 0;
    key.zone = zarn::ReadField(item.location.blocks[1].zoneName);
    key.pickSlot = SlotOrder(item.location.blocks[1].zoneSlot);
    key.originSlot = SlotOrder(item.GetSlot(1));
    key.index = index;
    return key;
}

bool ByKey(const SortKey &a, const SortKey &b) {
    return std::tie(a.customer, a.media, a.destination, a.origin, a.serial) <
           std::tie(b.customer, b.media, b.destination, b.origin, b.serial);
}

// Items with their location fetched go by zone and slot (customer first when asked); the
// others by customer, media, origin and slot. A fetched item comes before one not fetched,
// so that the order is consistent whatever the mix.
bool InPickOrder(const SortKey &a, const SortKey &b, bool customerFirst) {
    if (a.fetched != b.fetched) {
        return a.fetched;
    }
    if (a.fetched) {
        if (customerFirst && a.customer != b.customer) {
            return a.customer < b.customer;
        }
        return std::tie(a.zone, a.pickSlot) < std::tie(b.zone, b.pickSlot);
    }
    return std::tie(a.customer, a.media, a.origin, a.originSlot) <
           std::tie(b.customer, b.media, b.origin, b.originSlot);
}

}  // namespace

void CZARN30Doc::SortToScan(int mode) {
    std::vector<SortKey> keys;
    keys.reserve(toScanList.size());
    for (std::size_t i = 0; i < toScanList.size(); ++i) {
        keys.push_back(KeyOf(*toScanList[i], i));
    }
    if (mode == 0 || settings.noSort) {
        std::stable_sort(keys.begin(), keys.end(), ByKey);
    } else {
        const bool customerFirst = settings.block.sortCustomer != 0;
        std::stable_sort(keys.begin(), keys.end(),
                         [customerFirst](const SortKey &a, const SortKey &b) {
                             return InPickOrder(a, b, customerFirst);
                         });
    }
    std::vector<CZARN10TreeVolume *> sorted;
    sorted.reserve(keys.size());
    for (const SortKey &key : keys) {
        sorted.push_back(toScanList[key.index]);
    }
    toScanList.swap(sorted);
    NumberFrom(0);
    if (journal) {
        journal->ForgetListed(nullptr);  // kept in the order shown
        JournalListedFrom(0);
    }
    m_firstUnscannedFrom = 0;
    ++m_listOrder;
    UpdateAllViews(nullptr, zarn::kHintListsChanged);
}
