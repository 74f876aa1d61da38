#include "autoclose_dlg.h"

#include "resource.h"

cautoclosedlg::cautoclosedlg(ProcessTable& processes) : processes_(processes) {}

BOOL cautoclosedlg::OnInitDialog() {
  // The list box sorts the lines.
  for (const ProcessEntry& entry : m_processes) {
    ::SendMessageA(Item(IDC_PROGRAM_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.exePath.c_str()));
  }
  return TRUE;
}

void cautoclosedlg::TerminateListedPrograms() {
  for (const ProcessEntry& entry : m_processes) {
    // Without a path there is nothing to tell the listed program from another one by.
    if (entry.exePath.empty()) continue;
    processes_.TerminateIf(entry.processId, [&entry](const std::string& path) { return path == entry.exePath; });
  }
}

bool cautoclosedlg::OnCommand(int id, int code, HWND) {
  if (id == IDC_AUTO_CLOSE && code == BN_CLICKED) {
    OnOK();
    return true;
  }
  return false;
}

void cautoclosedlg::OnOK() {
  TerminateListedPrograms();
  EndDialog(IDOK);
}

void cautoclosedlg::OnCancel() {}

bool cautoclosedlg::OnClose() {
  TerminateListedPrograms();
  return true;  // the close command that would follow does nothing: the dialog stays
}
