#include "zarnserverworker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "zarnsession.h"

namespace zarn {

struct ServerWorker::Shared {
    struct Job {
        uint64_t ticket = 0;
        ConnectionSettings settings;
        int programId = 0;
        Task task;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    uint64_t lastTicket = 0;
    // Tasks end in ticket order. Also read without the lock, so that a short task's caller
    // and a worker between two close tasks need not sleep and be woken (a wake-up costs more
    // than a look-up on this kind of machine).
    std::atomic<uint64_t> lastEnded{0};
    std::atomic<uint64_t> submitted{0};
    bool stopping = false;
    bool running = false;
    std::function<void()> ended;  // cleared when the worker is gone

    void Run();
};

namespace {

bool SameServer(const ConnectionSettings &a, const ConnectionSettings &b) {
    return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password &&
           a.database == b.database && a.readOnly == b.readOnly &&
           a.reconnectWait == b.reconnectWait;
}

// The connection as the job asks for it: logged on again when it is not, or is to another
// server or as another program.
void LogOnAsAsked(std::unique_ptr<CZARN10MFC> &connection, const ConnectionSettings &settings,
                  int programId) {
    ServerSession *session = connection ? connection->Session() : nullptr;
    if (session && connection->IsLoggedOn() && SameServer(session->settings, settings) &&
        session->programId == programId) {
        return;
    }
    connection = std::make_unique<CZARN10MFC>(0);
    connection->Session()->settings = settings;
    connection->SetProgramID(programId);
    connection->Logon(0);
}

// Polls done() for at most a short while, giving the processor away between looks.
bool Briefly(const std::function<bool()> &done, std::chrono::microseconds longest) {
    const auto until = std::chrono::steady_clock::now() + longest;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

constexpr std::chrono::microseconds kWorkerLinger{2000};  // for the next of a quick series
constexpr std::chrono::microseconds kCallerLinger{1000};  // for a quick task

}  // namespace

void ServerWorker::Shared::Run() {
    // Made and used on this thread alone: a Qt database connection belongs to its thread.
    std::unique_ptr<CZARN10MFC> connection;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (jobs.empty() && !stopping) {
            lock.unlock();
            const uint64_t taken = lastEnded.load();
            Briefly([&]() { return submitted.load() > taken; }, kWorkerLinger);
            lock.lock();
        }
        changed.wait(lock, [&]() { return stopping || !jobs.empty(); });
        if (stopping) {
            return;
        }
        Job job = std::move(jobs.front());
        jobs.pop_front();
        running = true;
        lock.unlock();
        LogOnAsAsked(connection, job.settings, job.programId);
        job.task(*connection);
        lock.lock();
        running = false;
        lastEnded = job.ticket;
        changed.notify_all();
        if (ended) {
            ended();
        }
    }
}

ServerWorker::ServerWorker(std::function<void()> ended) : m_shared(std::make_shared<Shared>()) {
    m_shared->ended = std::move(ended);
    m_thread = std::thread([shared = m_shared]() { shared->Run(); });
}

ServerWorker::~ServerWorker() {
    constexpr auto kStopWait = std::chrono::seconds(2);
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->ended = nullptr;
    m_shared->jobs.clear();
    m_shared->changed.notify_all();
    const bool idle =
        m_shared->changed.wait_for(lock, kStopWait, [&]() { return !m_shared->running; });
    lock.unlock();
    if (idle) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
}

uint64_t ServerWorker::Submit(CZARN10MFC &like, Task task) {
    const ServerSession &session = *like.Session();
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    const uint64_t ticket = ++m_shared->lastTicket;
    m_shared->jobs.push_back({ticket, session.settings, session.programId, std::move(task)});
    m_shared->submitted.store(ticket);
    m_shared->changed.notify_all();
    return ticket;
}

bool ServerWorker::WaitFor(uint64_t ticket, std::chrono::milliseconds wait) {
    const auto ended = [&]() { return m_shared->lastEnded.load() >= ticket; };
    // The task's writes come before its end is stored: seen once the end is.
    if (Briefly(ended, std::min<std::chrono::microseconds>(wait, kCallerLinger))) {
        return true;
    }
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, wait, [&]() { return m_shared->lastEnded >= ticket; });
}

bool ServerWorker::HasEnded(uint64_t ticket) const {
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->lastEnded >= ticket;
}

}  // namespace zarn
