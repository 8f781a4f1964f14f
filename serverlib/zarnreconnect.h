// When a broken connection to the store is tried again: at once and then with growing pauses
// while a call waits for it, and once a call has given up, again at growing intervals (up to
// 30 s apart), so that calls made during a long outage fail at once instead of each waiting.
#ifndef ZARN_SERVERLIB_ZARNRECONNECT_H
#define ZARN_SERVERLIB_ZARNRECONNECT_H

#include <chrono>
#include <functional>

namespace zarn {

class ReconnectSchedule {
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;
    static constexpr Duration kFirstPause{50};
    static constexpr Duration kLongestPauseInACall{1000};
    static constexpr Duration kFirstIntervalAfterGivingUp{1000};
    static constexpr Duration kLongestIntervalAfterGivingUp{30000};

    // wait: how long one call waits for the connection to come back.
    explicit ReconnectSchedule(Duration wait, std::function<Clock::time_point()> now = Clock::now,
                               std::function<void(Duration)> sleep = nullptr);

    // Tries connect until it succeeds or the call's wait is over; after an earlier call gave
    // up, tries once, and only when the next try is due.
    bool Reconnect(const std::function<bool()> &connect);
    bool GaveUp() const { return m_gaveUp; }

private:
    bool TryWhileWaiting(const std::function<bool()> &connect);

    Duration m_wait;
    std::function<Clock::time_point()> m_now;
    std::function<void(Duration)> m_sleep;
    bool m_gaveUp = false;
    Duration m_interval{0};  // after giving up: between tries
    Clock::time_point m_nextTry;
};

}  // namespace zarn

#endif
