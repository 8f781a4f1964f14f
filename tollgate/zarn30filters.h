// The repository pairs ticked for adding: what the "Add Filters" dialog edits.
#ifndef ZARN_TOLLGATE_ZARN30FILTERS_H
#define ZARN_TOLLGATE_ZARN30FILTERS_H

#include <string>
#include <vector>

#include "zarn10direction.h"
#include "zarn10treeshared.h"

class CZARN30Filters {
public:
    // The pairs below a node, all unticked.
    void LoadDirections(const CZARN10TreeShared &node);
    // The first pair with these ids (compared as they are): its tick; 0 when there is none.
    int IsChecked(const std::string &origin, const std::string &destination) const;

    std::vector<CZARN10Direction> directions;
};

#endif
