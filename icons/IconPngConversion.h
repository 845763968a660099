#pragma once
// The steps that turn an icon into PNG bytes, and the bytes into files. Every PNG is checked in
// memory before it is written (PngCodec); files are written as new files (WriteNewFileReplacing).
// The steps that make bytes may run on several threads at once; ShellIconPngBytes needs COM
// started on the calling thread.

#include "icons/PngCodec.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tsu {

// Reads the icon's colour and mask bitmaps. A 32-bit colour bitmap keeps its alpha channel;
// any other icon, and a 32-bit one whose alpha is zero everywhere (how a 32-bit screen hands
// back icons that never had alpha), gets its alpha from the AND mask. Releases both bitmaps.
[[nodiscard]] bool ReadIconPixels(HICON icon, IconPixels& pixels);

// The icon as PNG bytes with its alpha channel.
[[nodiscard]] bool IconPngBytes(HICON icon, std::vector<uint8_t>& png);

// Writes the icon as a PNG file with its alpha channel.
[[nodiscard]] bool IconToPng(HICON icon, const std::wstring& pngPath);

// A one-image .ico file's bytes with the colour image at bitsPerPixel (1, 4, 8, 24 or 32) and the
// icon's mask.
[[nodiscard]] bool IconIcoBytes(HICON icon, int bitsPerPixel, std::vector<uint8_t>& ico);

// Writes IconIcoBytes to a file.
[[nodiscard]] bool SaveIconAsIco(HICON icon, int bitsPerPixel, const std::wstring& icoPath);

// The file's icon from the shell's system image list of the size class for `size` (small below
// 32, large below 48, extra large below 256, jumbo otherwise), as PNG bytes. Calls into the shell
// are made one thread at a time.
[[nodiscard]] bool ShellIconPngBytes(const std::wstring& path, int size, std::vector<uint8_t>& png);

// Makes the process's first use of the window system on the calling thread, if it has not been
// made. Under Wine that first use loads the display driver and registers the built-in window
// classes, and two threads making it at once can deadlock (one holds the loader lock and waits for
// the set-up, the other needs the loader lock to finish it): a thread about to start icon workers
// calls this first.
void SetUpWindowSystem();

// Gets the shell's icon cache and system image lists ready without opening any file: their first
// use costs tens of milliseconds, which ShellIconPngBytes then does not pay. Needs COM.
void WarmUpShellIcons();

} // namespace tsu
