#pragma once
// Move-only owners, one per handle kind. No copying, no implicit conversion back to the raw
// handle: Get() is explicit, Release() gives ownership away.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace tsu {

template <typename Traits> class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    [[nodiscard]] Handle Get() const { return m_handle; }
    [[nodiscard]] bool IsValid() const { return Traits::IsValid(m_handle); }
    explicit operator bool() const { return IsValid(); }

    // For out-parameters of creating functions; closes what is held first.
    Handle* Put() {
        Reset();
        return &m_handle;
    }
    [[nodiscard]] Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(m_handle))
            Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct HandleNullTraits { // process, thread, event, mapping: failure is NULL
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct HandleFileTraits { // CreateFile, snapshots: failure is INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindCloseChangeNotification(h); }
};
struct HkeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct HiconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DestroyIcon(h); }
};
template <typename T> struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteDC(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::GlobalFree(h); }
};

using UniqueHandle = UniqueResource<HandleNullTraits>;
using UniqueFileHandle = UniqueResource<HandleFileTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueChangeNotification = UniqueResource<ChangeNotificationTraits>;
using UniqueHkey = UniqueResource<HkeyTraits>;
using UniqueHicon = UniqueResource<HiconTraits>;
using UniqueHbitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueHfont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueHbrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniqueHpen = UniqueResource<GdiObjectTraits<HPEN>>;
using UniqueHrgn = UniqueResource<GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueGlobal = UniqueResource<GlobalMemoryTraits>;

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

// Selects an object into a DC and puts the previous one back at scope end.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_previous(::SelectObject(hdc, object)) {}
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

} // namespace tsu

// ---- Appended kinds ----------------------------------------------------------------------------

#include <gdiplus.h>

namespace tsu {

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

// Selects a font/brush/pen only when there is one; a null object leaves the DC as it is.
class ScopedSelectObjectIfAny {
public:
    ScopedSelectObjectIfAny(HDC hdc, HGDIOBJ object)
        : m_hdc(hdc), m_previous(hdc && object ? ::SelectObject(hdc, object) : nullptr) {}
    ~ScopedSelectObjectIfAny() {
        if (m_previous && m_previous != HGDI_ERROR)
            ::SelectObject(m_hdc, m_previous);
    }
    ScopedSelectObjectIfAny(const ScopedSelectObjectIfAny&) = delete;
    ScopedSelectObjectIfAny& operator=(const ScopedSelectObjectIfAny&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_previous;
};

} // namespace tsu
