#pragma once
#include "framework/Owner.h"

// Owning wrappers for GDI objects and device contexts. All are move-only;
// a selection is undone before the object it selected can be deleted, as
// long as the selector is declared after the object it selects.

struct CGdiRelease {
    static bool Held(HGDIOBJ h) { return h != nullptr; }
    static BOOL Free(HGDIOBJ h) { return ::DeleteObject(h); }
};

template <class H>
class CGdiObjectT : public COwner<H, CGdiRelease> {
public:
    using COwner<H, CGdiRelease>::COwner;

    H GetSafeHandle() const { return this->m_h; }
    operator H() const { return this->m_h; }
    BOOL DeleteObject() { return this->Close(); }
};

class CFont : public CGdiObjectT<HFONT> {
public:
    BOOL CreateFontIndirect(const LOGFONTW* lf) { Attach(::CreateFontIndirectW(lf)); return m_h != nullptr; }
};

class CPen : public CGdiObjectT<HPEN> {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) : CGdiObjectT(::CreatePen(style, width, color)) {}
};

class CBrush : public CGdiObjectT<HBRUSH> {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) : CGdiObjectT(::CreateSolidBrush(color)) {}
};

class CBitmap : public CGdiObjectT<HBITMAP> {
public:
    // A top-down 32-bit DIB section, for drawing off screen. It needs no
    // DC to make, unlike a bitmap compatible with a window's DC, and a
    // memory DC made for no DC (CMemoryDC(nullptr)) draws into it.
    BOOL CreateDIB32(int cx, int cy)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        Attach(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        return m_h != nullptr;
    }
};

// Selects an object into a DC for the lifetime of this object. A null object
// selects nothing (the DC keeps what it had).
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~CSelectObject() { Restore(); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    CSelectObject(CSelectObject&& o) noexcept : m_dc(o.m_dc), m_old(std::exchange(o.m_old, nullptr)) {}
    CSelectObject& operator=(CSelectObject&&) = delete;
    void Restore()
    {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
        m_old = nullptr;
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// GetDC / ReleaseDC on a window.
class CClientDC {
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CClientDC() { if (m_dc) ::ReleaseDC(m_hwnd, m_dc); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_dc; }
    HDC GetSafeHdc() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint / EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_dc; }
    HDC GetSafeHdc() const { return m_dc; }
    const PAINTSTRUCT& Ps() const { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// CreateCompatibleDC / DeleteDC.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() { if (m_dc) ::DeleteDC(m_dc); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    CMemoryDC(CMemoryDC&& o) noexcept : m_dc(std::exchange(o.m_dc, nullptr)) {}
    CMemoryDC& operator=(CMemoryDC&&) = delete;
    operator HDC() const { return m_dc; }
    HDC GetSafeHdc() const { return m_dc; }

private:
    HDC m_dc;
};

// Solid fill of a rectangle in one colour, with no brush: the DC's
// background colour and an opaque empty text output, as fast as GDI fills go.
inline void FillSolidRect(HDC dc, int x, int y, int cx, int cy, COLORREF color)
{
    const COLORREF old = ::SetBkColor(dc, color);
    const RECT rc{x, y, x + cx, y + cy};
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

// A one-pixel frame on the outermost pixels of the rectangle: top and left
// in one colour, bottom and right in the other.
inline void Draw3dRect(HDC dc, int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(dc, x, y, cx - 1, 1, topLeft);
    FillSolidRect(dc, x, y, 1, cy - 1, topLeft);
    FillSolidRect(dc, x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(dc, x, y + cy - 1, cx, 1, bottomRight);
}
