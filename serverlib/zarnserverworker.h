// Server work off the window's thread: tasks run one at a time, in the order they were handed
// over, on a connection of the worker's own, logged on with the station's settings. A server
// that is slow or has stopped answering then holds up neither the window nor the answers: the
// caller waits for a task only as long as it chooses, and is told when one it stopped waiting
// for has ended.
#ifndef ZARN_SERVERLIB_ZARNSERVERWORKER_H
#define ZARN_SERVERLIB_ZARNSERVERWORKER_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "zarn10mfc.h"

namespace zarn {

class ServerWorker {
public:
    // The task gets the worker's connection, logged on (or not, when the log-on failed: its
    // calls then answer "not logged on", as for any station that is not).
    using Task = std::function<void(CZARN10MFC &)>;

    // ended is called on the worker's thread after each task (to wake the caller's thread).
    explicit ServerWorker(std::function<void()> ended = {});
    // A task still running after a short while is left to the process's end: a server that
    // stopped answering must not keep the program from closing.
    ~ServerWorker();
    ServerWorker(const ServerWorker &) = delete;
    ServerWorker &operator=(const ServerWorker &) = delete;

    // Queues task after those handed over before, to run on a connection to the server that
    // like is logged on to, as the same program; its ticket.
    uint64_t Submit(CZARN10MFC &like, Task task);
    // Whether the task has ended, waiting for that no longer than wait.
    bool WaitFor(uint64_t ticket, std::chrono::milliseconds wait);
    bool HasEnded(uint64_t ticket) const;

private:
    struct Shared;
    // Held by the worker's thread too: a thread left to the process's end outlives this.
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

}  // namespace zarn

#endif
