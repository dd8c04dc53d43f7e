// The program's heap: straight to the process heap, with no exception
// machinery behind it. Linked into the program only (the tests keep the
// library's allocator and its exceptions).
//
// Every allocation whose failure the program can survive asks for the
// nothrow form and handles a null result. The plain form is left to code
// that cannot go on without its memory; it stops the process the way the
// system reports an allocation failure.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

void* Allocate(std::size_t n) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, n ? n : 1);
}

void* AllocateOrStop(std::size_t n)
{
    void* p = Allocate(n);
    if (!p)
        RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return p;
}

void Free(void* p) noexcept
{
    if (p)
        HeapFree(GetProcessHeap(), 0, p);
}

}  // namespace

void* operator new(std::size_t n) { return AllocateOrStop(n); }
void* operator new[](std::size_t n) { return AllocateOrStop(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
