// The USB-key makers' driver steps of the install sequence (progress 70 to 97).
#pragma once

#include <string>

#include "wizard_ops.h"

// True when the machine runs 64-bit Windows (also for a 32-bit program on it).
bool IsSystem64Bit();

// Runs the Watchdata, Feitian, Hengbao, Minghua and Zhongchao steps in that order. A step whose
// program is not present is skipped with its status line; its progress value is set regardless.
void InstallKeyDrivers(WizardOps& wizard, const std::string& systemFolder, const std::string& installFolder);
