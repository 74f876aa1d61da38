#include "registration_pending.h"

void AddInstallFolderToPath(const std::string&) {}

void RegisterComponents(const std::string& installFolder, const std::string&) { WriteUninstallEntry(installFolder); }

void WriteUninstallEntry(const std::string&) {}

void StartCertExtensionControl(const std::string&) {}
