#include "app/PictureFiles.h"

#include "framework/MemoryStream.h"
#include "framework/ScopedHandles.h"
#include "icons/IconPngCache.h"
#include "icons/PicturePass.h"

#include <vector>

namespace tsu {

namespace {
// The cache holds icons of at most 256 x 256 pixels; anything much larger is not ours.
constexpr LONGLONG kMaxPictureBytes = 4 * 1024 * 1024;
} // namespace

std::wstring MakeCachePicture(const std::wstring& iconPath, const std::wstring& stem, int32_t iconKind) {
    // One cache per picture: it starts COM for the calling thread for its lifetime, and COM is
    // reference counted, so only the first picture of a pass pays for starting it.
    IconPngCache cache;
    std::wstring pngPath;
    if (!cache.MakeIconPng(iconPath, stem, iconKind, pngPath))
        return std::wstring();
    NotePictureWritten(pngPath); // the self-removal deletes exactly these
    return pngPath;
}

std::unique_ptr<Gdiplus::Image> LoadPictureFile(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxPictureBytes)
        return nullptr;
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        return nullptr;
    IStream* stream = CreateStreamOnCopy(bytes.data(), bytes.size());
    if (!stream)
        return nullptr;
    std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream, FALSE));
    stream->Release(); // the image keeps its own reference
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0)
        return nullptr;
    return image;
}

} // namespace tsu
