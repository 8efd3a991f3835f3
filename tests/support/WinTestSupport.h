// Small helpers for the Windows tests: run another of our programs from the
// test's own bin folder, read a file that a program still holds open, and
// answer message boxes the way a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// The folder of the running test executable, with a trailing backslash:
// every program and DLL of the build sits there.
inline std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring strPath(path, n);
    return strPath.substr(0, strPath.rfind(L'\\') + 1);
}

inline constexpr DWORD kTimedOut = 0xFFFFFFFE;

// Starts a_strCommandLine (the program is looked up in the bin folder when
// the command starts with a bare name) and waits for it; the exit code, or
// kTimedOut after ending a program that did not finish in time.
inline DWORD RunAndWait(const std::wstring& a_strProgram, const std::wstring& a_strArguments,
                        DWORD a_dwTimeoutMs = 20000)
{
    const std::wstring strExe = a_strProgram.find(L'\\') == std::wstring::npos
                                    ? BinFolder() + a_strProgram
                                    : a_strProgram;
    std::wstring strCommand = L"\"" + strExe + L"\" " + a_strArguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(strExe.c_str(), strCommand.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return GetLastError();
    DWORD dwExit = kTimedOut;
    if (WaitForSingleObject(pi.hProcess, a_dwTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &dwExit);
    else
        TerminateProcess(pi.hProcess, kTimedOut);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExit;
}

// The whole file, also while a program holds it open for writing; nothing
// when it does not exist.
inline std::optional<std::string> ReadWholeFile(const std::wstring& a_strPath)
{
    HANDLE h = CreateFileW(a_strPath.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string strData;
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(h, buffer, sizeof buffer, &dwRead, nullptr) && dwRead > 0)
        strData.append(buffer, dwRead);
    CloseHandle(h);
    return strData;
}

// UTF-8, for test messages.
inline std::string Narrow(const std::wstring& a_str)
{
    const int cb = WideCharToMultiByte(CP_UTF8, 0, a_str.data(), static_cast<int>(a_str.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string strOut(cb > 0 ? static_cast<std::size_t>(cb) : 0u, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, a_str.data(), static_cast<int>(a_str.size()), strOut.data(),
                            cb, nullptr, nullptr);
    return strOut;
}

inline bool FileExists(const std::wstring& a_strPath)
{
    return GetFileAttributesW(a_strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Watches the dialog boxes of one thread (a message box belongs to the
// thread that called MessageBox) and presses OK in each as it appears,
// remembering its caption and text.
class CMessageBoxAnswerer {
public:
    struct CBox {
        std::wstring strCaption;
        std::wstring strText;
    };

    explicit CMessageBoxAnswerer(DWORD a_dwThreadId = GetCurrentThreadId())
        : m_dwThreadId(a_dwThreadId), m_watcher([this] { Watch(); })
    {
    }
    ~CMessageBoxAnswerer()
    {
        m_bStop = true;
        m_watcher.join();
    }
    CMessageBoxAnswerer(const CMessageBoxAnswerer&) = delete;
    CMessageBoxAnswerer& operator=(const CMessageBoxAnswerer&) = delete;

    std::vector<CBox> Boxes()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_boxes;
    }

private:
    void Watch()
    {
        while (!m_bStop) {
            EnumThreadWindows(m_dwThreadId, &CMessageBoxAnswerer::OnWindow,
                              reinterpret_cast<LPARAM>(this));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static BOOL CALLBACK OnWindow(HWND a_hwnd, LPARAM a_lParam)
    {
        auto* self = reinterpret_cast<CMessageBoxAnswerer*>(a_lParam);
        wchar_t className[32] = {};
        GetClassNameW(a_hwnd, className, 32);
        if (std::wstring(className) != L"#32770" || !IsWindowVisible(a_hwnd) ||
            self->m_answered.count(a_hwnd))
            return TRUE;
        CBox box;
        wchar_t text[1024] = {};
        GetWindowTextW(a_hwnd, text, 1024);
        box.strCaption = text;
        // The message is the box's longest static text (the icon is a
        // static without text).
        EnumChildWindows(
            a_hwnd,
            [](HWND a_hChild, LPARAM a_lBox) -> BOOL {
                wchar_t cls[32] = {};
                GetClassNameW(a_hChild, cls, 32);
                if (_wcsicmp(cls, L"Static") == 0) {
                    wchar_t childText[1024] = {};
                    GetWindowTextW(a_hChild, childText, 1024);
                    auto* pBox = reinterpret_cast<CBox*>(a_lBox);
                    if (wcslen(childText) > pBox->strText.size())
                        pBox->strText = childText;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&box));
        self->m_answered.insert(a_hwnd);
        {
            std::lock_guard<std::mutex> hold(self->m_lock);
            self->m_boxes.push_back(box);
        }
        PostMessageW(a_hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(a_hwnd, IDOK)));
        return TRUE;
    }

    const DWORD m_dwThreadId;
    std::atomic<bool> m_bStop{false};
    std::set<HWND> m_answered;  // watcher thread only
    std::mutex m_lock;
    std::vector<CBox> m_boxes;
    std::thread m_watcher;  // last: starts once the members above exist
};

} // namespace wintest
