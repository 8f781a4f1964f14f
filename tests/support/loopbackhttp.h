// A tiny HTTP server on a loopback port, on a thread of its own, for tests of programs that
// talk HTTP: it answers every request with the same bytes (or never answers) and counts the
// connections it accepted.
#ifndef ZARN_TESTS_LOOPBACKHTTP_H
#define ZARN_TESTS_LOOPBACKHTTP_H

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace zarn::test {

class LoopbackHttpServer {
public:
    // answer: the raw bytes sent back; silent: accept and never answer; hold: send the answer,
    // then keep the connection open without a word more (a body that trickles).
    explicit LoopbackHttpServer(std::string answer, bool silent = false, bool hold = false);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer &) = delete;
    LoopbackHttpServer &operator=(const LoopbackHttpServer &) = delete;

    // "127.0.0.1:port"
    std::string Address() const;
    int Connections() const { return m_connections; }
    std::string LastRequest();

private:
    void Serve();
    std::string m_answer;
    bool m_silent;
    bool m_hold;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::string m_lastRequest;
    std::thread m_thread;
};

}  // namespace zarn::test

#endif
