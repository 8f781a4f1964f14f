#include "zarnclock.h"

#include <atomic>
#include <ctime>

namespace {
std::atomic<ZarnClockFn> installedClock{nullptr};
}

extern "C" int64_t ZarnNow(void) {
    ZarnClockFn clock = installedClock.load(std::memory_order_acquire);
    return clock ? clock() : static_cast<int64_t>(std::time(nullptr));
}

extern "C" void ZarnSetClock(ZarnClockFn clock) {
    installedClock.store(clock, std::memory_order_release);
}
