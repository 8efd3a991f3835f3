#include "StringTableResource.h"

std::string Utf8FromWide(const wchar_t* a_pwch, int a_nChars)
{
    if (!a_pwch || a_nChars <= 0)
        return {};
    int nBytes = WideCharToMultiByte(CP_UTF8, 0, a_pwch, a_nChars, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        return {};
    std::string text(static_cast<std::size_t>(nBytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, a_pwch, a_nChars, text.data(), nBytes, nullptr, nullptr) != nBytes)
        return {};
    return text;
}

std::string CStringTableResource::Load(unsigned a_nId) const
{
    // With a buffer size of 0, LoadStringW stores a read-only pointer to the
    // resource text itself and returns its length, so no text is ever cut to
    // a buffer. The text is not zero-terminated there.
    const wchar_t* pwch = nullptr;
    int nChars = LoadStringW(m_hModule, a_nId, reinterpret_cast<LPWSTR>(&pwch), 0);
    if (nChars <= 0 || !pwch)
        return {};
    return Utf8FromWide(pwch, nChars);
}
