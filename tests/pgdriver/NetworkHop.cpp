#include "NetworkHop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace viVavazuruv::pgdriver::test {

namespace {

sockaddr_in loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

NetworkHop::NetworkHop(quint16 serverPort) : m_serverPort(serverPort) {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in any = loopback(0);
    socklen_t size = sizeof any;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&any), &size) != 0)
        return;
    m_port = ntohs(any.sin_port);
    m_thread = std::thread([this] { pass(); });
}

NetworkHop::~NetworkHop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (const auto& [client, server] : m_links) {
        ::close(client);
        ::close(server);
    }
    if (m_listener >= 0)
        ::close(m_listener);
}

void NetworkHop::pass() {
    std::vector<pollfd> watched;
    char buffer[65536];
    while (!m_stop) {
        if (m_frozen) {
            ::usleep(20000);
            continue;
        }
        watched.assign(1, pollfd{m_listener, POLLIN, 0});
        for (const auto& [client, server] : m_links) {
            watched.push_back({client, POLLIN, 0});
            watched.push_back({server, POLLIN, 0});
        }
        if (::poll(watched.data(), nfds_t(watched.size()), 20) <= 0 || m_frozen)
            continue;
        if (watched[0].revents & POLLIN) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            const int server = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in to = loopback(m_serverPort);
            if (client >= 0 && server >= 0 &&
                ::connect(server, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
                m_links.emplace_back(client, server);
            else {
                ::close(client);
                ::close(server);
            }
        }
        std::vector<bool> gone(m_links.size(), false);
        for (size_t i = 1; i < watched.size(); ++i) {
            if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const auto& [client, server] = m_links[(i - 1) / 2];
            const bool fromClient = (i - 1) % 2 == 0;
            const ssize_t n = ::read(fromClient ? client : server, buffer, sizeof buffer);
            if (n <= 0 || !writeAll(fromClient ? server : client, buffer, n))
                gone[(i - 1) / 2] = true;
        }
        // One side gone: the other is told by its end closing.
        for (size_t l = m_links.size(); l-- > 0;) {
            if (!gone[l])
                continue;
            ::close(m_links[l].first);
            ::close(m_links[l].second);
            m_links.erase(m_links.begin() + std::ptrdiff_t(l));
        }
    }
}

} // namespace viVavazuruv::pgdriver::test
