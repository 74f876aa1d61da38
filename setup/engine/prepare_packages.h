#pragma once

#include "ezp_reader.h"
#include "wizard_ops.h"

// Unpacks the four package resources of this program to the wizard's temporary paths and loads
// both indexes. Each failure shows the damaged-package message with its code (0 to 3 for resources
// 129 to 132, 4 and 5 for the setupdir and windir indexes) and is noted; nothing stops the run, and
// an index that did not load stays empty.
void PreparePackages(WizardOps& wizard, EzpIndex& setupIndex, EzpIndex& winIndex);
