// Placing the packages' files: closing programs that hold them, the deployment loop with its
// retry-or-ignore question, and the steps around it.
#pragma once

#include <string>

#include "ezp_reader.h"
#include "wizard_ops.h"

// Shows the directory-access error and ends the process with the directory-access exit code.
[[noreturn]] void DirectoryAccessError(WizardOps& wizard);

// When programs have loaded one of the index's ".dll" or ".exe" files from folder, lists them to the
// user, who closes them; the wizard is hidden meanwhile. True when there were such programs.
bool CloseHoldingPrograms(const EzpIndex& index, const std::string& folder, WizardOps& wizard);

// Creates, below the current directory, the folders of relative (a path whose last part is a file
// name) and makes the deepest the current directory. False when one cannot be entered.
bool MakeEntryDirectories(const std::string& relative);

// Entries of both packages together, for the progress bar (0 to 50).
struct DeployCounters {
  int total = 0;
  int processed = 0;
};

enum class PackageKind { kSetupDir, kWinDir };

// Writes every entry of index below folder (which ends with a separator), in index order.
void DeployPackage(WizardOps& wizard, const EzpIndex& index, const std::string& folder, PackageKind kind,
                   DeployCounters& counters);

// On Windows 5.x and older: four system libraries are marked read-only.
void MarkSystemLibrariesReadOnly(const std::string& systemFolder);

// Leaves a copy of the running setup program in the install folder as "casetup_bk.exe".
void BackupSetupProgram(const std::string& installFolder);
