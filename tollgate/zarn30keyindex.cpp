#include "zarn30keyindex.h"

#include <functional>

std::size_t CZARN30KeyIndex::Home(const CZARN30Key &key) const {
    const std::string_view bytes(key.bytes.data(), key.bytes.size());
    return std::hash<std::string_view>()(bytes) & (m_slots.size() - 1);
}

std::size_t CZARN30KeyIndex::SlotOf(const CZARN30Key &key) const {
    std::size_t at = Home(key);
    while (m_slots[at].item && !(m_slots[at].key == key)) {
        at = (at + 1) & (m_slots.size() - 1);
    }
    return at;
}

void CZARN30KeyIndex::Insert(const CZARN30Key &key, CZARN10TreeVolume *item) {
    if (2 * (m_size + 1) > m_slots.size()) {
        Grow(m_slots.empty() ? 64 : 2 * m_slots.size());
    }
    Slot &slot = m_slots[SlotOf(key)];
    if (!slot.item) {
        slot = {key, item};
        ++m_size;
    }
}

CZARN10TreeVolume *CZARN30KeyIndex::Find(const CZARN30Key &key) const {
    return m_slots.empty() ? nullptr : m_slots[SlotOf(key)].item;
}

void CZARN30KeyIndex::Erase(const CZARN30Key &key) {
    if (m_slots.empty()) {
        return;
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t hole = SlotOf(key);
    if (!m_slots[hole].item) {
        return;
    }
    m_slots[hole].item = nullptr;
    --m_size;
    // Linear probing without markers: move back any later key of the run whose home is not
    // between the hole and itself, so that every key stays reachable from its home.
    for (std::size_t next = (hole + 1) & mask; m_slots[next].item; next = (next + 1) & mask) {
        const std::size_t home = Home(m_slots[next].key);
        const bool reachable =
            hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (!reachable) {
            m_slots[hole] = m_slots[next];
            m_slots[next].item = nullptr;
            hole = next;
        }
    }
}

void CZARN30KeyIndex::Clear() {
    if (m_size > 0) {
        m_slots.assign(m_slots.size(), Slot{});
        m_size = 0;
    }
}

void CZARN30KeyIndex::Reserve(std::size_t count) {
    std::size_t capacity = m_slots.empty() ? 64 : m_slots.size();
    while (capacity < 2 * count) {
        capacity *= 2;
    }
    if (capacity > m_slots.size()) {
        Grow(capacity);
    }
}

void CZARN30KeyIndex::Grow(std::size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(m_slots);
    m_size = 0;
    for (const Slot &slot : old) {
        if (slot.item) {
            Insert(slot.key, slot.item);
        }
    }
}
