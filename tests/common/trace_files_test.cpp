// The trace files on a real Windows file system: the registry switches, the
// numbered file names shared between program instances, the error box, and
// the exact bytes of a log.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProductKeys.h"
#include "Registry.h"
#include "Setup.h"
#include "TraceFiles.h"
#include "WinTestSupport.h"

namespace {

using wintest::FileExists;
using wintest::ReadWholeFile;

// Local date and time as a trace writes them.
const std::string kStamp = "\\d{4}/\\d{1,2}/\\d{1,2}, \\d{1,2}:\\d\\d\\.\\d\\d";
const std::string kOpening = "@" + kStamp + "\r\n";

std::string MainPrefix(DWORD a_dwThread)
{
    char handle[16];
    std::snprintf(handle, sizeof handle, "%12lu", static_cast<unsigned long>(a_dwThread));
    return std::string("m_hThread=") + handle + ", " + kStamp + " : ";
}

enum class Which { Main, Mib };

BOOL Open(Which a_which)
{
    return a_which == Which::Main ? OpenMainTrace() : OpenMibTrace();
}

class TraceFiles : public ::testing::Test {
protected:
    void TearDown() override
    {
        CloseMibTrace();
        CloseMainTrace();
        m_install.reset();
    }

    // (Re)installs the product with the given switches and install folder.
    void Install(std::optional<DWORD> a_main, std::optional<DWORD> a_mib = std::nullopt,
                 const std::wstring& a_strInstall = {})
    {
        m_install.reset();
        CSetupOptions options;
        options.strInstallDir = a_strInstall.empty() ? m_strFolder : a_strInstall;
        options.dwMainTrace = a_main;
        options.dwMibTrace = a_mib;
        m_install.emplace(options);
        ASSERT_TRUE(m_install->Installed()) << wintest::Narrow(m_install->Error());
    }

    std::wstring Log(LPCWSTR a_pszName) const { return m_strFolder + L"\\" + a_pszName; }

    const std::wstring m_strFolder = TemporaryInstallDir(L"trace_test");
    std::optional<CScopedInstall> m_install;
};

TEST_F(TraceFiles, OnlySwitchValueOneCreatesAFile)
{
    struct Case {
        const char* what;
        std::optional<DWORD> dwSwitch;
        BOOL bOn;
    };
    const Case cases[] = {
        {"absent", std::nullopt, FALSE}, {"0", 0, FALSE}, {"2", 2, FALSE}, {"1", 1, TRUE}};
    for (Which which : {Which::Main, Which::Mib}) {
        const LPCWSTR pszFile = which == Which::Main ? L"MainTrace1.log" : L"MibTrace1.log";
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(which == Which::Main ? "main, " : "request, ") + c.what);
            if (which == Which::Main)
                Install(c.dwSwitch, 1);
            else
                Install(1, c.dwSwitch);
            EXPECT_EQ(Open(which), c.bOn);
            EXPECT_EQ(FileExists(Log(pszFile)), c.bOn == TRUE);
            CloseMibTrace();
            CloseMainTrace();
        }
    }
}

TEST_F(TraceFiles, WithoutProductKeyNoTraceAndWithoutInstallValueTheRootOfC)
{
    m_install.reset();
    EXPECT_FALSE(OpenMainTrace());

    Install(1);
    {
        CRegistry reg;
        ASSERT_TRUE(reg.Open(HKEY_LOCAL_MACHINE, kRegProductKey));
        ASSERT_TRUE(reg.DeleteValue(kRegInstall));
    }
    const std::wstring strRootLog = L"C:\\MainTrace1.log";
    DeleteFileW(strRootLog.c_str());
    EXPECT_TRUE(OpenMainTrace());
    EXPECT_TRUE(FileExists(strRootLog));
    CloseMainTrace();
    EXPECT_TRUE(DeleteFileW(strRootLog.c_str()));
}

TEST_F(TraceFiles, InstallFolderWithOrWithoutTrailingBackslash)
{
    for (const std::wstring& strInstall : {m_strFolder, m_strFolder + L"\\"}) {
        SCOPED_TRACE(wintest::Narrow(strInstall));
        Install(1, std::nullopt, strInstall);
        ASSERT_TRUE(OpenMainTrace());
        Trace("here\n");
        CloseMainTrace();
        auto log = ReadWholeFile(Log(L"MainTrace1.log"));
        ASSERT_TRUE(log);
        EXPECT_TRUE(std::regex_match(*log, std::regex(kOpening + MainPrefix(GetCurrentThreadId()) +
                                                      "here\r\n")))
            << *log;
        EXPECT_FALSE(FileExists(Log(L"MainTrace2.log")));
    }
}

