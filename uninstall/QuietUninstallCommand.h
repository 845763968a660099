#pragma once
// The quiet removal command of an installed program (see core/QuietCommand.h): the uninstaller
// file its registered command starts is found without a search and recognised from its bytes.

#include "inventory/core/SoftwareRecord.h"
#include "uninstall/core/QuietCommand.h"

namespace tsu {

[[nodiscard]] QuietCommand QuietUninstallCommand(const SoftwareRecord& record);

} // namespace tsu
