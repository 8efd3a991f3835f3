#include "UiDriver.h"

#include "Gdi.h"

#include <cstdio>
#include <vector>

namespace uidriver {

bool WaitFor(const std::function<bool()>& a_pred, DWORD a_dwTimeOut)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (a_pred())
            return true;
        if (::GetTickCount() - start >= a_dwTimeOut)
            return false;
        ::Sleep(10);
    }
}

namespace {

struct FindDialog {
    HWND m_hOwner;
    HWND m_hFound;
};

bool IsDialogClass(HWND a_hWnd)
{
    wchar_t cls[16] = {};
    return ::GetClassNameW(a_hWnd, cls, 16) > 0 && ::lstrcmpW(cls, L"#32770") == 0;
}

BOOL CALLBACK FindDialogProc(HWND a_hWnd, LPARAM a_lParam)
{
    auto* find = reinterpret_cast<FindDialog*>(a_lParam);
    if (!::IsWindowVisible(a_hWnd) || !IsDialogClass(a_hWnd))
        return TRUE;
    if (find->m_hOwner && ::GetWindow(a_hWnd, GW_OWNER) != find->m_hOwner)
        return TRUE;
    find->m_hFound = a_hWnd;
    return FALSE;
}

} // namespace

HWND WaitForDialogOfThread(DWORD a_dwThreadId, HWND a_hOwner, DWORD a_dwTimeOut)
{
    FindDialog find{a_hOwner, nullptr};
    WaitFor(
        [&] {
            ::EnumThreadWindows(a_dwThreadId, &FindDialogProc, reinterpret_cast<LPARAM>(&find));
            return find.m_hFound != nullptr;
        },
        a_dwTimeOut);
    return find.m_hFound;
}

HWND WaitForMessageBox(HWND a_hOwner, DWORD a_dwTimeOut)
{
    DWORD tid = ::GetWindowThreadProcessId(a_hOwner, nullptr);
    return WaitForDialogOfThread(tid, a_hOwner, a_dwTimeOut);
}

std::wstring MessageBoxText(HWND a_hBox)
{
    // The text of a system message box is its static with id 0xFFFF.
    return WindowText(::GetDlgItem(a_hBox, 0xFFFF));
}

HWND FocusOf(HWND a_hWnd)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD tid = ::GetWindowThreadProcessId(a_hWnd, nullptr);
    if (!::GetGUIThreadInfo(tid, &info))
        return nullptr;
    return info.hwndFocus;
}

void PressKey(HWND a_hWnd, UINT a_vk)
{
    HWND target = FocusOf(a_hWnd);
    if (!target)
        target = a_hWnd;
    UINT scan = ::MapVirtualKeyW(a_vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    ::PostMessageW(target, WM_KEYDOWN, a_vk, down);
    ::PostMessageW(target, WM_KEYUP, a_vk, up);
}

void ClickButton(HWND a_hDlg, int a_nId)
{
    ::PostMessageW(::GetDlgItem(a_hDlg, a_nId), BM_CLICK, 0, 0);
}

std::wstring WindowText(HWND a_hWnd)
{
    wchar_t text[1024] = {};
    // WM_GETTEXT works across threads (GetWindowText would not ask them).
    ::SendMessageTimeoutW(a_hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                          5000, nullptr);
    return text;
}

SIZE WindowSize(HWND a_hWnd)
{
    RECT rc{};
    ::GetWindowRect(a_hWnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

bool SaveWindowBitmap(HWND a_hWnd, const std::wstring& a_strPath)
{
    RECT rc{};
    if (!::GetWindowRect(a_hWnd, &rc))
        return false;
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0)
        return false;
    // What the display shows there: the window and its frame as drawn.
    winui::WindowDC screen(nullptr);
    winui::MemoryDC mem(screen.get());
    winui::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), cx, cy));
    if (!screen || !mem || !bitmap)
        return false;
    {
        winui::SelectObjectGuard select(mem.get(), bitmap.get());
        if (!select.Selected() ||
            !::BitBlt(mem.get(), 0, 0, cx, cy, screen.get(), rc.left, rc.top, SRCCOPY))
            return false;
    }
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof bih;
    bih.biWidth = cx;
    bih.biHeight = cy;
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(cx) * 3 + 3) & ~3u;
    std::vector<BYTE> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(cy));
    if (::GetDIBits(mem.get(), bitmap.get(), 0, static_cast<UINT>(cy), bits.data(),
                    reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS) != cy)
        return false;
    BITMAPFILEHEADER bfh{};
    bfh.bfType = 0x4D42;  // "BM"
    bfh.bfOffBits = sizeof bfh + sizeof bih;
    bfh.bfSize = bfh.bfOffBits + static_cast<DWORD>(bits.size());
    FILE* f = _wfopen(a_strPath.c_str(), L"wb");
    if (!f)
        return false;
    bool ok = std::fwrite(&bfh, sizeof bfh, 1, f) == 1 && std::fwrite(&bih, sizeof bih, 1, f) == 1 &&
              std::fwrite(bits.data(), 1, bits.size(), f) == bits.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace uidriver
