#include "framework/MemoryStream.h"

#include "framework/ResourceModule.h"
#include "framework/ScopedHandles.h"

#include <cstring>

namespace tsu {

IStream* CreateStreamOnCopy(const void* bytes, size_t size) {
    if (!bytes || size == 0)
        return nullptr;
    // Movable, because the stream wraps the block with GlobalLock/GlobalUnlock.
    UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory)
        return nullptr;
    void* target = ::GlobalLock(memory.Get());
    if (!target)
        return nullptr;
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory.Get());
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory.Get(), TRUE, &stream)) || !stream)
        return nullptr;
    (void)memory.Release(); // the stream frees it now
    return stream;
}

IStream* CreateResourceStream(const wchar_t* type, const wchar_t* name) {
    if (!type || !name)
        return nullptr;
    HMODULE module = GetResourceModule();
    HRSRC info = ::FindResourceW(module, name, type);
    if (!info)
        return nullptr;
    const DWORD size = ::SizeofResource(module, info);
    HGLOBAL resource = ::LoadResource(module, info);
    const void* bytes = resource ? ::LockResource(resource) : nullptr;
    return CreateStreamOnCopy(bytes, size);
}

} // namespace tsu
