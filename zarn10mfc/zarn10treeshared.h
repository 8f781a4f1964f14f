// The movement tree: the picture, built from the server in one pass, of every volume due to
// move, per customer, media type, destination repository and origin repository.
#ifndef ZARN_ZARN10MFC_ZARN10TREESHARED_H
#define ZARN_ZARN10MFC_ZARN10TREESHARED_H

#include <cstdint>
#include <string>
#include <vector>

#include "zarn10direction.h"

enum ZarnTreeKind : uint8_t {
    kZarnTreeRoot = 0,
    kZarnTreeCustomer = 1,
    kZarnTreeMedia = 2,
    kZarnTreeRepository = 3,
};

// What every node of the tree has.
class CZARN10TreeShared {
public:
    virtual ~CZARN10TreeShared() = default;

    int volumeCount = 0;
    int moveCount = 0;
    std::string id;
    int included = 0;
    std::string name;
    uint8_t kind = 0;

    // The text of the node's tree item.
    virtual std::string GetLabel() const;
    // Appends the node's origin/destination pairs not yet in directions.
    virtual void CollectDirections(std::vector<CZARN10Direction> &directions) const = 0;
};

// "%s - %s (%s/%s)": id, name and both counts with thousands separators.
std::string CountsLabel(const CZARN10TreeShared &node);

#endif
