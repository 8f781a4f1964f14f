#include "zarn10direction.h"

#include <strings.h>

#include <algorithm>

void AddDirection(std::vector<CZARN10Direction> &directions, const std::string &from,
                  const std::string &to) {
    // The pairs are few (repositories squared at most), so a scan of them is cheap.
    const bool known =
        std::any_of(directions.begin(), directions.end(), [&](const CZARN10Direction &d) {
            return strcasecmp(d.from.pattern.c_str(), from.c_str()) == 0 &&
                   strcasecmp(d.to.pattern.c_str(), to.c_str()) == 0;
        });
    if (!known) {
        CZARN10Direction direction;
        direction.from.pattern = from;
        direction.to.pattern = to;
        directions.push_back(direction);
    }
}
