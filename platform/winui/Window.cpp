#include "Window.h"

namespace winui {

std::wstring Window::GetWindowText() const
{
    int n = ::GetWindowTextLengthW(m_hWnd);
    if (n <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(m_hWnd, text.data(), n + 1);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

} // namespace winui
