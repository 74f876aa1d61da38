#include "deployment.h"

#include <windows.h>

#include <direct.h>

#include <cstdint>
#include <vector>

#include "autoclose_dlg.h"
#include "exit_codes.h"
#include "ezp_file.h"
#include "resource.h"
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
  wizard.ShowWizard(false);
  cautoclosedlg dialog;
  dialog.m_processes = holders;
  dialog.DoModal(IDD_AUTOCLOSE);
  if (!wizard.Silent()) wizard.ShowWizard(true);
  return true;
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
    if (kind == PackageKind::kSetupDir) wizard.AppendStatus(target.empty() ? folder + name.substr(name.empty() ? 0 : 1) : target);
    ++counters.processed;
    if (counters.total > 0) wizard.SetProgress(50 * counters.processed / counters.total);
  }
}

void MarkSystemLibrariesReadOnly(const std::string& systemFolder) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&version) || version.dwMajorVersion > 5) return;
#pragma GCC diagnostic pop
  (void)::_chdir(systemFolder.c_str());
  for (const char* name : {"msvcp60.dll", "msvcr70.dll", "mfc70.dll", "Winscard.dll"}) {
    ::SetFileAttributesA(name, FILE_ATTRIBUTE_READONLY);
  }
}

void BackupSetupProgram(const std::string& installFolder) {
  char self[1024] = {};
  DWORD length = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return;
  // Written beside the old copy and put in its place in one step, and only when it differs, so that
  // a repeated installation writes nothing here either.
  EzpInputFile source;
  std::uint64_t size = 0;
  if (!source.Open(self) || !source.Size(&size) || size > 0x7FFFFFFF) return;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!source.ReadExact(bytes.data(), bytes.size())) return;
  source.Close();
  const std::string target = installFolder + "casetup_bk.exe";
  if (EzpFileHoldsExactly(target, bytes.data(), bytes.size())) return;
  EzpFileReplacer copy;
  if (copy.Begin(target) && copy.Write(bytes.data(), bytes.size())) (void)copy.Commit();
}
