// Which entries of the map information folder go, and which install
// folders are trusted to hold them. Here the archive attribute can be
// cleared, which Wine's file system cannot show.
#include <gtest/gtest.h>

#include <string>

#include "MapInfoFiles.h"

namespace {

std::string Narrow(const std::wstring& a_str)
{
    return std::string(a_str.begin(), a_str.end());
}

TEST(MapInfoFiles, OnlyArchivedFilesNamedDotMapGo)
{
    struct Case {
        const wchar_t* pszName;
        bool bDirectory;
        bool bArchive;
        bool bRemovable;
    };
    for (const Case& c : {
             Case{L"default.map", false, true, true},
             Case{L"Floor 2.MAP", false, true, true},
             Case{L".map", false, true, true},
             Case{L"default.map", false, false, false},  // archive attribute cleared
             Case{L"old.map", true, true, false},         // a folder named like a map file
             Case{L"plan.mapx", false, true, false},      // found through its short name PLAN~1.MAP
             Case{L"default.map.bak", false, true, false},
             Case{L"map", false, true, false},
             Case{L"", false, true, false},
         }) {
        SCOPED_TRACE(Narrow(c.pszName));
        EXPECT_EQ(IsRemovableMapFile(c.pszName, c.bDirectory, c.bArchive), c.bRemovable);
    }
}

TEST(MapInfoFiles, PathsAndTrustedFolders)
{
    EXPECT_EQ(JoinPath(L"C:\\Lumet", L"MapInfo"), L"C:\\Lumet\\MapInfo");
    EXPECT_EQ(JoinPath(L"C:\\Lumet\\", L"MapInfo"), L"C:\\Lumet\\MapInfo");
    EXPECT_EQ(JoinPath(L"C:\\", L"QXAPISet.dll"), L"C:\\QXAPISet.dll");

    for (const wchar_t* pszFolder : {L"C:\\Lumet", L"d:/Lumet", L"C:\\", L"\\\\server\\share\\Lumet"}) {
        SCOPED_TRACE(Narrow(pszFolder));
        EXPECT_TRUE(IsAbsoluteFolder(pszFolder));
    }
    for (const wchar_t* pszFolder : {L"", L"Lumet", L"C:", L"C:Lumet", L"\\Lumet", L"\\\\", L"\\\\\\x", L"1:\\x"}) {
        SCOPED_TRACE(Narrow(pszFolder));
        EXPECT_FALSE(IsAbsoluteFolder(pszFolder));
    }
}

} // namespace
