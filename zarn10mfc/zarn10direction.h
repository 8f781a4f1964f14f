// An origin/destination pair of repositories, as the filter dialog offers them.
#ifndef ZARN_ZARN10MFC_ZARN10DIRECTION_H
#define ZARN_ZARN10MFC_ZARN10DIRECTION_H

#include <string>
#include <vector>

#include "zarnfilter.h"

class CZARN10Direction {
public:
    virtual ~CZARN10Direction() = default;
    CZARNFilter from;  // pattern: the origin repository id
    CZARNFilter to;    // pattern: the destination repository id
    int checked = 0;
};

// Appends the pair unless one with the same ids (compared without regard to case) is there.
void AddDirection(std::vector<CZARN10Direction> &directions, const std::string &from,
                  const std::string &to);

#endif
