#include "process_control.h"

namespace {

class SystemProcesses : public ProcessOps {
 public:
  bool IsProcessRunning(const std::string& name) override { return ::IsProcessRunning(name); }
  void KillProcessesByName(const std::string& name) override { ::KillProcessesByName(name); }
};

}  // namespace

ProcessOps& SystemProcessOps() {
  static SystemProcesses processes;
  return processes;
}
