// Finding volumes by serial among many, without a hash table of a million strings: the items
// are kept sorted by serial, and a look-up that follows the last one (as it does when a tree
// node's volumes, themselves in serial order, are matched to a range read) costs one comparison.
#ifndef ZARN_SERVERAPI_ZARNSERIALINDEX_H
#define ZARN_SERVERAPI_ZARNSERIALINDEX_H

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

namespace zarn {

template <typename Item>
class SerialIndex {
public:
    // items are not copied: they must outlive the index. serialOf gives an item's serial.
    template <typename Items, typename SerialOf>
    SerialIndex(Items &items, SerialOf serialOf) {
        m_entries.reserve(items.size());
        for (Item &item : items) {
            m_entries.push_back({serialOf(item), &item});
        }
        const auto bySerial = [](const Entry &a, const Entry &b) { return a.serial < b.serial; };
        if (!std::is_sorted(m_entries.begin(), m_entries.end(), bySerial)) {
            std::stable_sort(m_entries.begin(), m_entries.end(), bySerial);
        }
    }

    // The item with this serial (the first, when several share it), or null.
    Item *Find(std::string_view serial) {
        if (m_next < m_entries.size() && m_entries[m_next].serial == serial) {
            return m_entries[m_next++].item;
        }
        const auto at = std::lower_bound(
            m_entries.begin(), m_entries.end(), serial,
            [](const Entry &entry, std::string_view wanted) { return entry.serial < wanted; });
        if (at == m_entries.end() || at->serial != serial) {
            return nullptr;
        }
        m_next = static_cast<std::size_t>(at - m_entries.begin()) + 1;
        return at->item;
    }

private:
    struct Entry {
        std::string_view serial;
        Item *item;
    };
    std::vector<Entry> m_entries;
    std::size_t m_next = 0;  // where the look-up after the last one starts
};

}  // namespace zarn

#endif
