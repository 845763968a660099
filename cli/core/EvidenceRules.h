#pragma once
// What is left of a program after its uninstall, how tsu prints it, and the exit code a script
// reads. Portable: the Win32 side gathers the facts.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsu {

// Counting the files left in an install folder stops here.
inline constexpr size_t kMaxFilesCounted = 10000;
// msiexec's "the removal succeeded; a restart completes it".
inline constexpr uint32_t kExitCodeRestartRequired = 3010;

struct FolderEvidence {
    std::wstring path;
    bool exists = false;
    size_t filesLeft = 0; // at most kMaxFilesCounted
};

struct ProgramEvidence {
    bool entryGone = false;
    std::optional<bool> installerRegistered; // none: the program is no Windows Installer product
    std::optional<FolderEvidence> folder;    // none: no install folder is known
    std::vector<std::wstring> shortcuts;     // shortcut files whose target lies in the folder
    bool restartPending = false;             // a rename or delete waits for a restart in the folder
};

// {"entry":"gone"|"present","installerRegistration":"gone"|"present"|null,
//  "folder":{"path":...,"exists":...,"filesLeft":...}|null,"shortcuts":[...],"restartPending":...}
[[nodiscard]] nlohmann::ordered_json EvidenceJson(const ProgramEvidence& evidence);
// "entry gone; folder 3 files; 1 shortcut; restart pending": the entry always, the Installer
// registration and the folder when known, shortcuts and the restart only when there are any.
[[nodiscard]] std::wstring EvidenceSummary(const ProgramEvidence& evidence);

// The product code of a Windows Installer entry: its key is named by the code ("{8-4-4-4-12}" in
// hex digits) and its command runs msiexec. None otherwise.
[[nodiscard]] std::optional<std::wstring> InstallerProductCode(std::wstring_view relativeKeyPath,
                                                               std::wstring_view uninstallString);
// The form Windows Installer names a product's keys by: the first three groups reversed, every
// pair of the last two swapped, no braces or dashes, upper case. Empty for text that is no code.
[[nodiscard]] std::wstring PackedProductCode(std::wstring_view productCode);

// One pair of PendingFileRenameOperations: the file, and where it goes (empty: it is deleted).
struct PendingRename {
    std::wstring source;
    std::wstring target;
};
// The REG_MULTI_SZ value as source/target pairs, "\??\" and the target's "!" (replace) removed.
// Reads no further than the data; a source without a target is dropped.
[[nodiscard]] std::vector<PendingRename> ParsePendingRenames(std::wstring_view multiSz);
// A pair whose source or target is the folder or lies in it, letter case ignored.
[[nodiscard]] bool IsRestartPendingIn(const std::vector<PendingRename>& renames, std::wstring_view folder);

enum class FinalState { Removed, Failed, Timeout, NeedsUser };

struct ProgramOutcome {
    FinalState state = FinalState::Failed;
    bool restartPending = false;
    std::optional<uint32_t> uninstallerExitCode; // none when not known
};

inline constexpr int kExitAllRemoved = 0;
inline constexpr int kExitNotAllRemoved = 1;
inline constexpr int kExitUnknownName = 2;
inline constexpr int kExitRestartPending = 3;

// 2 when a name was unknown (nothing started); 1 when a program is not removed; 3 when all are
// removed but one waits for a restart (pending renames in its folder, or msiexec's 3010); else 0.
[[nodiscard]] int UninstallExitCode(bool unknownName, const std::vector<ProgramOutcome>& outcomes);

} // namespace tsu
