#pragma once
// COM streams over a private copy of some bytes, for GDI+ to decode images from. The copy lives
// in movable global memory that the stream frees on its last release; an image made from the
// stream keeps its own reference, so the copy goes when the image goes.

#include <windows.h>
#include <objidl.h>

#include <cstddef>

namespace tsu {

// The caller owns the returned reference; null when size is 0 or memory runs out.
[[nodiscard]] IStream* CreateStreamOnCopy(const void* bytes, size_t size);
// Over the bytes of resource name of type in the current resource module (GetResourceModule);
// null when it is missing or empty.
[[nodiscard]] IStream* CreateResourceStream(const wchar_t* type, const wchar_t* name);

} // namespace tsu
