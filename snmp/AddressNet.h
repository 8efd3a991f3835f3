// Printer network addresses: parsed from what a user or the map typed,
// validated, and written back in one normal form so that the same printer
// always has the same text (it keys mutexes, files and table entries).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CAddressNet {
public:
    virtual ~CAddressNet() = default;

    virtual void Clear() = 0;
    // Normal form; empty text when the address is not valid.
    virtual std::string Format() const = 0;
    // Replaces the content with the address in a_text; returns IsValid().
    virtual bool Parse(std::string_view a_text) = 0;
    virtual bool IsValid() const = 0;
};

// Dotted-decimal IPv4 address: valid with exactly four components 0..255.
class CAddressIp : public CAddressNet {
public:
    CAddressIp() = default;
    explicit CAddressIp(std::string_view a_text) { Parse(a_text); }

    void Clear() override { m_abComponents.clear(); }
    std::string Format() const override;
    bool Parse(std::string_view a_text) override;
    bool IsValid() const override { return m_abComponents.size() == 4; }

    const std::vector<std::uint8_t>& Components() const { return m_abComponents; }

private:
    std::vector<std::uint8_t> m_abComponents;
};

// IPX address: network digits (1 to 8) and node digits (exactly 12), one
// hexadecimal digit per element; a character that is no hex digit is kept as
// 255 so that the address reads as invalid instead of silently changing.
class CAddressIpx : public CAddressNet {
public:
    static constexpr std::uint8_t kBadDigit = 255;

    CAddressIpx() = default;
    explicit CAddressIpx(std::string_view a_text) { Parse(a_text); }

    void Clear() override;
    std::string Format() const override;
    bool Parse(std::string_view a_text) override;
    bool IsValid() const override;

    const std::vector<std::uint8_t>& Network() const { return m_abNetwork; }
    const std::vector<std::uint8_t>& Node() const { return m_abNode; }

private:
    std::vector<std::uint8_t> m_abNode;
    std::vector<std::uint8_t> m_abNetwork;
};

// Splits a_text into the runs of characters not in a_separators.
std::vector<std::string_view> SplitTokens(std::string_view a_text,
                                          std::string_view a_separators);
