#include "inventory/InventorySequence.h"

#include "inventory/Is64BitWindows.h"
#include "inventory/RegistryScanner.h"

namespace tsu {

InventoryLocations InventoryLocations::Default() {
    const RegistryLocation wow64{kRootLocalMachine, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
    const RegistryLocation machine{kRootLocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
    // The user hive's path is written "Software", as the system writes it.
    const RegistryLocation user{kRootCurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
    InventoryLocations locations;
    locations.installerProducts = {kRootLocalMachine, L"SOFTWARE\\Classes\\Installer\\Products"};
    locations.uninstallKeys64 = {wow64, machine, user};
    locations.uninstallKeys32 = {machine, user};
    return locations;
}

InventoryResult RunInventorySequence(ProductIconMap& productIcons, SoftwareMap& softwareMap) {
    static const InventoryLocations defaults = InventoryLocations::Default();
    return RunInventorySequence(productIcons, softwareMap, Is64BitWindows(), defaults);
}

InventoryResult RunInventorySequence(ProductIconMap& productIcons, SoftwareMap& softwareMap, bool on64BitWindows,
                                     const InventoryLocations& locations) {
    const RegistryScanner scanner(on64BitWindows ? RegistryView::Wow64Key64 : RegistryView::Default);
    productIcons.clear();
    LSTATUS productsError = ERROR_SUCCESS;
    if (!scanner.ScanInstallerProducts(locations.installerProducts.root, locations.installerProducts.path,
                                       productIcons, &productsError) &&
        productsError != ERROR_FILE_NOT_FOUND)
        return InventoryResult::ProductsFailed;

    softwareMap.clear();
    for (const RegistryLocation& key : on64BitWindows ? locations.uninstallKeys64 : locations.uninstallKeys32)
        scanner.ScanUninstallKey(key.root, key.path, productIcons, softwareMap, true);
    return InventoryResult::Loaded;
}

} // namespace tsu
