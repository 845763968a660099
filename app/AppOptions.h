#pragma once
// How one run of the tool is set up: from the command line for the real program, by tests for
// windows they create in their own process.

#include "inventory/InventorySequence.h"

#include <optional>
#include <string>

namespace tsu {

struct AppOptions {
    // Remove the tool's own files on a normal close ("--keep-folder" turns it off; a build tree
    // is never removed either way).
    bool removeFolderOnClose = true;
    // Where the feedback library is loaded from; empty: the executable's folder.
    std::wstring feedbackFolder;
    // Where the installed programs are read; nothing: the system's uninstall keys.
    std::optional<InventoryLocations> locations;

    // "--keep-folder" anywhere on the command line.
    [[nodiscard]] static AppOptions FromCommandLine(const wchar_t* commandLine);
};

} // namespace tsu
