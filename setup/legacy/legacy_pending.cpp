#include "legacy_pending.h"

void RemoveLegacyProducts(bool) {}

bool RepairKeyDrivers(const std::string&, const std::string&) { return false; }

void CreateShortcuts(const std::string&, bool) {}
