#pragma once
// Shared by the Windows tests of the icon reader and the PNG cache: where the fixtures are,
// a scratch folder per test program, and small readers of icons and PNG files.

#include "PeImageBuilder.h"
#include "icons/IconPngConversion.h"
#include "tests/common/ProcessTestSupport.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tsu::test {

// tests/icons/fixtures/<name> in the source tree.
[[nodiscard]] std::wstring FixturePath(const std::wstring& name);
// Files NSIS ships: /usr/share/nsis/<relative> as Wine sees it.
[[nodiscard]] std::wstring NsisPath(const std::wstring& relative);
// Every "*.ico" (or other pattern) in a folder, as full paths, sorted.
[[nodiscard]] std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern);

[[nodiscard]] bool WriteBytes(const std::wstring& path, const Bytes& bytes);
[[nodiscard]] Bytes ReadBytes(const std::wstring& path);

// How many views of files whose name ends with `suffix` are mapped into this process (data-file
// modules and file mappings alike).
[[nodiscard]] int CountMappedViews(const std::wstring& suffix);

// Width and height of an icon's image; {0, 0} when the handle is not an icon.
[[nodiscard]] SIZE IconSize(HICON icon);

// Decodes a PNG (or any image GDI+ reads) into straight ARGB pixels; GDI+ must be running.
[[nodiscard]] bool DecodeImage(const std::wstring& path, IconPixels& pixels);

[[nodiscard]] inline uint32_t PixelAt(const IconPixels& pixels, int x, int y) {
    return pixels.argb.at(static_cast<size_t>(y) * pixels.width + x);
}
[[nodiscard]] inline uint8_t AlphaOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 24);
}

} // namespace tsu::test
