// Which entries of the map information folder the uninstall extension
// deletes, and how it builds the paths it works on. Portable, so that the
// rule is also tested where a file's archive attribute can be cleared (Wine
// reports every plain file as archived).
#pragma once

#include <string>
#include <string_view>

// The map information folder below the install folder.
inline constexpr wchar_t kMapInfoFolder[] = L"MapInfo";
// The files the plug-in writes there: the map's name with this extension.
inline constexpr wchar_t kMapFileExtension[] = L".map";
// The search pattern handed to the file search in that folder.
inline constexpr wchar_t kMapFilePattern[] = L"*.map";

// A found entry is deleted only when it is a file, still has its archive
// attribute, and its own name ends with ".map" (any case). The last check
// matters: the file search also matches a name by its generated short name,
// so "*.map" finds "plan.mapx" (short name "PLAN~1.MAP") as well.
bool IsRemovableMapFile(std::wstring_view a_strName, bool a_bDirectory, bool a_bArchive);

// a_strFolder, a backslash (only when a_strFolder does not already end with
// one) and a_strName.
std::wstring JoinPath(std::wstring_view a_strFolder, std::wstring_view a_strName);

// A drive path ("C:\...") or a UNC path ("\\server\share..."): the only kind
// of install folder whose files may be deleted. A relative or empty folder
// would be taken from whatever the current directory happens to be.
bool IsAbsoluteFolder(std::wstring_view a_strFolder);
