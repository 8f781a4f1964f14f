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

std::string ThisProgramPath() {
    std::error_code failed;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string() : self.string();
}

std::string ResourceFolder(const std::string &programPath) {
    const std::filesystem::path logo = FindResource(programPath, "Kestrava_Logo.jpg");
    std::error_code ignored;
    return std::filesystem::exists(logo, ignored) ? logo.parent_path().string() : "not found";
}

}  // namespace zarn
