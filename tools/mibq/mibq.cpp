// mibq: runs one CMibRequest from the command line, for administrators and
// for tests. Output: one line "OID TYPE VALUE" per value of the list after
// the request, then "count=N error=E mode=M". Exit status 0, 1 when the
// request failed as a whole, 2 for bad arguments.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AddressNet.h"
#include "MibRequest.h"
#include "Trace.h"

namespace {

const char kUsage[] =
    "usage: mibq [-c COMMUNITY] [-m MODE] [-v] ADDRESS get OID...\n"
    "       mibq [-c COMMUNITY] [-m MODE] [-v] ADDRESS walk OID\n"
    "       mibq [-c COMMUNITY] [-m MODE] [-v] ADDRESS set OID TYPE VALUE\n"
    "\n"
    "  ADDRESS    IP address (a.b.c.d) or IPX address (network:node; the two parts may\n"
    "             also be separated by '-', '.' or a space)\n"
    "  -c         community (default: public)\n"
    "  -m         access mode: platform (default; the platform SNMP library), gateway\n"
    "             (the MIB gateway library), auto (a get falls back to the gateway),\n"
    "             platformfirst (the platform library, else the gateway); the mode\n"
    "             reached is printed at the end\n"
    "  -v         write the request trace to standard error\n"
    "  TYPE       i (typeInteger), u (typeGauge), c (typeCounter), t (typeTimeTickes),\n"
    "             a (typeIpAddress), o (typeObjectIdentifier), s (typeOctetString),\n"
    "             x (typeOctetString from hexadecimal digits), or a type name\n"
    "\n"
    "The agent port is 161 unless LUMET_SNMP_PORT says otherwise; LUMET_SNMP_TIMEOUT_MS\n"
    "and LUMET_SNMP_RETRIES set the time-out of one try and the number of retries.\n"
    "IPX addresses are reached through the gateway's route table, the file that\n"
    "LUMET_KESTREL_ROUTES names (lines \"NETWORK:NODE = a.b.c.d[:port]\").\n";

int Usage(const char* a_message = nullptr)
{
    if (a_message)
        std::fprintf(stderr, "mibq: %s\n", a_message);
    std::fputs(kUsage, stderr);
    return 2;
}

class CStderrSink : public ITraceSink {
public:
    bool Write(const char* a_pch, std::size_t a_n) override
    {
        return std::fwrite(a_pch, 1, a_n, stderr) == a_n;
    }
    void Flush() override { std::fflush(stderr); }
};

std::string Escaped(const std::uint8_t* a_pb, std::size_t a_n)
{
    std::string text;
    text.reserve(a_n);
    for (std::size_t i = 0; i < a_n; ++i) {
        std::uint8_t b = a_pb[i];
        if (b == '\\') {
            text += "\\\\";
        } else if (b < 0x20 || b >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            text += hex;
        } else {
            text += static_cast<char>(b);
        }
    }
    return text;
}

std::string FormatValue(const CMibValue& a_value)
{
    char number[32];
    switch (a_value.GetType()) {
    case typeInteger:
        std::snprintf(number, sizeof number, "%d", static_cast<int>(static_cast<std::int32_t>(a_value.GetNumber())));
        return number;
    case typeUnsignedInteger:
    case typeCounter:
    case typeGauge:
    case typeTimeTickes:
        std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(a_value.GetNumber()));
        return number;
    case typeCounter64:
        std::snprintf(number, sizeof number, "%llu",
                      (static_cast<unsigned long long>(a_value.GetHighWord()) << 32) | a_value.GetNumber());
        return number;
    case typeOctetString:
    case typeBitString:
    case typeOpaque:
        return Escaped(a_value.GetBytes(), a_value.GetByteCount());
    case typeIpAddress: {
        std::string text;
        const std::uint8_t* pb = a_value.GetBytes();
        for (std::size_t i = 0; i < a_value.GetByteCount(); ++i) {
            std::snprintf(number, sizeof number, i ? ".%u" : "%u", static_cast<unsigned>(pb[i]));
            text += number;
        }
        return text;
    }
    case typeObjectIdentifier: {
        CObjectId oid;
        a_value.GetObjectId(oid);
        return oid.Format();
    }
    default:
        return {};
    }
}

std::string TypeName(std::int32_t a_nType)
{
    if (const char* name = MibTypeName(a_nType))
        return name;
    return "type(" + std::to_string(a_nType) + ")";
}

bool ParseMode(std::string_view a_text, MibAccessMode& a_nMode)
{
    if (a_text == "platform" || a_text == "accessPlatform")
        a_nMode = accessPlatform;
    else if (a_text == "auto" || a_text == "accessAuto")
        a_nMode = accessAuto;
    else if (a_text == "gateway" || a_text == "accessGateway")
        a_nMode = accessGateway;
    else if (a_text == "platformfirst" || a_text == "accessPlatformFirst")
        a_nMode = accessPlatformFirst;
    else
        return false;
    return true;
}

bool ParseOid(const char* a_text, CObjectId& a_oid)
{
    std::string_view text(a_text);
    if (!text.empty() && text.front() == '.')
        text.remove_prefix(1);
    return !text.empty() && a_oid.Parse(text) && !a_oid.IsEmpty();
}

bool ParseLong(const char* a_text, long long a_min, long long a_max, long long& a_n)
{
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(a_text, &end, 0);
    if (!*a_text || *end || errno || n < a_min || n > a_max)
        return false;
    a_n = n;
    return true;
}

