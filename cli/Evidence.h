#pragma once
// What is left of one program after its uninstall ended (removed or not): its uninstall entry,
// its Windows Installer registration, its install folder, the shortcuts into that folder, and
// renames in it that wait for a restart. Reads only; nothing is changed.

#include "cli/core/EvidenceRules.h"
#include "inventory/core/SoftwareRecord.h"

namespace tsu {

// The folder is the entry's InstallLocation, else the folder of its uninstaller program; none when
// that is msiexec, not an absolute local path, or a folder many programs share (a root, the Windows
// folder, Program Files, a profile folder). Links below the folder are counted, never followed.
[[nodiscard]] ProgramEvidence GatherEvidence(const SoftwareRecord& record);

} // namespace tsu
