// An application object for Windows tests that records the help requests
// it is asked for instead of starting the help viewer.
#pragma once

#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "Application.h"

class CTestApp : public winui::Application {
public:
    bool WinHelp(DWORD_PTR a_dwData, UINT a_nCmd) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_helps.emplace_back(a_dwData, a_nCmd);
        return true;
    }
    std::vector<std::pair<DWORD_PTR, UINT>> Helps()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_helps;
    }

private:
    std::mutex m_lock;
    std::vector<std::pair<DWORD_PTR, UINT>> m_helps;
};
