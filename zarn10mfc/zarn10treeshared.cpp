#include "zarn10treeshared.h"

#include "thousands.h"

std::string CZARN10TreeShared::GetLabel() const {
    return CountsLabel(*this);
}

std::string CountsLabel(const CZARN10TreeShared &node) {
    char volumes[ZARN_THOUSANDS_SIZE];
    char moves[ZARN_THOUSANDS_SIZE];
    FormatThousands(static_cast<uint64_t>(std::max(node.volumeCount, 0)), volumes, sizeof volumes);
    FormatThousands(static_cast<uint64_t>(std::max(node.moveCount, 0)), moves, sizeof moves);
    return node.id + " - " + node.name + " (" + volumes + "/" + moves + ")";
}