TEST_F(TraceFiles, LinesAreAppendedWithTheirPrefixesAndReadableAtOnce)
{
    Install(1, 1);
    ASSERT_TRUE(CreateDirectoryW(m_strFolder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    {
        // Left by an earlier run: kept, not truncated.
        HANDLE h = CreateFileW(Log(L"MainTrace1.log").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD dw = 0;
        WriteFile(h, "earlier\r\n", 9, &dw, nullptr);
        CloseHandle(h);
    }
    ASSERT_TRUE(OpenMainTrace());
    ASSERT_TRUE(OpenMibTrace());
    Trace("first part, ");
    Trace("second part %d\n", 2);
    TraceMib("request %s\n", "sent");

    // Still open: what was written is already in the file.
    const std::string strPrefix = MainPrefix(GetCurrentThreadId());
    auto main = ReadWholeFile(Log(L"MainTrace1.log"));
    ASSERT_TRUE(main);
    EXPECT_TRUE(std::regex_match(*main, std::regex("earlier\r\n" + kOpening + strPrefix +
                                                   "first part, " + strPrefix + "second part 2\r\n")))
        << *main;
    auto mib = ReadWholeFile(Log(L"MibTrace1.log"));
    ASSERT_TRUE(mib);
    EXPECT_TRUE(std::regex_match(*mib, std::regex(kOpening + kStamp + " : request sent\r\n"))) << *mib;

    CloseMibTrace();
    CloseMainTrace();
    Trace("after close\n");
    TraceMib("after close\n");
    EXPECT_EQ(ReadWholeFile(Log(L"MainTrace1.log")), main);
    EXPECT_EQ(ReadWholeFile(Log(L"MibTrace1.log")), mib);

    // Opening again appends a new opening line to the same file.
    ASSERT_TRUE(OpenMainTrace());
    CloseMainTrace();
    auto again = ReadWholeFile(Log(L"MainTrace1.log"));
    ASSERT_TRUE(again);
    ASSERT_GT(again->size(), main->size());
    EXPECT_EQ(again->substr(0, main->size()), *main);
    EXPECT_TRUE(std::regex_match(again->substr(main->size()), std::regex(kOpening))) << *again;
}

TEST_F(TraceFiles, SecondProgramWritesTheNextFile)
{
    Install(1);
    ASSERT_TRUE(OpenMainTrace());
    Trace("first program\n");
    EXPECT_EQ(wintest::RunAndWait(L"trace_second_process.exe", L""), 0u);
    auto first = ReadWholeFile(Log(L"MainTrace1.log"));
    auto second = ReadWholeFile(Log(L"MainTrace2.log"));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(first->find("second process"), std::string::npos) << *first;
    EXPECT_TRUE(std::regex_match(*second, std::regex(kOpening + "m_hThread= +\\d+, " + kStamp +
                                                     " : second process \\d+\r\n")))
        << *second;

    // Once the first file is free again, the next program takes it.
    CloseMainTrace();
    EXPECT_EQ(wintest::RunAndWait(L"trace_second_process.exe", L""), 0u);
    auto firstAfter = ReadWholeFile(Log(L"MainTrace1.log"));
    ASSERT_TRUE(firstAfter);
    EXPECT_NE(firstAfter->find("second process"), std::string::npos);
}

TEST_F(TraceFiles, AllTenFilesHeldShowsTheErrorBoxAndLeavesTheTraceOff)
{
    Install(1);
    struct Case {
        int nHeld;
        BOOL bOn;
        LPCWSTR pszWritten;  // the file that gets the trace, if any
    };
    for (const Case& c : {Case{9, TRUE, L"MainTrace10.log"}, Case{10, FALSE, nullptr}}) {
        SCOPED_TRACE(c.nHeld);
        std::vector<HANDLE> held;
        for (int n = 1; n <= c.nHeld; ++n) {
            const std::wstring strName = Log((L"MainTrace" + std::to_wstring(n) + L".log").c_str());
            HANDLE h = CreateFileW(strName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            held.push_back(h);
        }
        std::vector<wintest::CMessageBoxAnswerer::CBox> boxes;
        {
            wintest::CMessageBoxAnswerer answerer;
            EXPECT_EQ(OpenMainTrace(), c.bOn);
            boxes = answerer.Boxes();
        }
        Trace("line\n");
        CloseMainTrace();
        for (HANDLE h : held)
            CloseHandle(h);

        if (c.bOn) {
            EXPECT_TRUE(boxes.empty());
            auto log = ReadWholeFile(Log(c.pszWritten));
            ASSERT_TRUE(log);
            EXPECT_NE(log->find(" : line\r\n"), std::string::npos);
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].strCaption, kTraceErrorCaption);
            EXPECT_EQ(boxes[0].strText, L"ERROR in initTrace(), CFileException::m_cause = -1");
            for (int n = 1; n <= 11; ++n) {
                auto log = ReadWholeFile(Log((L"MainTrace" + std::to_wstring(n) + L".log").c_str()));
                EXPECT_TRUE(n <= 10 ? log == std::string() : !log) << n;
            }
        }
        for (int n = 1; n <= 10; ++n)
            DeleteFileW(Log((L"MainTrace" + std::to_wstring(n) + L".log").c_str()).c_str());
    }
}

TEST_F(TraceFiles, LinesOfSeveralThreadsNeverInterleave)
{
    Install(1);
    ASSERT_TRUE(OpenMainTrace());
    constexpr int kThreads = 4, kLines = 150;
    std::vector<DWORD> ids(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &ids] {
            ids[t] = GetCurrentThreadId();
            const std::string strPadding(100, static_cast<char>('a' + t));
            for (int i = 0; i < kLines; ++i)
                Trace("worker %d line %d %s\n", t, i, strPadding.c_str());
        });
    for (std::thread& th : threads)
        th.join();
    CloseMainTrace();

    auto log = ReadWholeFile(Log(L"MainTrace1.log"));
    ASSERT_TRUE(log);
    std::istringstream lines(log->substr(log->find("\r\n") + 2));
    const std::regex line("m_hThread= *(\\d+), " + kStamp + " : worker (\\d) line (\\d+) ([a-d]+)\r");
    std::vector<int> next(kThreads, 0);
    int count = 0;
    for (std::string l; std::getline(lines, l); ++count) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l;
        const int t = std::stoi(m[2]);
        EXPECT_EQ(std::stoul(m[1]), ids[t]);
        EXPECT_EQ(std::stoi(m[3]), next[t]++);
        EXPECT_EQ(m[4].str(), std::string(100, static_cast<char>('a' + t)));
    }
    EXPECT_EQ(count, kThreads * kLines);
}

} // namespace
