#include "MapInfoFiles.h"

namespace {

wchar_t FoldAscii(wchar_t a_ch)
{
    return (a_ch >= L'A' && a_ch <= L'Z') ? static_cast<wchar_t>(a_ch - L'A' + L'a') : a_ch;
}

bool IsSeparator(wchar_t a_ch)
{
    return a_ch == L'\\' || a_ch == L'/';
}

} // namespace

bool IsRemovableMapFile(std::wstring_view a_strName, bool a_bDirectory, bool a_bArchive)
{
    if (a_bDirectory || !a_bArchive)
        return false;
    const std::wstring_view strExtension = kMapFileExtension;
    if (a_strName.size() < strExtension.size())
        return false;
    const std::wstring_view strEnd = a_strName.substr(a_strName.size() - strExtension.size());
    for (std::size_t i = 0; i < strExtension.size(); ++i)
        if (FoldAscii(strEnd[i]) != strExtension[i])
            return false;
    return true;
}

std::wstring JoinPath(std::wstring_view a_strFolder, std::wstring_view a_strName)
{
    std::wstring strPath(a_strFolder);
    if (strPath.empty() || !IsSeparator(strPath.back()))
        strPath += L'\\';
    strPath += a_strName;
    return strPath;
}

bool IsAbsoluteFolder(std::wstring_view a_strFolder)
{
    if (a_strFolder.size() >= 3 && a_strFolder[1] == L':' && IsSeparator(a_strFolder[2])) {
        const wchar_t chDrive = FoldAscii(a_strFolder[0]);
        return chDrive >= L'a' && chDrive <= L'z';
    }
    return a_strFolder.size() >= 3 && IsSeparator(a_strFolder[0]) && IsSeparator(a_strFolder[1]) &&
           !IsSeparator(a_strFolder[2]);
}
