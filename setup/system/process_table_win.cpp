// The machine's processes through the process-status interface.
#include <windows.h>

#include <psapi.h>

#include "owners.h"
#include "process_scan.h"

namespace {

// The first module's path of an opened process; "" when it cannot be read.
std::string FirstModuleOf(HANDLE process) {
  HMODULE first = nullptr;
  DWORD needed = 0;
  char path[MAX_PATH] = {};
  if (!::EnumProcessModules(process, &first, sizeof first, &needed)) return std::string();
  if (!::GetModuleFileNameExA(process, first, path, MAX_PATH)) return std::string();
  return path;
}

class Win32ProcessTable : public ProcessTable {
 public:
  std::vector<std::uint32_t> ProcessIds() override {
    DWORD ids[kMaxProcessIds] = {};
    DWORD bytes = 0;
    if (!::EnumProcesses(ids, sizeof ids, &bytes)) return {};
    return std::vector<std::uint32_t>(ids, ids + bytes / sizeof(DWORD));
  }

  std::optional<std::string> FirstModulePath(std::uint32_t id, std::uint32_t access) override {
    win32::UniqueHandle process(::OpenProcess(access, FALSE, id));
    if (!process) return std::nullopt;
    return FirstModuleOf(process.get());
  }

  std::optional<std::vector<std::string>> ModulePaths(std::uint32_t id) override {
    win32::UniqueHandle process(::OpenProcess(kAccessQuery, FALSE, id));
    if (!process) return std::nullopt;
    std::vector<HMODULE> modules(kMaxModules);
    DWORD bytes = 0;
    std::vector<std::string> paths;
    if (!::EnumProcessModules(process.get(), modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                              &bytes)) {
      return paths;
    }
    std::size_t count = bytes / sizeof(HMODULE);
    if (count > modules.size()) count = modules.size();
    for (std::size_t i = 0; i < count; ++i) {
      char path[MAX_PATH] = {};
      if (::GetModuleFileNameExA(process.get(), modules[i], path, MAX_PATH)) paths.push_back(path);
    }
    return paths;
  }

  bool TerminateIf(std::uint32_t id, const std::function<bool(const std::string&)>& still_the_one) override {
    win32::UniqueHandle process(::OpenProcess(kAccessQueryTerminate, FALSE, id));
    if (!process) return false;
    // Judged through the same handle that terminates: a process that ended and whose id was given
    // to another program in between cannot be hit.
    if (!still_the_one(FirstModuleOf(process.get()))) return false;
    return ::TerminateProcess(process.get(), 0) != FALSE;
  }

  bool EnableDebugPrivilege() override {
    win32::UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put())) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::SetLastError(ERROR_SUCCESS);
    if (!::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) return false;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // Also ERROR_NOT_ALL_ASSIGNED: the privilege is not held, so nothing may be scanned or ended.
    return ::GetLastError() == ERROR_SUCCESS;
  }
};

}  // namespace

ProcessTable& SystemProcessTable() {
  static Win32ProcessTable table;
  return table;
}

ProcessScanner& SystemProcessScanner() {
  static ProcessScanner scanner(SystemProcessTable());
  return scanner;
}

bool IsProcessRunning(const std::string& name) { return SystemProcessScanner().IsProcessRunning(name); }

void KillProcessesByName(const std::string& name) { SystemProcessScanner().KillProcessesByName(name); }

ProcessList FindProcessesUsingModule(const std::string& modulePath) {
  return SystemProcessScanner().FindProcessesUsingModule(modulePath);
}

ProcessList FindProcessesHoldingFiles(const std::string& folder, const EzpIndex& index) {
  return SystemProcessScanner().FindProcessesHoldingFiles(folder, index);
}
