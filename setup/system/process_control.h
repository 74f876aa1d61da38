// Finding and ending running programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ezp_reader.h"

// One running process: the path of its first module as the system reports it, and its id.
struct ProcessEntry {
  std::string exePath;
  std::uint32_t processId = 0;
};
// In first-found order, no id twice.
using ProcessList = std::vector<ProcessEntry>;

// Name fragments of libraries that are shared with other software: a target path containing one
// (case-sensitive) is never retried or asked about, and never counts as held.
inline constexpr int kSharedModuleNameCount = 6;
extern const char SharedModuleNames[kSharedModuleNameCount][260];
bool MatchesSharedModuleName(const std::string& path);

// Process names are given in lower case ("update.exe").
bool IsProcessRunning(const std::string& name);
void KillProcessesByName(const std::string& name);
// The programs that have loaded one of the index's ".dll" or ".exe" files from folder.
ProcessList FindProcessesHoldingFiles(const std::string& folder, const EzpIndex& index);

// The two operations the update-deferral dialog needs, as an interface so that a test can stand in
// for the machine's processes.
class ProcessOps {
 public:
  virtual ~ProcessOps() = default;
  virtual bool IsProcessRunning(const std::string& name) = 0;
  virtual void KillProcessesByName(const std::string& name) = 0;
};
// The machine's processes, through the functions above.
ProcessOps& SystemProcessOps();
