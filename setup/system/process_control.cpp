#include "process_control.h"

const char SharedModuleNames[kSharedModuleNameCount][260] = {"mfc70.dll",    "msvcp60.dll", "msvcr70.dll",
                                                             "Winscard.dll", "atl100",      "OstraneShell"};

bool MatchesSharedModuleName(const std::string& path) {
  for (const char* name : SharedModuleNames) {
    if (path.find(name) != std::string::npos) return true;
  }
  return false;
}

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
