// Legacy removal, key-driver maintenance and shortcuts: not in the program yet; each does nothing
// until its implementation lands.
#pragma once

#include <string>

// Uninstalls an earlier installation (quietly when unattended), the older client and older products.
void RemoveLegacyProducts(bool quiet);
// Removes stale key-driver files and packages and stages fresh ones.
bool RepairKeyDrivers(const std::string& toolFolder, const std::string& packageFolder);
// The desktop (when onDesktop) and Start-menu shortcuts of the installed suite.
void CreateShortcuts(const std::string& installFolder, bool onDesktop);
