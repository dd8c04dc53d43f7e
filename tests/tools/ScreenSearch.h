#pragma once
// Finds a picture the test renders itself (a text in a given font, an icon
// as the popup draws it) inside a rectangle of the screen. Both are reduced
// to ink masks (dark or not) before they are compared, so the background
// behind the text (a highlighted row, a tooltip) does not matter.
#include <windows.h>

#include <vector>

namespace screensearch {

struct Mask {
    int w = 0, h = 0;
    std::vector<unsigned char> ink;   // 1 where the pixel is dark
    unsigned char at(int x, int y) const { return ink[y * w + x]; }
};

inline Mask MaskOf(HDC dc, int w, int h, int threshold = 128)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    GdiFlush();
    Mask m;
    m.w = w;
    m.h = h;
    m.ink.resize(static_cast<size_t>(w) * h);
    const auto* px = static_cast<const unsigned char*>(bits);
    for (int i = 0; i < w * h; ++i) {
        const int lum = (px[i * 4] + px[i * 4 + 1] * 2 + px[i * 4 + 2]) / 4;
        m.ink[i] = lum < threshold;
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    return m;
}

// The screen's rectangle as a mask.
inline Mask ScreenMask(int x, int y, int w, int h)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
    Mask m = MaskOf(mem, w, h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return m;
}

// Renders something of the given size on white and returns its mask, cut to
// the ink's bounding box (empty when nothing was drawn).
template <class Draw>
Mask Rendered(int w, int h, Draw draw)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, w, h};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(mem);
    Mask full = MaskOf(mem, w, h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (full.at(x, y)) {
                x0 = x < x0 ? x : x0;
                y0 = y < y0 ? y : y0;
                x1 = x > x1 ? x : x1;
                y1 = y > y1 ? y : y1;
            }
    Mask cut;
    if (x1 < 0)
        return cut;
    cut.w = x1 - x0 + 1;
    cut.h = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            cut.ink.push_back(full.at(x, y));
    return cut;
}

// Where the needle's ink lies in the haystack exactly, or false.
inline bool Find(const Mask& hay, const Mask& needle, POINT* where)
{
    if (needle.w == 0 || needle.w > hay.w || needle.h > hay.h)
        return false;
    for (int y = 0; y + needle.h <= hay.h; ++y)
        for (int x = 0; x + needle.w <= hay.w; ++x) {
            bool same = true;
            for (int j = 0; j < needle.h && same; ++j)
                for (int i = 0; i < needle.w && same; ++i)
                    same = hay.at(x + i, y + j) == needle.at(i, j);
            if (same) {
                *where = POINT{x, y};
                return true;
            }
        }
    return false;
}

}  // namespace screensearch
