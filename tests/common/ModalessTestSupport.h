// What the tests of the threads and modeless dialogs share: an application
// that records help requests, the main trace in memory, the "Message" position
// value in the registry, and starting a message box thread.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Application.h"
#include "MemoryTraceSink.h"
#include "ProductKeys.h"
#include "RecordingApp.h"
#include "Setup.h"
#include "ThreadModaless.h"
#include "Trace.h"
#include "UiDriver.h"

namespace modaless_test {

constexpr DWORD kWait = 10000;

// The main trace into memory while the object lives.
class CMainTraceCapture {
public:
    CMainTraceCapture() { MainTraceLog().Start(std::make_unique<CMemoryTraceSink>(m_text)); }
    ~CMainTraceCapture() { MainTraceLog().Stop(); }
    // Only once the trace is stopped (the sink writes without a lock of ours).
    std::string Stop()
    {
        MainTraceLog().Stop();
        return m_text;
    }

private:
    std::string m_text;
};

// The product installed (every position value holding the no-position
// mark) while the object lives.
class CInstalledProduct {
public:
    CInstalledProduct()
    {
        std::wstring error;
        m_bInstalled = InstallProduct(CSetupOptions{}, error);
        EXPECT_TRUE(m_bInstalled) << "installation failed";
    }
    ~CInstalledProduct()
    {
        std::wstring error;
        if (m_bInstalled) {
            EXPECT_TRUE(UninstallProduct(error));
        }
    }
    CInstalledProduct(const CInstalledProduct&) = delete;
    CInstalledProduct& operator=(const CInstalledProduct&) = delete;
    bool IsInstalled() const { return m_bInstalled; }

private:
    bool m_bInstalled = false;
};

// The position values as the registry holds them.
inline std::wstring WndPosKey()
{
    return std::wstring(kRegControlKey) + L"\\" + kRegWndPosSubkey;
}

inline std::optional<DWORD> GetPosValue(const wchar_t* a_pszName)
{
    DWORD dw = 0, cb = sizeof dw;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, WndPosKey().c_str(), a_pszName, RRF_RT_REG_DWORD,
                       nullptr, &dw, &cb) != ERROR_SUCCESS)
        return std::nullopt;
    return dw;
}

inline void RemovePosValue(const wchar_t* a_pszName)
{
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, WndPosKey().c_str(), a_pszName);
}

// A started message box thread and its window.
struct CStartedBox {
    std::unique_ptr<CThreadMessage> m_pThread;
    HWND m_hBox = nullptr;
};

inline CStartedBox StartMessageBox(std::unique_ptr<CThreadMessage> a_pThread)
{
    CStartedBox box{std::move(a_pThread), nullptr};
    if (!box.m_pThread->CreateThread() || !box.m_pThread->WaitInit(kWait))
        return box;
    box.m_hBox = uidriver::WaitForDialogOfThread(box.m_pThread->GetThreadId());
    return box;
}

// The thread has ended within the test's patience; then WaitExit must agree.
inline bool EndsByItself(CThreadModaless& a_thread)
{
    return ::WaitForSingleObject(a_thread.GetThreadHandle(), kWait) == WAIT_OBJECT_0 &&
           a_thread.WaitExit(0) && !a_thread.IsStillActive();
}

inline RECT WindowRect(HWND a_hWnd)
{
    RECT rc{};
    ::GetWindowRect(a_hWnd, &rc);
    return rc;
}

// A rectangle of dialog units in the dialog's pixels.
inline SIZE DialogUnits(HWND a_hDlg, int a_cx, int a_cy)
{
    RECT rc{0, 0, a_cx, a_cy};
    ::MapDialogRect(a_hDlg, &rc);
    return SIZE{rc.right, rc.bottom};
}

inline SIZE ClientSize(HWND a_hWnd)
{
    RECT rc{};
    ::GetClientRect(a_hWnd, &rc);
    return SIZE{rc.right, rc.bottom};
}

// The screenshots of a test run go next to the test executables.
inline std::wstring ScreenshotPath(const wchar_t* a_pszName)
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + a_pszName;
}

} // namespace modaless_test
