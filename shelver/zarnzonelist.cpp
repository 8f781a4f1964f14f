#include "zarnzonelist.h"

#include "zarnclock.h"

bool CZARNZoneList::Load(bool force) {
    if (!force && !m_entries.empty()) {
        return true;
    }
    m_loadedAt = ZarnNow();
    std::vector<ZARNZONEEx> read;
    if (!m_server || !m_server->List(read).IsOK(0)) {
        m_entries.clear();
        return false;
    }
    m_entries = std::move(read);
    return true;
}

const ZARNZONEEx *CZARNZoneList::Find(uint32_t zone) const {
    if (zone == 0) {
        return nullptr;
    }
    for (const ZARNZONEEx &entry : m_entries) {
        if (static_cast<uint32_t>(entry.zoneNumber) == zone) {
            return &entry;
        }
    }
    return nullptr;
}
