// Ownership of GDI objects and device contexts: each type releases what it
// holds the way the system wants it released (DeleteObject, DeleteDC,
// ReleaseDC), once, and puts back what a selection replaced. Not copyable.
#pragma once

#include <windows.h>

#include <utility>

namespace winui {

// A bitmap, brush, pen, font or region made by this program.
template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T a_h) : m_h(a_h) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& a_other) noexcept : m_h(std::exchange(a_other.m_h, nullptr)) {}
    GdiObject& operator=(GdiObject&& a_other) noexcept
    {
        if (this != &a_other)
            reset(std::exchange(a_other.m_h, nullptr));
        return *this;
    }

    T get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void reset(T a_h = nullptr)
    {
        if (m_h)
            ::DeleteObject(m_h);
        m_h = a_h;
    }

private:
    T m_h = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;

// A memory device context compatible with another one.
class MemoryDC {
public:
    explicit MemoryDC(HDC a_hCompatible) : m_hDC(::CreateCompatibleDC(a_hCompatible)) {}
    ~MemoryDC()
    {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HDC m_hDC;
};

// The device context of a window (null: the screen), borrowed until scope end.
class WindowDC {
public:
    explicit WindowDC(HWND a_hWnd) : m_hWnd(a_hWnd), m_hDC(::GetDC(a_hWnd)) {}
    ~WindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return m_hDC; }
    explicit operator bool() const { return m_hDC != nullptr; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// Selects an object into a device context until scope end, then puts back
// what was there, so the object can be deleted afterwards.
class SelectObjectGuard {
public:
    SelectObjectGuard(HDC a_hDC, HGDIOBJ a_hObject)
        : m_hDC(a_hDC), m_hOld(::SelectObject(a_hDC, a_hObject))
    {
    }
    ~SelectObjectGuard()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    SelectObjectGuard(const SelectObjectGuard&) = delete;
    SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;

    bool Selected() const { return m_hOld && m_hOld != HGDI_ERROR; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

} // namespace winui
