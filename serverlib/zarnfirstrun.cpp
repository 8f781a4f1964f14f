#include "zarnfirstrun.h"

#include <cstdio>
#include <filesystem>

#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarnstore.h"

namespace zarn {

bool CreateEmbeddedStoreIfMissing(std::string &path, std::string &error) {
    path = DefaultDatabasePath();
    std::error_code failed;
    if (std::filesystem::file_size(path, failed) > 0 && !failed) {
        return false;
    }
    ConnectionSettings settings;
    settings.database = path;
    uint8_t result = 0;
    std::unique_ptr<Store> store = OpenAndMigrate(settings, result, error);
    if (!store) {
        error = std::string(CZARN10RC(result).Get()) + (error.empty() ? "" : ": " + error);
        return false;
    }
    if ((result = LoadDemoData(*store))) {
        error = std::string(CZARN10RC(result).Get()) + ": " + store->LastError();
        return false;
    }
    return true;
}

void PrepareEmbeddedStore(const char *program) {
    std::string path, error;
    if (CreateEmbeddedStoreIfMissing(path, error)) {
        std::fprintf(stderr, "%s: made the embedded store with the demo data set: %s\n", program,
                     path.c_str());
    } else if (!error.empty()) {
        std::fprintf(stderr, "%s: the embedded store %s could not be made: %s\n", program,
                     path.c_str(), error.c_str());
    }
}

}  // namespace zarn
