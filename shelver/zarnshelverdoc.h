// ZARNShelver's document: the one server connection, nothing to load or save.
#ifndef ZARN_SHELVER_ZARNSHELVERDOC_H
#define ZARN_SHELVER_ZARNSHELVERDOC_H

#include "zarn10mfc.h"

struct CZARNShelverDoc {
    CZARN10MFC server{0};
};

#endif
