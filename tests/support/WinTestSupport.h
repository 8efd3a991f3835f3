// Small helpers for the Windows tests: run another of our programs from the
// test's own bin folder, read a file that a program still holds open, and
// answer message boxes the way a user would (and read what they show).
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
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

// A program started from the bin folder and left running, so that a test
// can answer its windows (they belong to the thread ThreadId()) before it
// waits for it. Its standard output goes to a_strOutputFile when one is
// given. Ended at destruction if it still runs.
class CRunningProgram {
public:
    CRunningProgram(const std::wstring& a_strProgram, const std::wstring& a_strArguments,
                    const std::wstring& a_strOutputFile = std::wstring())
    {
        const std::wstring strExe = a_strProgram.find(L'\\') == std::wstring::npos
                                        ? BinFolder() + a_strProgram
                                        : a_strProgram;
        std::wstring strCommand = L"\"" + strExe + L"\" " + a_strArguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        HANDLE hOutput = INVALID_HANDLE_VALUE;
        if (!a_strOutputFile.empty()) {
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            hOutput = CreateFileW(a_strOutputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (hOutput != INVALID_HANDLE_VALUE) {
                si.dwFlags = STARTF_USESTDHANDLES;
                si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
                si.hStdOutput = hOutput;
                si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
            }
        }
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(strExe.c_str(), strCommand.data(), nullptr, nullptr,
                           hOutput != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &si, &pi)) {
            m_hProcess = pi.hProcess;
            m_dwThreadId = pi.dwThreadId;
            CloseHandle(pi.hThread);
        } else {
            m_dwStartError = GetLastError();
        }
        if (hOutput != INVALID_HANDLE_VALUE)
            CloseHandle(hOutput);
    }
    ~CRunningProgram()
    {
        if (m_hProcess) {
            if (WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(m_hProcess, kTimedOut);
            CloseHandle(m_hProcess);
        }
    }
    CRunningProgram(const CRunningProgram&) = delete;
    CRunningProgram& operator=(const CRunningProgram&) = delete;

    bool Started() const { return m_hProcess != nullptr; }
    DWORD StartError() const { return m_dwStartError; }
    DWORD ThreadId() const { return m_dwThreadId; }
    // The exit code, or kTimedOut after ending a program that did not
    // finish in time.
    DWORD Wait(DWORD a_dwTimeoutMs = 20000)
    {
        if (!m_hProcess)
            return m_dwStartError;
        DWORD dwExit = kTimedOut;
        if (WaitForSingleObject(m_hProcess, a_dwTimeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_hProcess, &dwExit);
        else
            TerminateProcess(m_hProcess, kTimedOut);
        return dwExit;
    }

private:
    HANDLE m_hProcess = nullptr;
    DWORD m_dwThreadId = 0;
    DWORD m_dwStartError = 0;
};

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

// The system icon a message box shows.
enum class BoxIcon { None, Information, Warning, Error, Question, Other, Unknown };

inline const char* BoxIconName(BoxIcon a_icon)
{
    switch (a_icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Information: return "information";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Error: return "error";
    case BoxIcon::Question: return "question";
    case BoxIcon::Other: return "other";
    case BoxIcon::Unknown: return "unknown";
    }
    return "?";
}

// The pixels of an icon drawn at 32x32 on white; empty when it cannot be
// drawn (an icon of another process cannot be).
inline std::vector<DWORD> IconPixels(HICON a_hIcon)
{
    constexpr int kSize = 32;
    std::vector<DWORD> pixels;
    HDC hScreen = GetDC(nullptr);
    HDC hMemory = CreateCompatibleDC(hScreen);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = kSize;
    bmi.bmiHeader.biHeight = -kSize;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hMemory && hBitmap) {
        HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
        RECT rc{0, 0, kSize, kSize};
        FillRect(hMemory, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (DrawIconEx(hMemory, 0, 0, a_hIcon, kSize, kSize, 0, nullptr, DI_NORMAL)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(pBits);
            pixels.assign(p, p + kSize * kSize);
        }
        SelectObject(hMemory, hOld);
    }
    if (hBitmap)
        DeleteObject(hBitmap);
    if (hMemory)
        DeleteDC(hMemory);
    ReleaseDC(nullptr, hScreen);
    return pixels;
}

// Which system icon a_hIcon is: the same handle, or failing that the same
// picture. Only for icons of this process.
inline BoxIcon ClassifyIcon(HICON a_hIcon)
{
    if (a_hIcon == nullptr)
        return BoxIcon::None;
    const std::pair<LPCWSTR, BoxIcon> known[] = {
        {IDI_INFORMATION, BoxIcon::Information},
        {IDI_WARNING, BoxIcon::Warning},
        {IDI_ERROR, BoxIcon::Error},
        {IDI_QUESTION, BoxIcon::Question},
    };
    for (auto [pszId, icon] : known)
        if (LoadIconW(nullptr, pszId) == a_hIcon)
            return icon;
    const std::vector<DWORD> pixels = IconPixels(a_hIcon);
    if (pixels.empty())
        return BoxIcon::Unknown;
    for (auto [pszId, icon] : known)
        if (IconPixels(LoadIconW(nullptr, pszId)) == pixels)
            return icon;
    return BoxIcon::Other;
}

// Watches the dialog boxes of one thread (a message box belongs to the
// thread that called MessageBox) and answers each as it appears, the way a
// user would: by the button the test chose for it, or with OK once the
// chosen answers are used up. It remembers what each box showed.
class CMessageBoxAnswerer {
public:
    struct CBox {
        std::wstring strCaption;
        std::wstring strText;
        HWND hwnd = nullptr;
        HWND hwndOwner = nullptr;
        std::wstring strOwnerClass;  // the window class of its owner
        std::vector<int> buttons;  // the ids of its push buttons, in window order
        int nDefault = 0;          // the id of its default button, 0 when none
        bool bTopmost = false;     // Wine does not show MB_TOPMOST this way
        BoxIcon icon = BoxIcon::None;  // Unknown for a box of another process
    };

    // Called on the watcher thread with each box (and its number from 0)
    // before it is answered, e.g. to take a picture of it; when it returns
    // true it has answered the box itself (say by pressing Enter).
    using OnBox = std::function<bool(const CBox& a_box, std::size_t a_nIndex)>;

    explicit CMessageBoxAnswerer(DWORD a_dwThreadId = GetCurrentThreadId())
        : CMessageBoxAnswerer(std::vector<int>(), a_dwThreadId)
    {
    }
    // a_answers[i] is the button (IDYES, IDNO, IDOK, ...) that answers the
    // i-th box; later boxes get OK.
    explicit CMessageBoxAnswerer(std::vector<int> a_answers, DWORD a_dwThreadId = GetCurrentThreadId(),
                                 OnBox a_onBox = OnBox())
        : m_dwThreadId(a_dwThreadId),
          m_answers(std::move(a_answers)),
          m_onBox(std::move(a_onBox)),
          m_watcher([this] { Watch(); })
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

    static CBox ReadBox(HWND a_hwnd)
    {
        CBox box;
        box.hwnd = a_hwnd;
        box.hwndOwner = GetWindow(a_hwnd, GW_OWNER);
        if (box.hwndOwner) {
            wchar_t ownerClass[64] = {};
            GetClassNameW(box.hwndOwner, ownerClass, 64);
            box.strOwnerClass = ownerClass;
        }
        box.bTopmost = (GetWindowLongW(a_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        wchar_t text[1024] = {};
        GetWindowTextW(a_hwnd, text, 1024);
        box.strCaption = text;
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(a_hwnd, &dwProcess);
        const bool bOurs = dwProcess == GetCurrentProcessId();
        int nStyledDefault = 0;
        for (HWND hChild = GetWindow(a_hwnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            GetClassNameW(hChild, cls, 32);
            const LONG lStyle = GetWindowLongW(hChild, GWL_STYLE);
            if (_wcsicmp(cls, L"Static") == 0) {
                if ((lStyle & SS_TYPEMASK) == SS_ICON) {
                    box.icon = bOurs ? ClassifyIcon(reinterpret_cast<HICON>(
                                           SendMessageW(hChild, STM_GETICON, 0, 0)))
                                     : BoxIcon::Unknown;
                    continue;
                }
                // The message is the box's longest static text.
                wchar_t childText[1024] = {};
                GetWindowTextW(hChild, childText, 1024);
                if (wcslen(childText) > box.strText.size())
                    box.strText = childText;
            } else if (_wcsicmp(cls, L"Button") == 0 && IsWindowVisible(hChild)) {
                const int nId = GetDlgCtrlID(hChild);
                box.buttons.push_back(nId);
                if ((lStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    nStyledDefault = nId;
            }
        }
        // The default button is the one drawn as default (and so the one
        // Enter presses while the focus is on no other button); the box's
        // DM_GETDEFID is not kept up to date by every message box.
        box.nDefault = nStyledDefault;
        if (box.nDefault == 0) {
            const LRESULT lDefault = SendMessageW(a_hwnd, DM_GETDEFID, 0, 0);
            if (HIWORD(lDefault) == DC_HASDEFID)
                box.nDefault = LOWORD(lDefault);
        }
        return box;
    }

    static BOOL CALLBACK OnWindow(HWND a_hwnd, LPARAM a_lParam)
    {
        auto* self = reinterpret_cast<CMessageBoxAnswerer*>(a_lParam);
        wchar_t className[32] = {};
        GetClassNameW(a_hwnd, className, 32);
        if (std::wstring(className) != L"#32770" || !IsWindowVisible(a_hwnd) ||
            self->m_answered.count(a_hwnd))
            return TRUE;
        const CBox box = ReadBox(a_hwnd);
        self->m_answered.insert(a_hwnd);
        std::size_t nIndex;
        {
            std::lock_guard<std::mutex> hold(self->m_lock);
            nIndex = self->m_boxes.size();
            self->m_boxes.push_back(box);
        }
        if (self->m_onBox && self->m_onBox(box, nIndex))
            return TRUE;
        const int nAnswer = nIndex < self->m_answers.size() ? self->m_answers[nIndex] : IDOK;
        PostMessageW(a_hwnd, WM_COMMAND, MAKEWPARAM(nAnswer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(a_hwnd, nAnswer)));
        return TRUE;
    }

    const DWORD m_dwThreadId;
    const std::vector<int> m_answers;
    const OnBox m_onBox;
    std::atomic<bool> m_bStop{false};
    std::set<HWND> m_answered;  // watcher thread only
    std::mutex m_lock;
    std::vector<CBox> m_boxes;
    std::thread m_watcher;  // last: starts once the members above exist
};

} // namespace wintest
