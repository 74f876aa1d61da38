// Path, registration, uninstall entry and the certificate-extension program: not in the program
// yet; each does nothing until its implementation lands.
#pragma once

#include <string>

void AddInstallFolderToPath(const std::string& installFolder);
// Ends with WriteUninstallEntry.
void RegisterComponents(const std::string& installFolder, const std::string& systemFolder);
void WriteUninstallEntry(const std::string& installFolder);
void StartCertExtensionControl(const std::string& installFolder);
