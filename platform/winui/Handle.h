// Owning wrapper of a kernel object handle (thread, event): closed once, when
// the owner goes. Not copyable, movable; get() lends the handle.
#pragma once

#include <windows.h>

#include <utility>

namespace winui {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE a_h) : m_h(Valid(a_h) ? a_h : nullptr) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& a_other) noexcept : m_h(std::exchange(a_other.m_h, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& a_other) noexcept
    {
        if (this != &a_other)
            reset(std::exchange(a_other.m_h, nullptr));
        return *this;
    }

    HANDLE get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void reset(HANDLE a_h = nullptr)
    {
        if (m_h)
            ::CloseHandle(m_h);
        m_h = Valid(a_h) ? a_h : nullptr;
    }

private:
    // CreateFile-style calls fail with INVALID_HANDLE_VALUE, the others with
    // null; both mean "nothing owned".
    static bool Valid(HANDLE a_h) { return a_h && a_h != INVALID_HANDLE_VALUE; }

    HANDLE m_h = nullptr;
};

// A manual-reset event, not signalled: the handshake events of the threads.
inline UniqueHandle CreateManualEvent()
{
    return UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

} // namespace winui
