#include "zarn30filters.h"

void CZARN30Filters::LoadDirections(const CZARN10TreeShared &node) {
    directions.clear();
    node.CollectDirections(directions);
}

int CZARN30Filters::IsChecked(const std::string &origin, const std::string &destination) const {
    for (const CZARN10Direction &direction : directions) {
        if (direction.to.pattern == destination && direction.from.pattern == origin) {
            return direction.checked;
        }
    }
    return 0;
}
