// Winsock side of the UDP seam. Winsock is started once per process on the
// first socket and never stopped: the library may be used until exit.
#include "UdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>

// Stops Windows from reporting an ICMP "port unreachable" for an earlier
// datagram as WSAECONNRESET on the next receive.
#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif

namespace ovsnmp {

namespace {

bool StartWinsock()
{
    static std::once_flag once;
    static bool bStarted = false;
    std::call_once(once, [] {
        WSADATA data;
        bStarted = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return bStarted;
}

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
    if (!StartWinsock())
        return false;
    SOCKET s = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return false;
    BOOL bReport = FALSE;
    DWORD dwReturned = 0;
    // Not fatal when refused: the receive loop copes with WSAECONNRESET too.
    ::WSAIoctl(s, SIO_UDP_CONNRESET, &bReport, sizeof bReport, nullptr, 0, &dwReturned, nullptr, nullptr);
    sockaddr_in sa = ToSockaddr(a_local);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::closesocket(s);
        return false;
    }
    m_handle = static_cast<Handle>(s);
    return true;
}

void CUdpSocket::Close()
{
    if (m_handle != kInvalid) {
        ::closesocket(static_cast<SOCKET>(m_handle));
        m_handle = kInvalid;
    }
}

bool CUdpSocket::SendTo(const CInetAddress& a_to, const std::uint8_t* a_pb, std::size_t a_n)
{
    if (m_handle == kInvalid)
        return false;
    sockaddr_in sa = ToSockaddr(a_to);
    int n = ::sendto(static_cast<SOCKET>(m_handle), reinterpret_cast<const char*>(a_pb),
                     static_cast<int>(a_n), 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    return n == static_cast<int>(a_n);
}

CUdpSocket::Receive CUdpSocket::ReceiveFrom(std::uint8_t* a_pb, std::size_t a_nMax, std::size_t& a_n,
                                            CInetAddress& a_from, int a_nTimeoutMs)
{
    a_n = 0;
    if (m_handle == kInvalid)
        return Receive::Error;
    SOCKET s = static_cast<SOCKET>(m_handle);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    if (a_nTimeoutMs < 0)
        a_nTimeoutMs = 0;
    timeval tv{a_nTimeoutMs / 1000, (a_nTimeoutMs % 1000) * 1000};
    int nReady = ::select(0, &readable, nullptr, nullptr, &tv);
    if (nReady == 0)
        return Receive::Timeout;
    if (nReady == SOCKET_ERROR)
        return Receive::Error;
    sockaddr_in sa{};
    int nSa = sizeof sa;
    int n = ::recvfrom(s, reinterpret_cast<char*>(a_pb), static_cast<int>(a_nMax), 0,
                       reinterpret_cast<sockaddr*>(&sa), &nSa);
    if (n == SOCKET_ERROR || sa.sin_family != AF_INET)
        return Receive::Error;
    a_n = static_cast<std::size_t>(n);
    std::memcpy(a_from.ab, &sa.sin_addr, 4);
    a_from.port = ntohs(sa.sin_port);
    return Receive::Datagram;
}

void CUdpSocket::SetNoInherit()
{
    if (m_handle != kInvalid)
        ::SetHandleInformation(reinterpret_cast<HANDLE>(m_handle), HANDLE_FLAG_INHERIT, 0);
}

std::uint16_t CUdpSocket::LocalPort() const
{
    if (m_handle == kInvalid)
        return 0;
    sockaddr_in sa{};
    int nSa = sizeof sa;
    if (::getsockname(static_cast<SOCKET>(m_handle), reinterpret_cast<sockaddr*>(&sa), &nSa) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

} // namespace ovsnmp
