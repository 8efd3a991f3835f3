#include "ResourceStringTable.h"

#include "Application.h"

namespace winui {

std::string Utf8FromWide(const std::wstring& a_str)
{
    if (a_str.empty() || a_str.size() > 0x7FFFFFFF)
        return {};
    const int nChars = static_cast<int>(a_str.size());
    int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, a_str.data(), nChars, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return {};
    std::string text(static_cast<std::size_t>(nBytes), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, a_str.data(), nChars, text.data(), nBytes, nullptr, nullptr) != nBytes)
        return {};
    return text;
}

std::string ResourceStringTable::Load(unsigned a_nId) const
{
    return Utf8FromWide(LoadResString(a_nId));
}

} // namespace winui
