#include "zarnresources.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace zarn {

std::string FindResource(const std::string &programPath, const std::string &name) {
    const std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
    std::vector<std::filesystem::path> candidates;
    if (const char *override = std::getenv("ZARNRESOURCEDIR"); override && *override) {
        candidates.push_back(std::filesystem::path(override) / name);
    }
    candidates.push_back(folder / "resources" / name);
    candidates.push_back(folder.parent_path() / "share" / "kestrava" / name);
    for (const std::filesystem::path &candidate : candidates) {
        std::error_code ignored;
        if (std::filesystem::exists(candidate, ignored)) {
            return candidate.string();
        }
    }
    return (folder / "resources" / name).string();
}

}  // namespace zarn
