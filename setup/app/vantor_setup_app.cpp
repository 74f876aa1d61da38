#include "vantor_setup_app.h"

#include <windows.h>

#include <commctrl.h>

#include "exit_codes.h"
#include "owners.h"
#include "setup_text.h"
#include "vantor_setup_dlg.h"

int CVantorSetupApp::InitInstance(const std::string& commandLine) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
  ::InitCommonControlsEx(&controls);

  // Held for the life of the process; a second copy ends at once, without a window.
  ::SetLastError(ERROR_SUCCESS);
  win32::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, "VANTORSETUP"));
  if (!mutex) return kExitUnexpected;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return kExitAlreadyRunning;

  StartFlags flags = ParseStartFlags(CommandLineTail(commandLine));
  CVantorSetupDlg dialog(flags.unattended, flags.silent);
  dialog.Run();
  return dialog.ExitCode();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CVantorSetupApp app;
  return app.InitInstance(::GetCommandLineA());
}