// Fills a_value from a set's TYPE and VALUE arguments; false when they do
// not describe a value.
bool MakeSetValue(std::string_view a_type, const char* a_text, CMibValue& a_value)
{
    long long n = 0;
    if (a_type == "i" || a_type == "typeInteger") {
        if (!ParseLong(a_text, INT32_MIN, INT32_MAX, n))
            return false;
        a_value.SetInteger(static_cast<std::int32_t>(n));
        return true;
    }
    struct Unsigned {
        const char* letter;
        const char* name;
        std::int32_t nType;
    };
    for (const Unsigned& u : {Unsigned{"u", "typeGauge", typeGauge}, Unsigned{"c", "typeCounter", typeCounter},
                              Unsigned{"t", "typeTimeTickes", typeTimeTickes},
                              Unsigned{"", "typeUnsignedInteger", typeUnsignedInteger}}) {
        if ((*u.letter && a_type == u.letter) || a_type == u.name) {
            if (!ParseLong(a_text, 0, UINT32_MAX, n))
                return false;
            a_value.StoreNumber(static_cast<std::uint32_t>(n));
            a_value.SetTypeAndLength(u.nType, 4);
            return true;
        }
    }
    if (a_type == "s" || a_type == "typeOctetString") {
        std::size_t len = std::strlen(a_text);
        a_value.StoreBytesZ(reinterpret_cast<const std::uint8_t*>(a_text), len);
        a_value.SetTypeAndLength(typeOctetString, static_cast<std::int32_t>(len));
        return true;
    }
    if (a_type == "x") {
        std::vector<std::uint8_t> ab;
        std::string digits;
        for (const char* p = a_text; *p; ++p)
            if (!std::strchr(" :.-", *p))
                digits += *p;
        if (digits.size() % 2)
            return false;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            long long b;
            if (!ParseLong(("0x" + digits.substr(i, 2)).c_str(), 0, 255, b))
                return false;
            ab.push_back(static_cast<std::uint8_t>(b));
        }
        a_value.StoreBytesZ(ab.data(), ab.size());
        a_value.SetTypeAndLength(typeOctetString, static_cast<std::int32_t>(ab.size()));
        return true;
    }
    if (a_type == "a" || a_type == "typeIpAddress") {
        CAddressIp ip(a_text);
        if (!ip.IsValid())
            return false;
        a_value.StoreBytes(ip.Components().data(), 4);
        a_value.SetTypeAndLength(typeIpAddress, 4);
        return true;
    }
    if (a_type == "o" || a_type == "typeObjectIdentifier") {
        CObjectId oid;
        if (!ParseOid(a_text, oid))
            return false;
        std::size_t len = a_value.StoreObjectId(oid.Data(), oid.GetCount());
        a_value.SetTypeAndLength(typeObjectIdentifier, static_cast<std::int32_t>(len));
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::string community = "public";
    MibAccessMode nMode = accessPlatform;
    bool bTrace = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; ++i) {
        std::string_view option(argv[i]);
        if (option == "-c" && i + 1 < argc) {
            community = argv[++i];
        } else if (option == "-m" && i + 1 < argc) {
            if (!ParseMode(argv[++i], nMode))
                return Usage("unknown access mode");
        } else if (option == "-v") {
            bTrace = true;
        } else if (option == "-h" || option == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            return Usage("unknown option");
        }
    }
    if (argc - i < 3)
        return Usage();
    const char* addressText = argv[i++];
    std::string_view command(argv[i++]);

    CMibRequest request;
    CAddressIp ip(addressText);
    CAddressIpx ipx(addressText);
    if (ip.IsValid())
        request.SetIpAddress(ip.Format());
    else if (ipx.IsValid())
        request.SetIpxAddress(ipx.Format());
    else
        return Usage("not an IP or IPX address");
    request.SetCommunity(community);
    request.SetAccessMode(nMode);

    int nCount = 0;
    if (command == "get" || command == "walk") {
        if (command == "walk" && argc - i != 1)
            return Usage("walk takes one identifier");
        for (; i < argc; ++i) {
            CObjectId oid;
            if (!ParseOid(argv[i], oid))
                return Usage("not an object identifier");
            request.Values().emplace_back(oid);
        }
    } else if (command == "set") {
        if (argc - i != 3)
            return Usage("set takes OID TYPE VALUE");
        CObjectId oid;
        if (!ParseOid(argv[i], oid))
            return Usage("not an object identifier");
        CMibValue value(oid);
        if (!MakeSetValue(argv[i + 1], argv[i + 2], value))
            return Usage("TYPE and VALUE do not make a value");
        request.Values().push_back(std::move(value));
    } else {
        return Usage("command is get, walk or set");
    }

    if (bTrace)
        MibTraceLog().Start(std::make_unique<CStderrSink>());
    if (command == "get")
        nCount = request.Load();
    else if (command == "walk")
        nCount = request.LoadEntry();
    else
        nCount = request.Store();
    MibTraceLog().Stop();

    for (const CMibValue& value : request.Values()) {
        std::string text = FormatValue(value);
        std::printf("%s %s%s%s\n", value.GetIdentifier().Format().c_str(), TypeName(value.GetType()).c_str(),
                    text.empty() ? "" : " ", text.c_str());
    }
    std::printf("count=%d error=%d mode=%s\n", nCount, request.GetErrorFlag(),
                MibAccessModeName(request.GetAccessMode()));
    return request.GetErrorFlag() ? 1 : 0;
}
