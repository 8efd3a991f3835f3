// The product's installation step. The programs never create a registry key
// or value; this step creates everything they read, so that a person, the
// demo and the tests all start from the same known state:
//
//   HKLM\SOFTWARE\Lumet\Lumet for OpenView
//       "Install" = the install folder, "Main_Trace"/"Mib_Trace" when asked
//       Control: the six plug-in settings (defaults unless asked otherwise)
//       Control\WndPos: every position name, holding the no-position mark
//   the install folder and its "MapInfo" folder
//   when asked: the map platform's "PathName", the web browser command
//   (the default value of SOFTWARE\Classes\http\shell\open\command) and
//   the maker's installer library folder (Software\Orvan\QXAPIInfo,
//   "InstallDir")
//
// Installing again with the same options gives the same state (the product
// key is rebuilt from the options each time). Platform values that existed
// before are kept under HKLM\SOFTWARE\Lumet\Setup and put back by Uninstall,
// or by an install that no longer asks for them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ProductKeys.h"

inline constexpr wchar_t kDefaultInstallDir[] = L"C:\\Program Files\\Lumet\\Lumet for OpenView";
// Where the installation remembers the platform values it replaced.
inline constexpr wchar_t kRegSetupRecordKey[] = L"SOFTWARE\\Lumet\\Setup";

struct CSetupOptions {
    std::wstring strInstallDir = kDefaultInstallDir;
    // Written only when set; otherwise the value is absent (trace off).
    std::optional<DWORD> dwMainTrace;
    std::optional<DWORD> dwMibTrace;
    // The plug-in settings under "Control".
    DWORD dwStatusWatch = kDefaultStatusWatch;
    DWORD dwAutoSearch = kDefaultAutoSearch;
    DWORD dwTrapAccept = kDefaultTrapAccept;
    DWORD dwWriteEvent = kDefaultWriteEvent;
    DWORD dwPollingTime = kDefaultPollingTime;
    std::wstring strCommunityName = kDefaultCommunityName;
    // Platform values, set only when given.
    std::optional<std::wstring> strPathName;
    std::optional<std::wstring> strBrowserCommand;
    std::optional<std::wstring> strQxapiInstallDir;
};

// On failure a_strError says what could not be done.
bool InstallProduct(const CSetupOptions& a_options, std::wstring& a_strError);
// Removes the product key, restores the platform values, deletes the trace
// files and map info files in the install folder and then the folders when
// they are empty. Succeeds when nothing is installed.
bool UninstallProduct(std::wstring& a_strError);

// The command line of lumet-setup.exe (arguments without the program name).
struct CSetupCommand {
    bool bUninstall = false;
    bool bHelp = false;
    CSetupOptions options;
};
bool ParseSetupCommand(int a_argc, const wchar_t* const* a_argv, CSetupCommand& a_command,
                       std::wstring& a_strError);
extern const wchar_t kSetupUsage[];

// For tests: installs in the constructor, uninstalls in the destructor.
class CScopedInstall {
public:
    explicit CScopedInstall(const CSetupOptions& a_options)
        : m_bInstalled(InstallProduct(a_options, m_strError))
    {
    }
    ~CScopedInstall()
    {
        std::wstring strIgnored;
        UninstallProduct(strIgnored);
    }
    CScopedInstall(const CScopedInstall&) = delete;
    CScopedInstall& operator=(const CScopedInstall&) = delete;

    bool Installed() const { return m_bInstalled; }
    const std::wstring& Error() const { return m_strError; }

private:
    std::wstring m_strError;
    bool m_bInstalled;
};

// A folder under the temporary folder, named after a_pszTag, for a test's
// install folder (not created here).
std::wstring TemporaryInstallDir(LPCWSTR a_pszTag);
