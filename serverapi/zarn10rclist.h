// A list of results with texts, shown to the operator at the end of a pass.
#ifndef ZARN_SERVERAPI_ZARN10RCLIST_H
#define ZARN_SERVERAPI_ZARN10RCLIST_H

#include <vector>

#include "zarnpresenters.h"

class CZARN10RCList {
public:
    void Reset();
    void Add(CZARN10RC result, const char *format, ...) __attribute__((format(printf, 3, 4)));
    // Shows the list; returns 2 when the operator cancelled it, else 1.
    int Display(int flags, void *owner);

    const std::vector<zarn::ResultListEntry> &Entries() const { return m_entries; }

private:
    std::vector<zarn::ResultListEntry> m_entries;
};

#endif
