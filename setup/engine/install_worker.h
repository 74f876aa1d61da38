// The install worker: the fixed sequence of 25 steps from unpacking the packages to the finished page.
#pragma once

#include <windows.h>

#include "wizard_ops.h"

// Runs the whole sequence on the calling thread. Returns early, without touching the wizard again,
// once a cancel is confirmed; ends the process on the directory-access error.
void RunInstallSequence(WizardOps& wizard);

// Thread entry: the parameter is the wizard (a WizardOps).
DWORD WINAPI InstallWorker(LPVOID wizard);
