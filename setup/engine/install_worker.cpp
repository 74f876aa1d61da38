#include "install_worker.h"

#include <windows.h>

#include <direct.h>
#include <shlobj.h>

#include <memory>

#include "deployment.h"
#include "exit_codes.h"
#include "excuseme_dlg.h"
#include "key_drivers.h"
#include "legacy_pending.h"
#include "note_dlg.h"
#include "prepare_packages.h"
#include "process_control.h"
#include "registration_pending.h"
#include "resource.h"
#include "system_pending.h"

namespace {

// A special folder followed by the given tail, or "" when the folder is unknown or the result would
// not fit the 260-byte path buffers the rest of the program uses.
std::string SpecialFolder(int csidl, const char* tail) {
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
  std::string path = std::string(folder) + tail;
  return path.size() < MAX_PATH ? path : std::string();
}

std::string InstallFolder() { return SpecialFolder(CSIDL_PROGRAM_FILES, "\\Vantor\\"); }
std::string SystemFolder() { return SpecialFolder(CSIDL_SYSTEM, "\\"); }

void BrowserWarning(WizardOps& wizard) {
  bool browser = IsProcessRunning("iexplore.exe") || IsProcessRunning("360se.exe") || IsProcessRunning("theworld.exe");
  if (browser && !wizard.Unattended() && !wizard.Silent()) {
    wizard.ShowMessage("即将开始安装,此过程会关闭浏览器,请保存好您的工作,点击\"确定\"继续", "提示",
                       MB_OK | MB_ICONINFORMATION);
  }
}

void EndSuitePrograms() {
  static const char* const kPrograms[] = {"vantorgui.exe", "vantorshell.exe", "vantor.exe",
                                          "catest.exe",    "update.exe",      "ostranegui.exe",
                                          "devicemonitor.exe", "usertools.exe", "keydeviceser.exe"};
  for (const char* name : kPrograms) KillProcessesByName(name);
  RefreshTrayIcons();
}

}  // namespace

void RunInstallSequence(WizardOps& wizard) {
  EzpIndex setupIndex, winIndex;
  auto stop = [&wizard] { return wizard.StopRequested(); };

  // 1. Browser warning.
  if (stop()) return;
  BrowserWarning(wizard);

  // 2. Initialising notice (a window of this thread; it paints once, the work below does not pump).
  if (stop()) return;
  std::unique_ptr<CNoteDlg> note;
  if (!wizard.Silent()) {
    note = std::make_unique<CNoteDlg>();
    if (note->Create(IDD_NOTE)) ::UpdateWindow(note->hwnd());
  }

  // 3. Unpack the packages and load both indexes.
  if (stop()) return;
  PreparePackages(wizard, setupIndex, winIndex);

  // 4. Close the notice, hide the wizard.
  note.reset();
  if (stop()) return;
  wizard.ShowWizard(false);

  // 5. Folders.
  std::string installFolder = InstallFolder();
  std::string systemFolder = SystemFolder();

  // 6. End the suite's running programs.
  if (stop()) return;
  EndSuitePrograms();

  // 7. Update-deferral check.
  if (stop()) return;
  if (wizard.Silent() && !FindProcessesHoldingFiles(installFolder, setupIndex).empty()) {
    CExcusemeDlg excuseme;
    excuseme.DoModal(IDD_EXCUSEME);
  }

  // 8. Earlier products, notification area, record folder.
  if (stop()) return;
  RemoveLegacyProducts(wizard.Unattended());
  RefreshTrayIcons();
  TidyClientLogFolder();

  // 9. Show the wizard again.
  if (stop()) return;
  if (!wizard.Silent()) wizard.ShowWizard(true);

  // 10. Enter Program Files and create the install folder.
  if (stop()) return;
  std::string programFiles = SpecialFolder(CSIDL_PROGRAM_FILES, "");
  if (programFiles.empty() || ::_chdir(programFiles.c_str()) != 0) DirectoryAccessError(wizard);
  (void)::_mkdir("Vantor");
  installFolder = InstallFolder();
  if (installFolder.empty() || systemFolder.empty()) DirectoryAccessError(wizard);

  // 11, 12. Programs holding files in the two folders.
  if (stop()) return;
  wizard.AppendStatus("检查安装目录...");
  (void)CloseHoldingPrograms(setupIndex, installFolder, wizard);
  if (stop()) return;
  wizard.AppendStatus("检查系统目录...");
  (void)CloseHoldingPrograms(winIndex, systemFolder, wizard);

  // 13, 14. Deployment, progress 0 to 50.
  DeployCounters counters;
  counters.total = static_cast<int>(setupIndex.size() + winIndex.size());
  if (stop()) return;
  DeployPackage(wizard, setupIndex, installFolder, PackageKind::kSetupDir, counters);
  if (stop()) return;
  if (::_chdir(systemFolder.c_str()) != 0) DirectoryAccessError(wizard);
  DeployPackage(wizard, winIndex, systemFolder, PackageKind::kWinDir, counters);

  // 15, 16. Read-only marking on old Windows, backup copy of this program.
  if (stop()) return;
  MarkSystemLibrariesReadOnly(systemFolder);
  BackupSetupProgram(installFolder);

  // 17. Path.
  if (stop()) return;
  wizard.AppendStatus("设置环境变量...");
  AddInstallFolderToPath(installFolder);
  wizard.SetProgress(51);

  // 18 to 22. USB-key drivers.
  InstallKeyDrivers(wizard, systemFolder, installFolder);

  // 23. Registration and the uninstall entry.
  if (stop()) return;
  wizard.AppendStatus("注册组件...");
  RegisterComponents(installFolder, systemFolder);
  wizard.SetProgress(99);

  // 24. Certificate-extension program.
  if (stop()) return;
  wizard.AppendStatus("安装证书延期控件...");
  StartCertExtensionControl(installFolder);
  wizard.SetProgress(100);

  // 25. Finish: after this the wizard is not touched again.
  ::Sleep(500);
  if (stop()) return;
  wizard.SetInstallDir(installFolder);
  wizard.SetPage(kPageFinished);
}

DWORD WINAPI InstallWorker(LPVOID wizard) {
  try {
    RunInstallSequence(*static_cast<WizardOps*>(wizard));
  } catch (...) {
    // Out of memory or worse: the run cannot go on, and an unattended run must not wait forever
    // for a finished page that will not come.
    ::ExitProcess(kExitUnexpected);
  }
  return 0;
}
