// The application object: one per process, standing for the main thread
// (it is that thread's UiThread), owning the program's main window pointer,
// the help file path and the program's name, and loading texts from the
// program's string table.
//
// A program makes one (usually a global), and its entry point calls Main(),
// which runs InitInstance, the message loop and ExitInstance on the main
// thread. The object must be made on the main thread.
#pragma once

#include <windows.h>

#include <string>

#include "UiThread.h"

namespace winui {

// The module whose resources (templates, strings, accelerators, icons) the
// program uses: its own executable.
HINSTANCE ResourceModule();
// A text of the program's string table; empty when there is none.
std::wstring LoadResString(UINT a_nId);

class Application : public UiThread {
public:
    Application();
    ~Application() override;

    // The process's application, or null.
    static Application* Instance();

    // The program's life on the main thread; returns the exit code.
    int Main() { return RunThread(); }

    std::wstring LoadString(UINT a_nId) const { return LoadResString(a_nId); }

    const std::wstring& GetAppName() const { return m_strAppName; }
    void SetAppName(std::wstring a_strName) { m_strAppName = std::move(a_strName); }

    const std::wstring& GetHelpFilePath() const { return m_strHelpFilePath; }
    void SetHelpFilePath(std::wstring a_strPath) { m_strHelpFilePath = std::move(a_strPath); }

    // Opens the help file with a help command (HELP_CONTEXT, HELP_FINDER...)
    // for the main window. False without a help file or when the help viewer
    // refuses.
    virtual bool WinHelp(DWORD_PTR a_dwData, UINT a_nCmd);

private:
    std::wstring m_strAppName;
    std::wstring m_strHelpFilePath;
};

} // namespace winui
