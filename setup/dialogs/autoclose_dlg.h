// "CA客户端安装/升级需要关闭如下程序": lists the running programs that hold files the installation is
// about to replace, and closes them. Its one way out is "自动关闭", which terminates every listed
// program; the close box terminates them too but leaves the dialog open; Escape does nothing.
#pragma once

#include "dialog.h"
#include "process_scan.h"

class cautoclosedlg : public win32::Dialog {
 public:
  explicit cautoclosedlg(ProcessTable& processes = SystemProcessTable());

  // The programs to show and to close; filled by the caller before the dialog runs.
  ProcessList m_processes;

  // Terminates each listed program that is still the one listed: its id must still belong to a
  // process with the listed executable path, so that an id given to another program in between is
  // never hit. A program that cannot be opened is passed over.
  void TerminateListedPrograms();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;
  bool OnClose() override;

 private:
  ProcessTable& processes_;
};
