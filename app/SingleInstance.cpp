#include "app/SingleInstance.h"

CSingleInstance::~CSingleInstance()
{
    if (m_bOwned)
        ReleaseMutex(m_mutex.Get());
}

BOOL CSingleInstance::Claim(LPCWSTR pszMutexName, LPCSTR pszClass, LPCSTR pszCaption, DWORD dwWaitMs, HWND* phWnd)
{
    *phWnd = nullptr;
    // Without the mutex (its name taken by an object of another kind) the
    // window search is the whole check, as it always was.
    m_mutex.Attach(CreateMutexW(nullptr, FALSE, pszMutexName));
    const DWORD dwStart = GetTickCount();
    for (DWORD dwSlice = 0; m_mutex; dwSlice = 20) {
        // Wakes at once when the holder ends. A mutex whose holder ended
        // without letting go (killed) is ours all the same.
        const DWORD dwWait = WaitForSingleObject(m_mutex.Get(), dwSlice);
        if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED) {
            m_bOwned = true;
            break;
        }
        // The holder runs, or is still making its dialog.
        if ((*phWnd = FindWindowA(pszClass, pszCaption)) != nullptr)
            return FALSE;
        if (GetTickCount() - dwStart >= dwWaitMs)
            return FALSE;
    }
    // A copy that is ending (its dialog still there), or a dialog of another
    // program with the same class and caption, is still handed off to.
    *phWnd = FindWindowA(pszClass, pszCaption);
    return *phWnd == nullptr;
}
