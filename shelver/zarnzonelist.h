// The server's zones, read once per run: what the scan bar's zone list offers and how zone
// numbers become zone names.
#ifndef ZARN_SHELVER_ZARNZONELIST_H
#define ZARN_SHELVER_ZARNZONELIST_H

#include <cstdint>
#include <vector>

#include "zarn10mfc.h"

class CZARNZoneList {
public:
    void SetServer(CZARN10MFC *server) { m_server = server; }
    // Reads every zone (unless entries are held and it is not forced); false when the read
    // failed, which leaves the list empty.
    bool Load(bool force = false);
    size_t Count() const { return m_entries.size(); }
    const std::vector<ZARNZONEEx> &Entries() const { return m_entries; }
    // The entry with this zone number; 0 finds nothing.
    const ZARNZONEEx *Find(uint32_t zone) const;
    int64_t LoadedAt() const { return m_loadedAt; }

private:
    CZARN10MFC *m_server = nullptr;
    int64_t m_loadedAt = 0;
    std::vector<ZARNZONEEx> m_entries;
};

#endif
