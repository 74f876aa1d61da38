// Finding and ending running programs by executable name, and finding the programs that have loaded
// files of a package. Portable: the machine's processes come through ProcessTable, which the Windows
// build implements with the process-status interface and tests replace with a table of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
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

inline constexpr std::size_t kMaxProcessIds = 1024;
inline constexpr std::size_t kMaxModules = 1024;
// Access rights the scans open processes with.
inline constexpr std::uint32_t kAccessQuery = 0x0410;           // query information, read memory
inline constexpr std::uint32_t kAccessQueryTerminate = 0x0411;  // and terminate

// The machine's processes, as the scans see them.
class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // Process ids in enumeration order, at most kMaxProcessIds.
  virtual std::vector<std::uint32_t> ProcessIds() = 0;
  // The path of the process's first module: nothing when the process cannot be opened with access,
  // "" when it can but the path cannot be read.
  virtual std::optional<std::string> FirstModulePath(std::uint32_t id, std::uint32_t access) = 0;
  // The paths of all its modules (at most kMaxModules) in the order the system lists them: nothing
  // when the process cannot be opened; an empty list when the modules cannot be listed.
  virtual std::optional<std::vector<std::string>> ModulePaths(std::uint32_t id) = 0;
  // Opens the process once (kAccessQueryTerminate), reads its first-module path and terminates it
  // (exit code 0) only when still_the_one accepts that path. True when it was terminated.
  virtual bool TerminateIf(std::uint32_t id, const std::function<bool(const std::string& path)>& still_the_one) = 0;
  // Enables the debug privilege in our own token; false when it is not held.
  virtual bool EnableDebugPrivilege() = 0;
};

// The scans over one process table, with the module cache: a process's module list is read once per
// id and never refreshed, however often the scans ask.
class ProcessScanner {
 public:
  explicit ProcessScanner(ProcessTable& table) : table_(table) {}

  // Names are given in lower case; a name with a capital letter never matches.
  bool IsProcessRunning(const std::string& name);
  // Terminates every process whose executable is called name; the result carries no information.
  bool KillProcessesByName(const std::string& name);
  // The processes that have loaded modulePath (compared ignoring the case of ASCII letters).
  ProcessList FindProcessesUsingModule(const std::string& modulePath);
  // The processes that have loaded one of the index's ".dll" or ".exe" files from folder (which ends
  // with a separator), each once, ordered by the entry that revealed it first, then by enumeration.
  ProcessList FindProcessesHoldingFiles(const std::string& folder, const EzpIndex& index);
  // The module cache's list for id, read through the table the first time.
  std::vector<std::string> ListProcessModules(std::uint32_t id);

 private:
  // The module cache's list with ASCII letters lower-cased, for the holder scan.
  const std::vector<std::string>& LoweredModules(std::uint32_t id);

  ProcessTable& table_;
  std::map<std::uint32_t, std::vector<std::string>> ModuleCache;
  std::unordered_map<std::uint32_t, std::vector<std::string>> lowered_;
};

// Whether an executable path names a program called name (lower case): the path's first byte must
// be an ASCII letter; its ASCII letters are lower-cased; its base name follows the last "\" or "/"
// after the first character.
bool ProcessPathMatchesName(const std::string& path, const std::string& name);

// The machine's processes, and the scanner over them that the whole program shares (Windows only).
ProcessTable& SystemProcessTable();
ProcessScanner& SystemProcessScanner();

// The whole program's operations, over SystemProcessScanner().
bool IsProcessRunning(const std::string& name);
void KillProcessesByName(const std::string& name);
ProcessList FindProcessesUsingModule(const std::string& modulePath);
ProcessList FindProcessesHoldingFiles(const std::string& folder, const EzpIndex& index);
