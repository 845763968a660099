#pragma once
// Recognises the installer technology that built an uninstaller from the file's own bytes, so a
// quiet removal can add that technology's silent switches. Portable: the caller reads the file.
// Every offset taken from the file is checked against it, so a truncated or hostile file gives
// Unknown, never a read outside the bytes.
//
// Markers:
// - NSIS: a section named ".ndata" (the stub's uninitialised data), or the first header of the
//   data appended after the last section ("\xEF\xBE\xAD\xDE" then "NullsoftInst" four bytes into
//   a 512-byte aligned block of the overlay);
// - Inno Setup: "InUn" at offset 0x30 of the DOS header (the uninstaller's mode mark), or a
//   version resource whose strings say "Inno Setup";
// - WiX bundle (burn engine): a section named ".wixburn".

#include "icons/core/ByteReader.h"

#include <string_view>

namespace tsu {

enum class InstallerKind {
    Unknown,
    Nsis,
    InnoSetup,
    WixBundle,
};

[[nodiscard]] InstallerKind RecogniseInstallerKind(ByteReader file);

// The documented switches that make the kind's uninstaller run without asking; empty for Unknown.
[[nodiscard]] std::wstring_view SilentSwitches(InstallerKind kind);

} // namespace tsu
