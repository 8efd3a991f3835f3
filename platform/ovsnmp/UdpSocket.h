// The library's only contact with the operating system's network stack: one
// UDP socket over IPv4. UdpSocketPosix.cpp implements it with BSD sockets,
// UdpSocketWin.cpp with Winsock; everything above is portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovsnmp {

struct CInetAddress {
    std::uint8_t ab[4] = {0, 0, 0, 0};
    std::uint16_t port = 0;

    bool operator==(const CInetAddress&) const = default;
};

// "a.b.c.d" or "a.b.c.d:port" (decimal, each part in range). a_bHasPort
// tells whether a port was given. False for anything else.
bool ParseInetAddress(const char* a_text, CInetAddress& a_addr, bool& a_bHasPort);

class CUdpSocket {
public:
    enum class Receive { Datagram, Timeout, Error };

    CUdpSocket() = default;
    ~CUdpSocket() { Close(); }
    CUdpSocket(const CUdpSocket&) = delete;
    CUdpSocket& operator=(const CUdpSocket&) = delete;

    // Creates the socket and binds it to a_local (address 0.0.0.0 and port
    // 0 mean any). False when either fails.
    bool Open(const CInetAddress& a_local);
    bool IsOpen() const { return m_handle != kInvalid; }
    void Close();

    bool SendTo(const CInetAddress& a_to, const std::uint8_t* a_pb, std::size_t a_n);
    // Waits at most a_nTimeoutMs for one datagram. Error covers conditions
    // that a caller retries after (an ICMP error reported on the socket,
    // an interrupted wait).
    Receive ReceiveFrom(std::uint8_t* a_pb, std::size_t a_nMax, std::size_t& a_n,
                        CInetAddress& a_from, int a_nTimeoutMs);
    // Keeps the socket from processes started later.
    void SetNoInherit();
    // The port the socket is bound to; 0 when unknown.
    std::uint16_t LocalPort() const;

private:
#if defined(_WIN32)
    using Handle = std::uintptr_t;
    static constexpr Handle kInvalid = ~Handle{0};
#else
    using Handle = int;
    static constexpr Handle kInvalid = -1;
#endif
    Handle m_handle = kInvalid;
};

} // namespace ovsnmp
