#include "system_pending.h"

void RefreshTrayIcons() {}

void TidyClientLogFolder() {}

void RunProgram(const std::string&, const std::string&, const std::string&) {}
