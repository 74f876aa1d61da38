#include "deployment.h"

#include <windows.h>

#include <direct.h>

#include "exit_codes.h"
#include "process_control.h"

void DirectoryAccessError(WizardOps& wizard) {
  wizard.ShowMessage("目录访问失败!请使用管理员权限运行本程序", "错误", MB_ICONERROR | MB_OK);
  // ExitProcess rather than exit(): the interface thread is still running, and static destructors
  // must not run under it.
  ::ExitProcess(kExitDirectoryAccess);
}

bool CloseHoldingPrograms(const EzpIndex& index, const std::string& folder, WizardOps& wizard) {
  ProcessList holders = FindProcessesHoldingFiles(folder, index);
  if (holders.empty()) return false;
  // The close-running-programs dialog comes with the process scan; until then there is nobody to
  // list and this point is not reached.
  (void)wizard;
  return false;
}

bool MakeEntryDirectories(const std::string& relative) {
  std::string component;
  for (char c : relative) {
    if (c == '\\' || c == '/') {
      if (!component.empty()) {
        (void)::_mkdir(component.c_str());  // an existing folder is fine
        if (::_chdir(component.c_str()) != 0) return false;
      }
      component.clear();
    } else {
      component += c;
    }
  }
  return true;
}

namespace {

// ExtractEzpEntry, with bad package content also noted for the exit status.
bool Extract(WizardOps& wizard, const std::string& name, const EzpIndex& index, const std::string& target) {
  EzpStatus status = ExtractEzpEntryStatus(name, index, target);
  if (IsEzpContentError(status)) {
    wizard.NoteDamagedPackage();
    ReportEzpExtractError(name);
  }
  return status == EzpStatus::kOk;
}

}  // namespace

void DeployPackage(WizardOps& wizard, const EzpIndex& index, const std::string& folder, PackageKind kind,
                   DeployCounters& counters) {
  for (const auto& [name, entry] : index) {
    if (wizard.StopRequested()) return;
    if (::_chdir(folder.c_str()) != 0) DirectoryAccessError(wizard);

    std::string target;
    if (!JoinEzpEntryPath(folder, name, &target)) {
      // A name that would leave the folder is never written: the package is damaged.
      wizard.NoteDamagedPackage();
      ReportEzpExtractError(name);
    } else {
      std::string relative = name.substr(1);
      if (kind == PackageKind::kWinDir) wizard.AppendStatus(target);
      (void)MakeEntryDirectories(relative);

      bool done = Extract(wizard, name, index, target);
      while (!done && !wizard.StopRequested()) {
        if (MatchesSharedModuleName(target)) break;  // shared with other software: left as it is
        if (CloseHoldingPrograms(index, folder, wizard)) {
          done = Extract(wizard, name, index, target);
          continue;
        }
        int answer = wizard.ShowMessage("无法写入文件，是否忽略？\n" + target, "错误", MB_YESNO | MB_ICONERROR);
        if (answer == IDYES) {
          wizard.NoteAbandonedFile();
          break;
        }
        done = Extract(wizard, name, index, target);
      }
    }
    if (kind == PackageKind::kSetupDir) wizard.AppendStatus(target.empty() ? folder + name.substr(1) : target);
    ++counters.processed;
    if (counters.total > 0) wizard.SetProgress(50 * counters.processed / counters.total);
  }
}

void MarkSystemLibrariesReadOnly(const std::string&) {}

void BackupSetupProgram(const std::string&) {}
