#include "key_drivers.h"

#include <windows.h>

#include <shlwapi.h>

#include "legacy_pending.h"
#include "system_pending.h"

bool IsSystem64Bit() {
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return false;
  using GetWow64Dir = UINT(WINAPI*)(LPWSTR, UINT);
  auto get = reinterpret_cast<GetWow64Dir>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetSystemWow64DirectoryW")));
  if (!get) return false;
  wchar_t buffer[MAX_PATH];
  if (get(buffer, MAX_PATH) != 0) return true;
  return ::GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
}

namespace {

bool Present(const std::string& folder, const char* name) { return ::PathFileExistsA((folder + name).c_str()) != 0; }

}  // namespace

void InstallKeyDrivers(WizardOps& wizard, const std::string& systemFolder, const std::string& installFolder) {
  if (wizard.StopRequested()) return;
  if (Present(systemFolder, "\\KeyDeviceSer.exe")) {
    wizard.AppendStatus("安装握奇驱动...");
    (void)RepairKeyDrivers(systemFolder, installFolder);
    RunProgram("KeyDeviceSer.exe", "-i", systemFolder);
    RunProgram("WDMonitor34_zeva.exe", "-i", systemFolder);
    RunProgram("WDMonitor34_zeva.exe", "-s", systemFolder);
    if (IsSystem64Bit()) RunProgram("DPInst64.exe", "/s", installFolder + "\\woqiDriver\\x64\\");
  }
  wizard.SetProgress(70);

  if (wizard.StopRequested()) return;
  wizard.AppendStatus("安装飞天驱动...");
  RunProgram("MoAcess.exe", "", systemFolder);
  wizard.SetProgress(80);

  if (wizard.StopRequested()) return;
  if (Present(installFolder, "\\Vista98setup.exe")) {
    wizard.AppendStatus("安装恒宝驱动...");
    RunProgram("Vista98setup.exe", "/verysilent /norestart", installFolder);
    RunProgram("loginsetup0227.exe", "/verysilent /norestart", installFolder);
  }
  wizard.SetProgress(85);

  if (wizard.StopRequested()) return;
  if (Present(installFolder, "\\mhDrv35.EXE")) {
    wizard.AppendStatus("安装明华驱动...");
    RunProgram("mhDrv35.EXE", "", installFolder);
    RunProgram("ImportRootCert.exe", "", installFolder);
  }
  wizard.SetProgress(90);

  if (wizard.StopRequested()) return;
  if (Present(installFolder, "\\InstDrvZc.exe")) {
    wizard.AppendStatus("安装中钞驱动...");
    RunProgram("InstDrvZc.exe", "", systemFolder);
  }
  wizard.SetProgress(97);
}
