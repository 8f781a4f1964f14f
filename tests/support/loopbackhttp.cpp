#include "loopbackhttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace zarn::test {

LoopbackHttpServer::LoopbackHttpServer(std::string answer, bool silent, bool hold)
    : m_answer(std::move(answer)), m_silent(silent), m_hold(hold) {
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(m_listener, 8);
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this]() { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stopping = true;
    m_thread.join();
    close(m_listener);
}

std::string LoopbackHttpServer::Address() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string LoopbackHttpServer::LastRequest() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lastRequest;
}

void LoopbackHttpServer::Serve() {
    std::vector<int> open;
    while (!m_stopping) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0) {
            continue;
        }
        const int client = accept(m_listener, nullptr, nullptr);
        if (client < 0) {
            continue;
        }
        ++m_connections;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd readable{client, POLLIN, 0};
            if (poll(&readable, 1, 2000) <= 0) {
                break;
            }
            const ssize_t got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<size_t>(got));
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_lastRequest = request;
        }
        if (m_silent) {
            open.push_back(client);  // held open, never answered
            continue;
        }
        size_t sent = 0;
        while (sent < m_answer.size()) {
            const ssize_t wrote =
                send(client, m_answer.data() + sent, m_answer.size() - sent, MSG_NOSIGNAL);
            if (wrote <= 0) {
                break;
            }
            sent += static_cast<size_t>(wrote);
        }
        if (m_hold) {
            open.push_back(client);
            continue;
        }
        close(client);
    }
    for (int client : open) {
        close(client);
    }
}

}  // namespace zarn::test
