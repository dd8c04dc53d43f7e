#include "app/CrashExit.h"

#include <windows.h>

namespace {

ULONG_PTR g_imageStart = 0;
ULONG_PTR g_imageEnd = 0;

// Error severity: the two top bits of the code set (access violations, stack
// overflow, division by zero and the like; not breakpoints or guard pages).
bool IsFault(DWORD dwCode)
{
    return (dwCode & 0xC0000000u) == 0xC0000000u;
}

LONG CALLBACK OnFirstChance(EXCEPTION_POINTERS* pInfo)
{
    const EXCEPTION_RECORD* record = pInfo->ExceptionRecord;
    const auto at = reinterpret_cast<ULONG_PTR>(record->ExceptionAddress);
    if (IsFault(record->ExceptionCode) && at >= g_imageStart && at < g_imageEnd)
        TerminateProcess(GetCurrentProcess(), record->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* pInfo)
{
    TerminateProcess(GetCurrentProcess(), pInfo->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void EndProcessOnFault()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    g_imageStart = reinterpret_cast<ULONG_PTR>(image);
    g_imageEnd = g_imageStart + nt->OptionalHeader.SizeOfImage;
    SetUnhandledExceptionFilter(OnUnhandled);
    AddVectoredExceptionHandler(1, OnFirstChance);
}
