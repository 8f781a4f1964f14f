// The To-Scan items by volume key, for the scan that must find its item at once. An open
// table of keys held in place: adding the million volumes of one tree node allocates once
// and touches one slot per volume, where a node-based map allocates a node for each.
#ifndef ZARN_TOLLGATE_ZARN30KEYINDEX_H
#define ZARN_TOLLGATE_ZARN30KEYINDEX_H

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "zarnrecords.h"

class CZARN10TreeVolume;

// The 18-byte volume key held in place, so that finding a scanned item allocates nothing.
struct CZARN30Key {
    std::array<char, kZarnVolumeKeyWidth> bytes;
    bool operator==(const CZARN30Key &) const = default;
};

class CZARN30KeyIndex {
public:
    // Adds the item under key unless the key is there already (the first item keeps it).
    void Insert(const CZARN30Key &key, CZARN10TreeVolume *item);
    void Erase(const CZARN30Key &key);
    CZARN10TreeVolume *Find(const CZARN30Key &key) const;
    void Clear();
    // Room for count keys in all, so that adding them never grows the table on the way.
    void Reserve(std::size_t count);
    std::size_t Size() const { return m_size; }

private:
    struct Slot {
        CZARN30Key key;
        CZARN10TreeVolume *item = nullptr;  // null: the slot is free
    };
    std::size_t Home(const CZARN30Key &key) const;
    std::size_t SlotOf(const CZARN30Key &key) const;  // the key's slot, or a free one
    void Grow(std::size_t capacity);

    std::vector<Slot> m_slots;  // a power of two, never more than half full
    std::size_t m_size = 0;
};

#endif
