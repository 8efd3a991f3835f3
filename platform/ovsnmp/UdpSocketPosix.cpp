// BSD sockets side of the UDP seam.
#include "UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ovsnmp {

namespace {

sockaddr_in ToSockaddr(const CInetAddress& a_addr)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(a_addr.port);
    std::memcpy(&sa.sin_addr, a_addr.ab, 4);
    return sa;
}

} // namespace

bool CUdpSocket::Open(const CInetAddress& a_local)
{
    Close();
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in sa = ToSockaddr(a_local);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

void CUdpSocket::Close()
{
    if (m_handle != kInvalid) {
        ::close(m_handle);
        m_handle = kInvalid;
    }
}

bool CUdpSocket::SendTo(const CInetAddress& a_to, const std::uint8_t* a_pb, std::size_t a_n)
{
    if (m_handle == kInvalid)
        return false;
    sockaddr_in sa = ToSockaddr(a_to);
    for (;;) {
        ssize_t n = ::sendto(m_handle, a_pb, a_n, 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
        if (n == static_cast<ssize_t>(a_n))
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

CUdpSocket::Receive CUdpSocket::ReceiveFrom(std::uint8_t* a_pb, std::size_t a_nMax, std::size_t& a_n,
                                            CInetAddress& a_from, int a_nTimeoutMs)
{
    a_n = 0;
    if (m_handle == kInvalid)
        return Receive::Error;
    pollfd pfd{m_handle, POLLIN, 0};
    int nReady = ::poll(&pfd, 1, a_nTimeoutMs < 0 ? 0 : a_nTimeoutMs);
    if (nReady == 0)
        return Receive::Timeout;
    if (nReady < 0)
        return Receive::Error;
    sockaddr_in sa{};
    socklen_t nSa = sizeof sa;
    ssize_t n = ::recvfrom(m_handle, a_pb, a_nMax, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sa), &nSa);
    if (n < 0 || sa.sin_family != AF_INET)
        return Receive::Error;
    a_n = static_cast<std::size_t>(n);
    std::memcpy(a_from.ab, &sa.sin_addr, 4);
    a_from.port = ntohs(sa.sin_port);
    return Receive::Datagram;
}

void CUdpSocket::SetNoInherit()
{
    // Created with SOCK_CLOEXEC already; kept for symmetry with Windows,
    // where inheritance is a property set after creation.
    if (m_handle != kInvalid)
        ::fcntl(m_handle, F_SETFD, FD_CLOEXEC);
}

std::uint16_t CUdpSocket::LocalPort() const
{
    if (m_handle == kInvalid)
        return 0;
    sockaddr_in sa{};
    socklen_t nSa = sizeof sa;
    if (::getsockname(m_handle, reinterpret_cast<sockaddr*>(&sa), &nSa) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

} // namespace ovsnmp
