#include "IpxRoutes.h"

#include <cctype>
#include <fstream>

namespace kestrel {

namespace {

bool IsHex(std::string_view a_text)
{
    for (char ch : a_text)
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            return false;
    return !a_text.empty();
}

std::string_view Trim(std::string_view a_text)
{
    const char* const kSpace = " \t\r\n";
    const std::size_t first = a_text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = a_text.find_last_not_of(kSpace);
    return a_text.substr(first, last - first + 1);
}

} // namespace

bool NormalizeIpx(std::string_view a_text, std::string& a_out)
{
    std::string_view network;
    std::string_view node;
    const std::size_t sep = a_text.find_first_of(":-.");
    if (sep != std::string_view::npos) {
        network = a_text.substr(0, sep);
        node = a_text.substr(sep + 1);
    } else {
        if (a_text.size() < 13)
            return false;
        network = a_text.substr(0, a_text.size() - 12);
        node = a_text.substr(a_text.size() - 12);
    }
    if (!IsHex(network) || network.size() > 8 || !IsHex(node) || node.size() != 12)
        return false;
    while (network.size() > 1 && network.front() == '0')
        network.remove_prefix(1);
    std::string out;
    for (char ch : network)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    out += ':';
    for (char ch : node)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    a_out = std::move(out);
    return true;
}

bool LookUpIpxRoute(std::string_view a_ipx, const char* a_path, ovsnmp::CInetAddress& a_peer, bool& a_bHasPort)
{
    std::string key;
    if (!a_path || !*a_path || !NormalizeIpx(a_ipx, key))
        return false;
    std::ifstream file(a_path);
    std::string line;
    while (std::getline(file, line)) {
        std::string_view text(line);
        text = text.substr(0, text.find('#'));
        const std::size_t eq = text.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string routeKey;
        if (!NormalizeIpx(Trim(text.substr(0, eq)), routeKey) || routeKey != key)
            continue;
        // The first line for an address decides; a bad endpoint there is
        // no route rather than a guess at another line.
        const std::string endpoint(Trim(text.substr(eq + 1)));
        return ovsnmp::ParseInetAddress(endpoint.c_str(), a_peer, a_bHasPort);
    }
    return false;
}

} // namespace kestrel
