#include "zarnreconnect.h"

#include <algorithm>
#include <thread>

namespace zarn {

ReconnectSchedule::ReconnectSchedule(Duration wait, std::function<Clock::time_point()> now,
                                     std::function<void(Duration)> sleep)
    : m_wait(wait), m_now(std::move(now)), m_sleep(std::move(sleep)) {
    if (!m_sleep) {
        m_sleep = [](Duration pause) { std::this_thread::sleep_for(pause); };
    }
}

bool ReconnectSchedule::Reconnect(const std::function<bool()> &connect) {
    if (m_gaveUp) {
        if (m_now() < m_nextTry) {
            return false;
        }
        if (connect()) {
            m_gaveUp = false;
            return true;
        }
        m_interval = std::min(m_interval * 2, kLongestIntervalAfterGivingUp);
        m_nextTry = m_now() + m_interval;
        return false;
    }
    if (TryWhileWaiting(connect)) {
        return true;
    }
    m_gaveUp = true;
    m_interval = kFirstIntervalAfterGivingUp;
    m_nextTry = m_now() + m_interval;
    return false;
}

bool ReconnectSchedule::TryWhileWaiting(const std::function<bool()> &connect) {
    const Clock::time_point start = m_now();
    for (Duration pause = kFirstPause;; pause = std::min(pause * 2, kLongestPauseInACall)) {
        if (connect()) {
            return true;
        }
        if (m_now() - start + pause > m_wait) {
            return false;
        }
        m_sleep(pause);
    }
}

}  // namespace zarn
