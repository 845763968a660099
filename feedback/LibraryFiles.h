#pragma once
// What the feedback library keeps on disk: its settings file beside the library and the feedback
// lines in the tool's log folder.

#include "feedback/core/FeedbackRecord.h"
#include "feedback/core/FeedbackSettings.h"

#include <windows.h>

#include <string>

namespace tsu::feedback {

// The folder of a loaded module, without the trailing "\"; empty when it cannot be read. Paths
// longer than MAX_PATH are read whole.
[[nodiscard]] std::wstring ModuleFolder(HMODULE module);
// The folder of this library.
[[nodiscard]] std::wstring LibraryFolder();

// The settings file of folder; defaults when it is missing, unreadable or larger than 64 KB.
[[nodiscard]] FeedbackSettings ReadSettingsFile(const std::wstring& folder);

// "<common application data>\ToolLog\VeltorFeedback.txt"; empty when the shell cannot say.
[[nodiscard]] std::wstring FeedbackFilePath();
// Appends the record's line (creating the folder and file when needed); false when it could not
// be written whole, or when the log folder is a link or no folder.
bool AppendFeedback(FeedbackRecord record);

// The current local time as FormatLocalTime writes it.
[[nodiscard]] std::wstring NowText();

// Opens a web address with the configured browser program when that file exists, else with the
// system's handler. Addresses that are not http or https are refused (false) before anything is
// started.
bool OpenAddress(const std::wstring& url, const FeedbackSettings& settings);

} // namespace tsu::feedback
