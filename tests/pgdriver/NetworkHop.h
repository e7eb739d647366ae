#pragma once

#include <QtGlobal>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace viVavazuruv::pgdriver::test {

// A TCP hop on loopback between the driver and the server that can stop
// passing anything on, as a server gone from the network does. Frozen, it
// reads nothing and accepts nothing; the kernel still completes new
// connections, so a cancel request is sent and then waits for an answer.
class NetworkHop {
public:
    explicit NetworkHop(quint16 serverPort);
    ~NetworkHop();
    NetworkHop(const NetworkHop&) = delete;
    NetworkHop& operator=(const NetworkHop&) = delete;

    // 0 when no port could be had.
    quint16 port() const { return m_port; }
    void freeze() { m_frozen = true; }

private:
    void pass();

    quint16 m_serverPort;
    int m_listener = -1;
    quint16 m_port = 0;
    std::vector<std::pair<int, int>> m_links; // client, server
    std::atomic<bool> m_frozen{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace viVavazuruv::pgdriver::test
