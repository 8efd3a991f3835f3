// lumet-setup.exe: the product's installation step as a console command, for
// a person, the demo and test scripts. See Setup.h for what it creates.
#include <cstdio>
#include <string>

#include "Setup.h"

namespace {

void Print(FILE* a_pFile, const std::wstring& a_strText)
{
    // UTF-8 so that the output reads the same in a Linux terminal under Wine.
    const int cb = WideCharToMultiByte(CP_UTF8, 0, a_strText.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string strUtf8(cb > 0 ? static_cast<std::size_t>(cb) : 1u, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, a_strText.c_str(), -1, strUtf8.data(), cb, nullptr, nullptr);
    std::fputs(strUtf8.c_str(), a_pFile);
    std::fflush(a_pFile);
}

} // namespace

int wmain(int a_argc, wchar_t** a_argv)
{
    CSetupCommand command;
    std::wstring strError;
    if (!ParseSetupCommand(a_argc - 1, a_argv + 1, command, strError)) {
        Print(stderr, L"lumet-setup: " + strError + L" (lumet-setup /? lists the options)\n");
        return 2;
    }
    if (command.bHelp) {
        Print(stdout, kSetupUsage);
        return 0;
    }
    if (command.bUninstall) {
        if (!UninstallProduct(strError)) {
            Print(stderr, L"lumet-setup: " + strError + L"\n");
            return 1;
        }
        Print(stdout, L"lumet-setup: uninstalled\n");
        return 0;
    }
    if (!InstallProduct(command.options, strError)) {
        Print(stderr, L"lumet-setup: " + strError + L"\n");
        return 1;
    }
    Print(stdout, L"lumet-setup: installed in " + command.options.strInstallDir + L"\n");
    return 0;
}
