#pragma once
// A Win32 critical section. Lock/Unlock, and lock/unlock so std::lock_guard and std::unique_lock
// work with it. Never hold one across a SendMessage to another thread's window.

#include <windows.h>

namespace tsu {

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { ::EnterCriticalSection(&m_section); }
    void Unlock() { ::LeaveCriticalSection(&m_section); }
    [[nodiscard]] bool TryLock() { return ::TryEnterCriticalSection(&m_section) != FALSE; }

    void lock() { Lock(); }
    void unlock() { Unlock(); }
    [[nodiscard]] bool try_lock() { return TryLock(); }

private:
    CRITICAL_SECTION m_section;
};

} // namespace tsu
