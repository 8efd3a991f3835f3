// CBerReader: the decoder of the values the MIB gateway hands out, each as
// the BER encoding of one value (tag, length, contents). It decodes just
// what the gateway transport needs, into a CMibValue.
//
// Every read is checked against the bytes it was given: a length that runs
// past the end, an indefinite or over-long length form, an integer wider
// than its type or an identifier that does not start with 1.3 fails and
// takes nothing from beyond the input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "MibValue.h"

class CBerReader {
public:
    enum class Result { Ok, Failed, BufferTooSmall };

    // The header of the element in a_pb (a_n bytes): tag, content length,
    // pointer to the contents (null when the length is 0). A length below
    // 0x80 is the byte itself; otherwise its low 7 bits count the length
    // bytes that follow (1 to 4), big-endian.
    static bool ReadHeader(const std::uint8_t* a_pb, std::size_t a_n, std::uint8_t& a_tag,
                           std::size_t& a_nContent, const std::uint8_t*& a_pbContent);

    // A number of 1 to 4 content octets, big-endian two's complement. For
    // the unsigned types (Counter, Gauge, TimeTicks) also 5 octets whose
    // first is 0: the unsigned value of the other four.
    static bool ReadInteger(std::uint8_t a_tag, const std::uint8_t* a_pb, std::size_t a_n, std::uint32_t& a_dw);

    // An identifier's contents as dotted text, "1.3" and the sub-identifiers
    // that follow the first octet (which must be 0x2B). a_nSize is the
    // size of a_buffer; when text and terminating zero do not fit, it is
    // set to the size needed and the result is BufferTooSmall.
    static Result ReadObjectId(const std::uint8_t* a_pb, std::size_t a_n, char* a_buffer, std::size_t& a_nSize);

    // Decodes one BER value into a_value by its tag: INTEGER, OCTET STRING,
    // NULL, OBJECT IDENTIFIER, IpAddress, Counter, Gauge, TimeTicks. A value
    // of another tag, or an identifier that does not decode, leaves a_value
    // as it was; an integer that does not decode marks it unavailable.
    // False when the header itself is bad (a_value untouched).
    static bool Decode(const std::uint8_t* a_pb, std::size_t a_n, CMibValue& a_value);
};
