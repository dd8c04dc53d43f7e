#pragma once
#include <windows.h>

#include <utility>

// One move-only owner for every kind of system handle the program holds (GDI
// objects, kernel handles, registry keys): it gives back what it holds
// exactly once, on whatever path its holder leaves by, and never what it was
// not given. Release says how a kind of handle is given back:
//   static bool Held(H h);   // h names something to give back
//   static BOOL Free(H h);   // gives it back
template <class H, class Release>
class COwner {
public:
    COwner() = default;
    explicit COwner(H h) : m_h(h) {}
    ~COwner() { Close(); }
    COwner(const COwner&) = delete;
    COwner& operator=(const COwner&) = delete;
    COwner(COwner&& o) noexcept : m_h(std::exchange(o.m_h, H{})) {}
    COwner& operator=(COwner&& o) noexcept
    {
        if (this != &o)
            Attach(std::exchange(o.m_h, H{}));
        return *this;
    }

    H Get() const { return m_h; }
    explicit operator bool() const { return Release::Held(m_h); }
    // Gives back what it held and takes h.
    void Attach(H h)
    {
        Close();
        m_h = h;
    }
    H Detach() { return std::exchange(m_h, H{}); }
    // FALSE when it held nothing or the system refused.
    BOOL Close()
    {
        const H h = std::exchange(m_h, H{});
        return Release::Held(h) ? Release::Free(h) : FALSE;
    }

protected:
    H m_h{};
};
