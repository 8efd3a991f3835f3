// libFuzzer target for CBerReader: every value the gateway hands back is
// decoded by it. Beyond not crashing or reading outside the input: a header
// it accepts lies inside the input, an integer it accepts has the value its
// octets say, and an identifier it reads is the one the platform library's
// own decoder finds in the same octets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Ber.h"
#include "BerReader.h"

namespace {

void Check(bool a_b)
{
    if (!a_b)
        std::abort();
}

void CheckInteger(std::uint8_t a_tag, const std::uint8_t* a_pb, std::size_t a_n)
{
    std::uint32_t dw = 0;
    if (!CBerReader::ReadInteger(a_tag, a_pb, a_n, dw))
        return;
    const bool bUnsigned = a_tag == 0x41 || a_tag == 0x42 || a_tag == 0x43;
    Check(a_n >= 1 && (a_n <= 4 || (a_n == 5 && bUnsigned && a_pb[0] == 0)));
    std::int64_t expected = (a_pb[0] & 0x80) ? -1 : 0;
    for (std::size_t i = 0; i < a_n; ++i)
        expected = expected * 256 + a_pb[i];
    Check(dw == static_cast<std::uint32_t>(expected));
}

void CheckObjectId(const std::uint8_t* a_pb, std::size_t a_n)
{
    std::size_t nSize = 0;
    const CBerReader::Result first = CBerReader::ReadObjectId(a_pb, a_n, nullptr, nSize);
    if (first == CBerReader::Result::Failed)
        return;
    Check(first == CBerReader::Result::BufferTooSmall && nSize >= 4);
    std::string text(nSize, '#');
    Check(CBerReader::ReadObjectId(a_pb, a_n, text.data(), nSize) == CBerReader::Result::Ok);
    Check(text.size() == nSize && text.back() == 0 && std::string(text.c_str()).size() + 1 == nSize);
    text.pop_back();
    Check(text.rfind("1.3", 0) == 0);
    // The platform library's decoder, which knows the first octet as two
    // arcs, finds the same identifier (when it can hold it).
    std::uint32_t adw[ovsnmp::kMaxSubIds];
    std::size_t nCount = 0;
    if (ovsnmp::DecodeObjectId(a_pb, a_n, adw, nCount)) {
        std::string theirs;
        for (std::size_t i = 0; i < nCount; ++i)
            theirs += (i ? "." : "") + std::to_string(adw[i]);
        Check(theirs == text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* a_pb, std::size_t a_n)
{
    std::uint8_t tag;
    std::size_t nContent;
    const std::uint8_t* pbContent;
    if (CBerReader::ReadHeader(a_pb, a_n, tag, nContent, pbContent)) {
        Check(nContent == 0 ? pbContent == nullptr
                            : pbContent > a_pb && pbContent + nContent <= a_pb + a_n);
        CheckInteger(tag, pbContent, nContent);
        if (tag == 0x06)
            CheckObjectId(pbContent, nContent);
    }
    // The same bytes as contents of each kind.
    for (std::uint8_t t : {0x02, 0x41, 0x43})
        CheckInteger(t, a_pb, a_n);
    CheckObjectId(a_pb, a_n);

    CMibValue value(CObjectId("1.3.6.1"));
    value.SetInteger(7);
    if (CBerReader::Decode(a_pb, a_n, value)) {
        // Bytes come from the input; an identifier's text is checked above.
        if (value.IsOctetString() || value.IsIpAddress())
            Check(value.GetByteCount() + 2 <= a_n && static_cast<std::size_t>(value.GetLength()) == value.GetByteCount());
        Check(value.GetLength() >= 0);
    } else {
        Check(value.GetType() == typeInteger && value.GetNumber() == 7);
    }
    return 0;
}
