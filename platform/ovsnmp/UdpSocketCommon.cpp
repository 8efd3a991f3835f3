#include "UdpSocket.h"

namespace ovsnmp {

namespace {

// Reads a decimal number of at most a_nMaxDigits digits, not above a_nMax.
bool ReadNumber(const char*& a_pch, unsigned a_nMax, int a_nMaxDigits, unsigned& a_n)
{
    unsigned n = 0;
    int nDigits = 0;
    while (*a_pch >= '0' && *a_pch <= '9') {
        if (++nDigits > a_nMaxDigits)
            return false;
        n = n * 10 + static_cast<unsigned>(*a_pch++ - '0');
    }
    if (nDigits == 0 || n > a_nMax)
        return false;
    a_n = n;
    return true;
}

} // namespace

bool ParseInetAddress(const char* a_text, CInetAddress& a_addr, bool& a_bHasPort)
{
    if (!a_text)
        return false;
    CInetAddress addr;
    const char* pch = a_text;
    for (int i = 0; i < 4; ++i) {
        unsigned n;
        if (!ReadNumber(pch, 255, 3, n))
            return false;
        addr.ab[i] = static_cast<std::uint8_t>(n);
        if (i < 3 && *pch++ != '.')
            return false;
    }
    a_bHasPort = false;
    if (*pch == ':') {
        ++pch;
        unsigned n;
        if (!ReadNumber(pch, 65535, 5, n) || n == 0)
            return false;
        addr.port = static_cast<std::uint16_t>(n);
        a_bHasPort = true;
    }
    if (*pch)
        return false;
    a_addr = addr;
    return true;
}

} // namespace ovsnmp
