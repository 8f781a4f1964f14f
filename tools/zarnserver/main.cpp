// zarnserver: creates and migrates the store, loads the demo data set and shows its counts.
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "zarn10rc.h"
#include "zarnadmin.h"

namespace {

const char kUsage[] =
    "Usage: zarnserver [options] COMMAND\n"
    "\n"
    "Commands:\n"
    "  init            create the store, or bring its schema up to date\n"
    "  demo            create the store and load the demo data set (only into an empty store)\n"
    "  info            show the store's schema version and the rows of every table\n"
    "\n"
    "Options:\n"
    "  --database PATH SQLite file (default: $ZARNDATABASE, else the per-user data folder),\n"
    "                  or the PostgreSQL database name with --host\n"
    "  --host HOST     a PostgreSQL server instead of the embedded store\n"
    "  --port PORT     its port (default 5432)\n"
    "  --user USER     the role to connect as\n"
    "  --password PW   its password\n"
    "  --help          this text\n";

struct Options {
    zarn::ConnectionSettings settings;
    std::string command;
};

bool ParseOptions(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string &into) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string port;
        if (arg == "--database") {
            if (!value(options.settings.database))
                return false;
        } else if (arg == "--host") {
            if (!value(options.settings.host))
                return false;
        } else if (arg == "--user") {
            if (!value(options.settings.user))
                return false;
        } else if (arg == "--password") {
            if (!value(options.settings.password))
                return false;
        } else if (arg == "--port") {
            if (!value(port))
                return false;
            char *end = nullptr;
            const long number = std::strtol(port.c_str(), &end, 10);
            if (*end != '\0' || number <= 0 || number > 65535) {
                error = "not a port: " + port;
                return false;
            }
            options.settings.port = static_cast<unsigned>(number);
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            error = "unexpected argument " + arg;
            return false;
        }
    }
    if (options.command.empty()) {
        error = "no command given";
        return false;
    }
    return true;
}

int Fail(const std::string &what, uint8_t code, const std::string &detail) {
    std::fprintf(stderr, "zarnserver: %s: %s%s%s\n", what.c_str(), CZARN10RC(code).Get(),
                 detail.empty() ? "" : ": ", detail.c_str());
    return 1;
}

int Info(zarn::Store &store) {
    std::printf("schema version: %d\n", store.SchemaVersion());
    for (const auto &[table, rows] : zarn::TableCounts(store)) {
        std::printf("%-18s %lld\n", table.c_str(), rows);
    }
    return 0;
}

int Demo(zarn::Store &store) {
    if (zarn::TableCounts(store)["customers"] != 0) {
        std::fprintf(stderr, "zarnserver: demo: the store already holds data; nothing loaded\n");
        return 1;
    }
    if (uint8_t failed = zarn::LoadDemoData(store)) {
        return Fail("demo", failed, store.LastError());
    }
    std::printf("demo data loaded\n");
    return Info(store);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication application(argc, argv);
    Options options;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zarnserver: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    const std::vector<std::string> commands = {"init", "demo", "info"};
    if (std::find(commands.begin(), commands.end(), options.command) == commands.end()) {
        std::fprintf(stderr, "zarnserver: unknown command %s\n\n%s", options.command.c_str(),
                     kUsage);
        return 2;
    }
    uint8_t result = 0;
    std::unique_ptr<zarn::Store> store = zarn::OpenAndMigrate(options.settings, result, error);
    if (!store) {
        return Fail("cannot open the store", result, error);
    }
    if (options.command == "demo") {
        return Demo(*store);
    }
    if (options.command == "info") {
        return Info(*store);
    }
    std::printf("store ready, schema version %d\n", store->SchemaVersion());
    return 0;
}
