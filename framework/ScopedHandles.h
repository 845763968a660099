#pragma once
// Move-only owners, one alias per handle kind. No copying, no implicit conversion back to the raw
// handle: Get() is explicit, Release() gives ownership away.

#include <windows.h>
#include <objbase.h>
#include <gdiplus.h>

#include <cstdint>
#include <utility>

namespace tsu {

// Owns a handle that Close frees. Neither null nor INVALID_HANDLE_VALUE counts as a handle; an
// empty owner holds kEmpty, the failure value of the functions that make the kind (-1 for
// CreateFile, Toolhelp snapshots, FindFirstFile and change notifications).
template <typename Handle, auto Close, std::intptr_t kEmpty = 0> class UniqueAny {
public:
    UniqueAny() = default;
    explicit UniqueAny(Handle handle) : m_handle(handle) {}
    ~UniqueAny() { Reset(); }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : m_handle(other.Release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    [[nodiscard]] Handle Get() const { return m_handle; }
    [[nodiscard]] bool IsValid() const {
        return m_handle != nullptr && m_handle != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE);
    }
    explicit operator bool() const { return IsValid(); }

    // For out-parameters of creating functions; closes what is held first.
    Handle* Put() {
        Reset();
        return &m_handle;
    }
    [[nodiscard]] Handle Release() { return std::exchange(m_handle, Empty()); }
    void Reset(Handle handle = Empty()) {
        if (IsValid())
            Close(m_handle);
        m_handle = handle;
    }

private:
    static Handle Empty() { return reinterpret_cast<Handle>(kEmpty); }

    Handle m_handle = Empty();
};

constexpr std::intptr_t kFailsAsMinusOne = -1;
using UniqueHandle = UniqueAny<HANDLE, &::CloseHandle>;                       // process, thread, event, mapping, pipe
using UniqueFileHandle = UniqueAny<HANDLE, &::CloseHandle, kFailsAsMinusOne>; // files, snapshots
using UniqueFindHandle = UniqueAny<HANDLE, &::FindClose, kFailsAsMinusOne>;
using UniqueChangeNotification = UniqueAny<HANDLE, &::FindCloseChangeNotification, kFailsAsMinusOne>;
using UniqueHkey = UniqueAny<HKEY, &::RegCloseKey>;
using UniqueHicon = UniqueAny<HICON, &::DestroyIcon>;
using UniqueHbitmap = UniqueAny<HBITMAP, &::DeleteObject>;
using UniqueHfont = UniqueAny<HFONT, &::DeleteObject>;
using UniqueHbrush = UniqueAny<HBRUSH, &::DeleteObject>;
using UniqueHpen = UniqueAny<HPEN, &::DeleteObject>;
using UniqueHrgn = UniqueAny<HRGN, &::DeleteObject>;
using UniqueMemoryDc = UniqueAny<HDC, &::DeleteDC>;
using UniqueModule = UniqueAny<HMODULE, &::FreeLibrary>;
using UniqueGlobal = UniqueAny<HGLOBAL, &::GlobalFree>;
using UniqueLocal = UniqueAny<HLOCAL, &::LocalFree>;

// A window DC remembers the window it belongs to.
class UniqueWindowDc {
public:
    explicit UniqueWindowDc(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
    ~UniqueWindowDc() {
        if (m_hdc)
            ::ReleaseDC(m_hwnd, m_hdc);
    }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    [[nodiscard]] HDC Get() const { return m_hdc; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// Selects an object into a DC and puts the previous one back at scope end. A null DC or object
// leaves the DC as it is.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC hdc, HGDIOBJ object)
        : m_hdc(hdc), m_previous(hdc && object ? ::SelectObject(hdc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (m_previous && m_previous != HGDI_ERROR)
            ::SelectObject(m_hdc, m_previous);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_previous;
};

// COM for the current thread; uninitialises only what it initialised.
class ScopedComInit {
public:
    explicit ScopedComInit(DWORD model = COINIT_APARTMENTTHREADED) : m_hr(::CoInitializeEx(nullptr, model)) {}
    ~ScopedComInit() {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;
    [[nodiscard]] bool Succeeded() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

// GDI+ for the lifetime of the owner; shuts down only what it started.
class ScopedGdiplusStartup {
public:
    ScopedGdiplusStartup() {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~ScopedGdiplusStartup() {
        if (m_ok)
            Gdiplus::GdiplusShutdown(m_token);
    }
    ScopedGdiplusStartup(const ScopedGdiplusStartup&) = delete;
    ScopedGdiplusStartup& operator=(const ScopedGdiplusStartup&) = delete;
    [[nodiscard]] bool Succeeded() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

} // namespace tsu
