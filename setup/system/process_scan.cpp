#include "process_scan.h"

#include <unordered_map>

const char SharedModuleNames[kSharedModuleNameCount][260] = {"mfc70.dll",    "msvcp60.dll", "msvcr70.dll",
                                                             "Winscard.dll", "atl100",      "OstraneShell"};

bool MatchesSharedModuleName(const std::string& path) {
  for (const char* name : SharedModuleNames) {
    if (path.find(name) != std::string::npos) return true;
  }
  return false;
}

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Lower-cases ASCII letters only; both bytes of a double-byte character stay as they are.
std::string AsciiLowered(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// The table promises at most kMaxProcessIds; holding it to that keeps every scan bounded.
std::vector<std::uint32_t> Capped(std::vector<std::uint32_t> ids) {
  if (ids.size() > kMaxProcessIds) ids.resize(kMaxProcessIds);
  return ids;
}

}  // namespace

bool ProcessPathMatchesName(const std::string& path, const std::string& name) {
  if (path.empty() || !IsAsciiLetter(path[0])) return false;  // empty, or "\??\..." and the like
  if (path.size() < name.size()) return false;
  std::string lowered = AsciiLowered(path);
  // The base name: after the last separator, searching down to the second character only.
  std::string base;
  for (std::size_t i = lowered.size(); i-- > 1;) {
    if (lowered[i] == '\\' || lowered[i] == '/') {
      base = lowered.substr(i + 1);
      break;
    }
  }
  return base == name;
}

bool ProcessScanner::IsProcessRunning(const std::string& name) {
  bool running = false;
  for (std::uint32_t id : Capped(table_.ProcessIds())) {
    std::optional<std::string> path = table_.FirstModulePath(id, kAccessQuery);
    if (path && ProcessPathMatchesName(*path, name)) running = true;
  }
  return running;
}

bool ProcessScanner::KillProcessesByName(const std::string& name) {
  if (name.empty() || !table_.EnableDebugPrivilege()) return true;
  for (std::uint32_t id : Capped(table_.ProcessIds())) {
    // No wait for the end of a terminated process: every running instance is terminated.
    table_.TerminateIf(id, [&name](const std::string& path) { return ProcessPathMatchesName(path, name); });
  }
  return true;
}

std::vector<std::string> ProcessScanner::ListProcessModules(std::uint32_t id) {
  auto cached = ModuleCache.find(id);
  if (cached != ModuleCache.end()) return cached->second;
  std::optional<std::vector<std::string>> modules = table_.ModulePaths(id);
  if (!modules) return {};  // not opened: nothing stored, the next scan asks again
  if (modules->size() > kMaxModules) modules->resize(kMaxModules);
  return ModuleCache.emplace(id, std::move(*modules)).first->second;
}

const std::vector<std::string>& ProcessScanner::LoweredModules(std::uint32_t id) {
  auto cached = lowered_.find(id);
  if (cached != lowered_.end()) return cached->second;
  std::vector<std::string> modules = ListProcessModules(id);
  // A process that could not be opened has no list yet; it is asked again next time.
  static const std::vector<std::string> kNone;
  if (ModuleCache.count(id) == 0) return kNone;
  for (std::string& m : modules) m = AsciiLowered(m);
  return lowered_.emplace(id, std::move(modules)).first->second;
}

ProcessList ProcessScanner::FindProcessesUsingModule(const std::string& modulePath) {
  ProcessList found;
  if (!table_.EnableDebugPrivilege()) return found;
  const std::string wanted = AsciiLowered(modulePath);
  for (std::uint32_t id : Capped(table_.ProcessIds())) {
    for (const std::string& module : ListProcessModules(id)) {
      if (AsciiLowered(module) != wanted) continue;
      bool listed = false;
      for (const ProcessEntry& e : found) listed = listed || e.processId == id;
      if (listed) continue;  // a module listed twice still lists its process once
      std::optional<std::string> exe = table_.FirstModulePath(id, kAccessQuery);
      if (exe) found.push_back({*exe, id});
    }
  }
  return found;
}

ProcessList ProcessScanner::FindProcessesHoldingFiles(const std::string& folder, const EzpIndex& index) {
  ProcessList found;
  // The candidate paths first, so that nothing is asked of the table when none qualifies.
  std::vector<std::string> candidates;
  for (const auto& kv : index) {
    std::string candidate = folder + kv.first.substr(kv.first.empty() ? 0 : 1);
    if (MatchesSharedModuleName(candidate)) continue;
    if (candidate.find(".dll") == std::string::npos && candidate.find(".exe") == std::string::npos) continue;
    candidates.push_back(AsciiLowered(candidate));
  }
  if (candidates.empty() || !table_.EnableDebugPrivilege()) return found;

  // Asking every process about every candidate is processes x modules x candidates comparisons;
  // looking each module up among the candidates gives the same result and order at a fraction.
  std::unordered_map<std::string, std::size_t> position;
  for (std::size_t i = 0; i < candidates.size(); ++i) position.emplace(candidates[i], i);
  std::vector<std::vector<std::uint32_t>> holders(candidates.size());
  for (std::uint32_t id : Capped(table_.ProcessIds())) {
    for (const std::string& module : LoweredModules(id)) {
      auto hit = position.find(module);
      if (hit == position.end()) continue;
      std::vector<std::uint32_t>& ids = holders[hit->second];
      if (ids.empty() || ids.back() != id) ids.push_back(id);
    }
  }
  for (const std::vector<std::uint32_t>& ids : holders) {
    for (std::uint32_t id : ids) {
      bool listed = false;
      for (const ProcessEntry& e : found) listed = listed || e.processId == id;
      if (listed) continue;
      std::optional<std::string> exe = table_.FirstModulePath(id, kAccessQuery);
      if (exe) found.push_back({*exe, id});
    }
  }
  return found;
}
