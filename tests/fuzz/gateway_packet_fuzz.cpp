// libFuzzer target for the gateway library's packet parser: the variables of
// a response packet, which the callers hand back as bytes and which, in a
// walk, carry whatever the agent said. Each variable found must lie inside
// the packet, come out whole through the buffer protocol, and decode with
// CBerReader without harm; the variables before it must be found too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BerReader.h"
#include "GatewayPacket.h"

namespace {

void Check(bool a_b)
{
    if (!a_b)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_pb, std::size_t a_n)
{
    // Enough variables to walk a long packet, few enough for the fuzzer's pace.
    for (std::size_t i = 0; i < 512; ++i) {
        std::string oid;
        const std::uint8_t* pbBer = nullptr;
        std::size_t nBer = 0;
        const kestrel::VariableResult result = kestrel::FindVariable(a_pb, a_n, i, oid, pbBer, nBer);
        if (result != kestrel::VariableResult::Found) {
            // Variables are found in order: none after the first that is not.
            std::string later;
            Check(kestrel::FindVariable(a_pb, a_n, i + 1, later, pbBer, nBer) != kestrel::VariableResult::Found);
            break;
        }
        Check(pbBer >= a_pb && nBer >= 2 && pbBer + nBer <= a_pb + a_n);
        std::vector<std::uint32_t> sub;
        // What the packet names, a request can name again.
        Check(oid.empty() || kestrel::ParseOidText(oid, sub));

        // The buffer protocol hands out exactly the element.
        std::uint32_t nLength = 0;
        Check(kestrel::CopyOut(pbBer, nBer, &nLength, nullptr) == -108 && nLength == nBer);
        std::vector<std::uint8_t> ber(nLength);
        Check(kestrel::CopyOut(pbBer, nBer, &nLength, ber.data()) == 0 && nLength == nBer);
        Check(std::memcmp(ber.data(), pbBer, nBer) == 0);

        CMibValue value;
        CBerReader::Decode(ber.data(), ber.size(), value);
        if (value.IsOctetString() || value.IsIpAddress())
            Check(value.GetByteCount() + 2 <= nBer);
    }
    return 0;
}
