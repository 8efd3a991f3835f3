#include "Application.h"

#include <atomic>

#include "Window.h"

namespace winui {

namespace {

std::atomic<Application*> g_pApp{nullptr};

// The executable's name without folder and extension.
std::wstring ModuleBaseName()
{
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    std::wstring name(path, n);
    std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

HINSTANCE ResourceModule()
{
    return ::GetModuleHandleW(nullptr);
}

std::wstring LoadResString(UINT a_nId)
{
    // With a zero buffer size LoadString hands out a pointer to the resource
    // text itself (not zero-terminated) and returns its length.
    const wchar_t* pText = nullptr;
    int n = ::LoadStringW(ResourceModule(), a_nId, reinterpret_cast<LPWSTR>(&pText), 0);
    if (n <= 0 || !pText)
        return {};
    return std::wstring(pText, static_cast<std::size_t>(n));
}

Application::Application() : m_strAppName(ModuleBaseName())
{
    // GetCurrentThread is only a pseudo handle; the trace prefix and the
    // waits need a real one.
    HANDLE hThread = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                      &hThread, 0, FALSE, DUPLICATE_SAME_ACCESS);
    AdoptCurrentThread(hThread);
    Application* none = nullptr;
    g_pApp.compare_exchange_strong(none, this);
}

Application::~Application()
{
    Application* self = this;
    g_pApp.compare_exchange_strong(self, nullptr);
    if (Current() == this)
        ForgetCurrentThread();
}

Application* Application::Instance()
{
    return g_pApp.load();
}

bool Application::WinHelp(DWORD_PTR a_dwData, UINT a_nCmd)
{
    if (m_strHelpFilePath.empty())
        return false;
    Window* pMain = GetMainWnd();
    HWND hMain = pMain ? pMain->GetSafeHwnd() : nullptr;
    return ::WinHelpW(hMain, m_strHelpFilePath.c_str(), a_nCmd, a_dwData) != FALSE;
}

} // namespace winui
