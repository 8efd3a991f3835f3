// Names of the registry keys and values the programs read (all under
// HKEY_LOCAL_MACHINE), the position names of the dialogs, and the plug-in
// settings' defaults. One list, shared by the programs and by the
// installation step that creates the keys: the programs themselves never
// create a key, so a name spelt differently in two places would silently
// read as "missing".
#pragma once

// The product key and its values.
inline constexpr wchar_t kRegProductKey[] = L"SOFTWARE\\Lumet\\Lumet for OpenView";
inline constexpr wchar_t kRegInstall[] = L"Install";
inline constexpr wchar_t kRegMainTrace[] = L"Main_Trace";
inline constexpr wchar_t kRegMibTrace[] = L"Mib_Trace";

// The plug-in settings, in the subkey "Control" of the product key.
inline constexpr wchar_t kRegControlSubkey[] = L"Control";
inline constexpr wchar_t kRegControlKey[] = L"SOFTWARE\\Lumet\\Lumet for OpenView\\Control";
inline constexpr wchar_t kRegStatusWatch[] = L"Status_Watch";
inline constexpr wchar_t kRegAutoSearch[] = L"Auto_Search";
inline constexpr wchar_t kRegTrapAccept[] = L"Trap_Accept";
inline constexpr wchar_t kRegWriteEvent[] = L"Write_Event";
inline constexpr wchar_t kRegPollingTime[] = L"Polling_Time";
inline constexpr wchar_t kRegCommunityName[] = L"Community_Name";

// What the plug-in uses when a setting is missing or unreadable.
inline constexpr unsigned long kDefaultStatusWatch = 1;
inline constexpr unsigned long kDefaultAutoSearch = 1;
inline constexpr unsigned long kDefaultTrapAccept = 0;
inline constexpr unsigned long kDefaultWriteEvent = 0;
inline constexpr unsigned long kDefaultPollingTime = 5;  // minutes
inline constexpr wchar_t kDefaultCommunityName[] = L"vestry";

// Window positions: one REG_DWORD per position name in "Control\WndPos".
inline constexpr wchar_t kRegWndPosSubkey[] = L"WndPos";
inline constexpr wchar_t kPosPlugInAbout[] = L"PlugInAbout";
inline constexpr wchar_t kPosPlugInSearch[] = L"PlugInSearch";
inline constexpr wchar_t kPosPlugInSetup[] = L"PlugInSetup";
inline constexpr wchar_t kPosMessage[] = L"Message";  // shared by both programs
inline constexpr wchar_t kPosStatusMain[] = L"StatusMain";
inline constexpr wchar_t kPosStatusConsumable[] = L"StatusConsumable";
inline constexpr wchar_t kPosStatusPaper[] = L"StatusPaper";
inline constexpr wchar_t kPosStatusNetwork[] = L"StatusNetwork";
inline constexpr wchar_t kPosStatusPrinter[] = L"StatusPrinter";
inline constexpr const wchar_t* kAllPositionNames[] = {
    kPosPlugInAbout,  kPosMessage,           kPosPlugInSearch,
    kPosPlugInSetup,  kPosStatusMain,        kPosStatusConsumable,
    kPosStatusPaper,  kPosStatusNetwork,     kPosStatusPrinter,
};
// A stored position value meaning "no position" (what the installation
// writes, so that the first close of the dialog has a value to write into).
inline constexpr unsigned long kNoPosition = 0xFFFFFFFFul;

// Values of the map platform and of the system that the plug-in reads.
inline constexpr wchar_t kRegPlatformKey[] =
    L"SOFTWARE\\Hewlett-Packard\\OpenView\\Network Node Manager";
inline constexpr wchar_t kRegPathName[] = L"PathName";
inline constexpr wchar_t kRegBrowserCommandKey[] = L"SOFTWARE\\Classes\\http\\shell\\open\\command";

// The maker's installer library: the folder it is installed in, read by the
// uninstall extension to load it.
inline constexpr wchar_t kRegQxapiKey[] = L"Software\\Orvan\\QXAPIInfo";
inline constexpr wchar_t kRegQxapiInstallDir[] = L"InstallDir";
