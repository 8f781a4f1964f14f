// Makes a store with the demo data as a fresh station or zarnserver would, and kills itself in
// the middle when told to: the clock it reads while loading the demo data sends SIGKILL at its
// given call. Arguments: host port database calls (an empty host: the embedded store, made at
// database as a program's first start makes it; calls 0: never killed).
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "zarn10rc.h"
#include "zarnadmin.h"
#include "zarnclock.h"
#include "zarnfirstrun.h"

namespace {

long g_callsLeft = 0;

int64_t KillingClock() {
    if (g_callsLeft > 0 && --g_callsLeft == 0) {
        std::raise(SIGKILL);
    }
    return std::time(nullptr);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        return 2;
    }
    g_callsLeft = std::atol(argv[4]);
    ZarnSetClock(KillingClock);
    zarn::ConnectionSettings settings;
    settings.host = argv[1];
    settings.port = static_cast<unsigned>(std::atoi(argv[2]));
    settings.user = "postgres";
    settings.database = argv[3];
    std::string path, error;
    if (settings.host.empty()) {
        setenv("ZARNDATABASE", argv[3], 1);
        const bool made = zarn::CreateEmbeddedStoreIfMissing(path, error);
        std::fprintf(stderr, "%s\n", error.c_str());
        return made ? 0 : 3;
    }
    uint8_t result = 0;
    std::unique_ptr<zarn::Store> store = zarn::OpenAndMigrate(settings, result, error);
    if (!store || zarn::LoadDemoData(*store)) {
        return 3;
    }
    return 0;
}
