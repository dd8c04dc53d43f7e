#include "app/Output.h"

#include <new>

COutput::COutput(DWORD nStdHandle)
{
    DWORD mode = 0;
    const HANDLE h = GetStdHandle(nStdHandle);
    if (h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN) {
        m_hOut = h;
        m_bConsole = GetConsoleMode(h, &mode) != FALSE;
        return;
    }
    // A process attaches to one console at most; a second COutput finds it
    // attached already and opens it again.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
        return;
    m_console.Attach(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    if (m_console && GetConsoleMode(m_console.Get(), &mode)) {
        m_hOut = m_console.Get();
        m_bConsole = true;
    }
}

void COutput::Write(LPCWSTR psz)
{
    if (!m_hOut)
        return;
    const int cch = lstrlenW(psz);
    DWORD written = 0;
    if (m_bConsole) {
        WriteConsoleW(m_hOut, psz, static_cast<DWORD>(cch), &written, nullptr);
        return;
    }
    const int cb = WideCharToMultiByte(CP_UTF8, 0, psz, cch, nullptr, 0, nullptr, nullptr);
    char* utf8 = cb > 0 ? new (std::nothrow) char[cb] : nullptr;
    if (!utf8)
        return;
    WideCharToMultiByte(CP_UTF8, 0, psz, cch, utf8, cb, nullptr, nullptr);
    WriteFile(m_hOut, utf8, static_cast<DWORD>(cb), &written, nullptr);
    delete[] utf8;
}
