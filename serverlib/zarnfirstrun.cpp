#include "zarnfirstrun.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarnstore.h"

namespace zarn {
namespace {

namespace fs = std::filesystem;

void RemoveDatabaseFiles(const std::string &path) {
    std::error_code ignored;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        fs::remove(path + suffix, ignored);
    }
}

// What creations killed before us left beside the store: the pid in their names is gone.
void RemoveAbandonedBuilds(const std::string &path) {
    const fs::path store(path);
    const std::string prefix = store.filename().string() + ".new-";
    std::error_code failed;
    for (const fs::directory_entry &entry : fs::directory_iterator(store.parent_path(), failed)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const pid_t owner = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove(entry.path(), ignored);
        }
    }
}

// A rename is durable only once the folder that holds the name is on disk.
void SyncFolder(const std::string &path) {
    const std::string folder = fs::path(path).parent_path().string();
    const int descriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
}

// Makes the store with the demo data at path, whole or not at all: it is built under another
// name beside it and renamed when complete, so a creation that fails or is killed leaves no
// half store where the programs look.
bool MakeStoreWithDemoData(const std::string &path, std::string &error) {
    const std::string building = path + ".new-" + std::to_string(getpid());
    RemoveAbandonedBuilds(path);
    RemoveDatabaseFiles(building);
    {
        ConnectionSettings settings;
        settings.database = building;
        uint8_t result = 0;
        std::unique_ptr<Store> store = OpenAndMigrate(settings, result, error);
        if (store && (result = LoadDemoData(*store))) {
            error = store->LastError();
        }
        // Everything into the main file, so that the file alone is the whole store.
        if (store && !result && (result = store->Run("PRAGMA wal_checkpoint(TRUNCATE)"))) {
            error = store->LastError();
        }
        if (result) {
            error = std::string(CZARN10RC(result).Get()) + (error.empty() ? "" : ": " + error);
            store.reset();
            RemoveDatabaseFiles(building);
            return false;
        }
    }
    std::error_code failed;
    fs::rename(building, path, failed);
    if (failed) {
        error = "it could not be put in place: " + failed.message();
        RemoveDatabaseFiles(building);
        return false;
    }
    RemoveDatabaseFiles(building);  // the emptied log files of the built store
    SyncFolder(path);
    return true;
}

}  // namespace

EmbeddedFile InspectEmbeddedFile(const std::string &path) {
    std::error_code failed;
    const auto size = fs::file_size(path, failed);
    if (failed || size == 0) {
        return EmbeddedFile::Missing;
    }
    sqlite3 *db = nullptr;
    EmbeddedFile kind = EmbeddedFile::NotAStore;
    // Read-write where it may (never created): the last connection to close tidies the log
    // files away, which a read-only one cannot.
    int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (opened != SQLITE_OK) {
        sqlite3_close(db);
        db = nullptr;
        opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    }
    if (opened == SQLITE_OK) {
        sqlite3_stmt *count = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM sqlite_master", -1, &count, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW) {
            kind = sqlite3_column_int(count, 0) == 0 ? EmbeddedFile::NoTables : EmbeddedFile::Store;
        }
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return kind;
}

bool CreateEmbeddedStoreIfMissing(std::string &path, std::string &error, bool *madeAnew) {
    path = DefaultDatabasePath();
    switch (InspectEmbeddedFile(path)) {
        case EmbeddedFile::Store:
            return false;
        case EmbeddedFile::NotAStore:
            error = "the file is not a store (not an SQLite database); it is left as it is";
            return false;
        case EmbeddedFile::NoTables:
            // What a creation that did not finish used to leave: nothing in it to keep.
            if (madeAnew) {
                *madeAnew = true;
            }
            break;
        case EmbeddedFile::Missing:
            break;
    }
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    return MakeStoreWithDemoData(path, error);
}

void PrepareEmbeddedStore(const char *program) {
    std::string path, error;
    bool madeAnew = false;
    if (CreateEmbeddedStoreIfMissing(path, error, &madeAnew)) {
        std::fprintf(stderr, "%s: made the embedded store with the demo data set: %s%s\n", program,
                     path.c_str(),
                     madeAnew ? " (the file there held no tables, such as a creation that did"
                                " not finish leaves)"
                              : "");
    } else if (!error.empty()) {
        std::fprintf(stderr, "%s: the embedded store %s could not be made: %s\n", program,
                     path.c_str(), error.c_str());
    }
}

}  // namespace zarn
