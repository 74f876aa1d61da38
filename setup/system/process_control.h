// The process operations the dialogs and the install sequence use.
#pragma once

#include <string>

#include "process_scan.h"

// The two operations the update-deferral dialog needs, as an interface so that a test can stand in
// for the machine's processes.
class ProcessOps {
 public:
  virtual ~ProcessOps() = default;
  virtual bool IsProcessRunning(const std::string& name) = 0;
  virtual void KillProcessesByName(const std::string& name) = 0;
};
// The machine's processes, through the functions of process_scan.h.
ProcessOps& SystemProcessOps();
