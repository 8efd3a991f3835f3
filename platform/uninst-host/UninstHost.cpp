// uninst-host.exe: stands in for the product's uninstaller where it meets
// the uninstall extension. It shows its own window (which has the focus, as
// the uninstaller's dialog would), loads Unwindle.dll by name from its own
// folder, calls UninstInitialize, reports the verdict and calls
// UninstUnInitialize. It removes nothing itself.
//
// Exit status: 0 the uninstall may go on, 1 it stops, 2 Unwindle.dll could
// not be loaded or lacks an entry point.
#include <cstdio>
#include <string>

#include "Unwindle.h"

namespace {

constexpr wchar_t kWindowClass[] = L"LumetUninstHost";
constexpr wchar_t kWindowTitle[] = L"Lumet for OpenView Uninstall";

void Print(FILE* a_pFile, const std::wstring& a_strText)
{
    const int cb = WideCharToMultiByte(CP_UTF8, 0, a_strText.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return;
    std::string strUtf8(static_cast<std::size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, a_strText.c_str(), -1, strUtf8.data(), cb, nullptr, nullptr);
    std::fputs(strUtf8.c_str(), a_pFile);
    std::fflush(a_pFile);
}

// The uninstaller's window, destroyed with the object.
class CHostWindow {
public:
    CHostWindow()
    {
        const HINSTANCE hInstance = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        if (!RegisterClassExW(&wc))
            return;
        m_hwnd = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPED | WS_CAPTION,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 420, 140, nullptr, nullptr, hInstance,
                                 nullptr);
        if (m_hwnd == nullptr)
            return;
        HWND hText = CreateWindowExW(0, L"STATIC", L"Removing Lumet for OpenView from this computer.",
                                     WS_CHILD | WS_VISIBLE, 20, 30, 370, 40, m_hwnd, nullptr,
                                     hInstance, nullptr);
        if (hText)
            SendMessageW(hText, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                         FALSE);
        ShowWindow(m_hwnd, SW_SHOW);
        UpdateWindow(m_hwnd);
        SetForegroundWindow(m_hwnd);
        SetFocus(m_hwnd);
    }
    ~CHostWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    CHostWindow(const CHostWindow&) = delete;
    CHostWindow& operator=(const CHostWindow&) = delete;

    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

// Unwindle.dll, loaded for the object's lifetime.
class CLibrary {
public:
    explicit CLibrary(LPCWSTR a_pszName) : m_hModule(LoadLibraryW(a_pszName)) {}
    ~CLibrary()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    HMODULE Get() const { return m_hModule; }
    template <typename Proc> Proc Entry(const char* a_pszName) const
    {
        return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(m_hModule, a_pszName)));
    }

private:
    HMODULE m_hModule;
};

} // namespace

int wmain(int a_argc, wchar_t**)
{
    if (a_argc > 1) {
        Print(stderr, L"usage: uninst-host   (loads Unwindle.dll beside it and calls it as the "
                      L"product's uninstaller does)\n");
        return 2;
    }
    // Found in this program's own folder first.
    CLibrary unwindle(kUnwindleLibrary);
    if (unwindle.Get() == nullptr) {
        Print(stderr, L"uninst-host: cannot load Unwindle.dll (error " + std::to_wstring(GetLastError()) +
                          L")\n");
        return 2;
    }
    const auto pInitialize = unwindle.Entry<UNINSTINITIALIZEPROC>(kUninstInitializeName);
    const auto pUnInitialize = unwindle.Entry<UNINSTUNINITIALIZEPROC>(kUninstUnInitializeName);
    if (pInitialize == nullptr || pUnInitialize == nullptr) {
        Print(stderr, L"uninst-host: Unwindle.dll lacks UninstInitialize or UninstUnInitialize\n");
        return 2;
    }

    CHostWindow window;
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    const LONG lResult = pInitialize(window.Get(), hInstance, 0);
    if (lResult == kUninstGoOn)
        Print(stdout, L"UninstInitialize: 0, the uninstall goes on\n");
    else
        Print(stdout, L"UninstInitialize: " + std::to_wstring(lResult) + L", the uninstall stops\n");
    const LONG lDone = pUnInitialize(window.Get(), hInstance, 0);
    Print(stdout, L"UninstUnInitialize: " + std::to_wstring(lDone) + L"\n");
    return lResult == kUninstGoOn ? 0 : 1;
}
