#include "zarnstationfiles.h"

#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>
#include <filesystem>

namespace zarn {

std::vector<std::string> StationFileFolders() {
    std::vector<std::string> folders;
    // The user's folder first, then each system folder (XDG_CONFIG_DIRS).
    for (const QString &folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        folders.push_back((std::filesystem::path(folder.toStdString()) / "Quillfen").string());
    }
    folders.push_back(".");
    return folders;
}

std::string LocateStationFile(const std::string &name) {
    const std::filesystem::path given(name);
    if (given.has_parent_path()) {
        return name;
    }
    const std::vector<std::string> folders = StationFileFolders();
    for (const std::string &folder : folders) {
        const std::filesystem::path candidate = folder == "." ? given : folder / given;
        std::error_code ignored;
        if (std::filesystem::exists(candidate, ignored)) {  // found, even if no file to read
            return candidate.string();
        }
    }
    return (std::filesystem::path(folders.front()) / given).string();
}

std::string StationStateFolder() {
    std::filesystem::path folder;
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        folder = std::filesystem::path(state) / "Quillfen";
    } else if (const char *home = std::getenv("HOME"); home && *home == '/') {
        folder = std::filesystem::path(home) / ".local" / "state" / "Quillfen";
    }
    std::error_code failed;
    if (folder.empty()) {
        return {};
    }
    std::filesystem::create_directories(folder, failed);
    if (failed || !std::filesystem::is_directory(folder, failed)) {
        return {};
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, failed);
    return folder.string();
}

}  // namespace zarn
