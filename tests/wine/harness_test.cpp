// The Windows side of the test set-up works end to end: a real dialog from a
// compiled template, the registry under HKEY_LOCAL_MACHINE, and a registered
// window message posted by a worker thread to the dialog's thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "harness_test.h"

namespace {

UINT g_msgFromWorker = 0;
WPARAM g_receivedParam = 0;

INT_PTR CALLBACK HarnessDlgProc(HWND a_hwnd, UINT a_msg, WPARAM a_wParam, LPARAM)
{
    if (a_msg == WM_INITDIALOG)
        return TRUE;
    if (a_msg != 0 && a_msg == g_msgFromWorker) {
        g_receivedParam = a_wParam;
        SetDlgItemTextW(a_hwnd, IDC_HARNESS_TEXT, L"received");
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

TEST(WineHarness, RegistryValueUnderLocalMachine)
{
    const wchar_t* kKey = L"SOFTWARE\\LumetHarnessTest";
    HKEY hkey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &hkey, nullptr),
              ERROR_SUCCESS);
    DWORD written = 0x12345678;
    EXPECT_EQ(RegSetValueExW(hkey, L"Value", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&written), sizeof written),
              ERROR_SUCCESS);
    RegCloseKey(hkey);

    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &hkey), ERROR_SUCCESS);
    DWORD read = 0, type = 0, size = sizeof read;
    EXPECT_EQ(RegQueryValueExW(hkey, L"Value", nullptr, &type,
                               reinterpret_cast<BYTE*>(&read), &size),
              ERROR_SUCCESS);
    RegCloseKey(hkey);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read, written);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
}

TEST(WineHarness, DialogReceivesRegisteredMessageFromWorker)
{
    g_msgFromWorker = RegisterWindowMessageW(L"Lumet:HarnessTest:FromWorker");
    ASSERT_NE(g_msgFromWorker, 0u);

    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr),
                                   MAKEINTRESOURCEW(IDD_HARNESS_TEST), nullptr,
                                   HarnessDlgProc, 0);
    ASSERT_NE(hwnd, nullptr) << "CreateDialogParam failed, error " << GetLastError();
    ShowWindow(hwnd, SW_SHOW);

    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"Harness test");

    std::thread worker([hwnd] { PostMessageW(hwnd, g_msgFromWorker, 42, 0); });

    // Bounded wait: a lost message fails the test instead of hanging it.
    UINT_PTR timer = SetTimer(nullptr, 0, 10000, nullptr);
    MSG msg;
    bool timedOut = false;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            timedOut = true;
            break;
        }
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    KillTimer(nullptr, timer);
    worker.join();

    EXPECT_FALSE(timedOut);
    EXPECT_EQ(g_receivedParam, 42u);
    wchar_t text[32] = {};
    GetDlgItemTextW(hwnd, IDC_HARNESS_TEXT, text, 32);
    EXPECT_STREQ(text, L"received");
    EXPECT_TRUE(DestroyWindow(hwnd));
}

} // namespace
