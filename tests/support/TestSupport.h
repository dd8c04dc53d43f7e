#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Shared by the in-process tests. The rhythm of a message test: Flush, act,
// PumpUntil the expected state (never a bare Sleep), check.
namespace test {

// Dispatches this thread's messages until cond() holds or the time is up;
// returns cond() at the end.
bool PumpUntil(const std::function<bool()>& cond, DWORD timeoutMs = 3000);
// Dispatches this thread's messages for the given time.
void PumpFor(DWORD ms);
// Dispatches what is queued now, then returns.
void Flush();

struct Msg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;   // arrived through SendMessage rather than the queue
};

// Records every message a window receives. Owns a plain top-level window of
// its own, or subclasses an existing window of this thread.
class MessageLog {
public:
    // A new top-level window with this title and style (WS_POPUP by default);
    // it keeps recording until the log is destroyed.
    explicit MessageLog(const char* title, DWORD style = WS_POPUP, DWORD exStyle = 0,
                        HWND owner = nullptr);
    // Subclass an existing window of this thread.
    static MessageLog* Subclass(HWND hwnd);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    HWND hwnd() const { return m_hwnd; }
    const std::vector<Msg>& all() const { return m_msgs; }
    void clear() { m_msgs.clear(); }
    // Only the messages with these numbers, in order.
    std::vector<Msg> only(std::initializer_list<UINT> messages) const;
    size_t count(UINT message) const;
    // What a message handler answers (default: DefWindowProc).
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, bool& handled)> answer;

private:
    struct Adopt {};
    explicit MessageLog(Adopt) {}
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hwnd = nullptr;
    bool m_ownsWindow = false;
    WNDPROC m_super = nullptr;
    std::vector<Msg> m_msgs;
};

// "WM_SYSCOMMAND(0xF020, 0) posted" and the like, one per line, for failure output.
std::string Describe(const std::vector<Msg>& msgs);
std::string MessageName(UINT message);

// UTF-16 of the program to UTF-8 for comparisons and failure output, and back.
std::string Utf8(const wchar_t* text);
std::wstring Wide(const char* utf8);

// Colour of a pixel of a DC as 0x00BBGGRR.
COLORREF Pixel(HDC dc, int x, int y);

// A 24-bit memory DC with its own bitmap, for rendering and reading pixels.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(0x12, 0x34, 0x56));
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }
    COLORREF at(int x, int y) const { return Pixel(m_dc, x, y); }
    int width() const { return m_w; }
    int height() const { return m_h; }

private:
    HDC m_dc;
    HBITMAP m_bmp;
    HGDIOBJ m_old;
    int m_w, m_h;
};

// Counts of this process's GDI and USER objects that we can measure under
// Wine (GetGuiResources is a stub there): live handles found by probing the
// handle table, per object type.
struct GdiCounts {
    int dcs = 0, bitmaps = 0, fonts = 0, pens = 0, brushes = 0, regions = 0, total = 0;
};
GdiCounts CountGdiObjects();

}  // namespace test
