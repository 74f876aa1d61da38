// A dialog on a template of the program's resources: one dialog procedure stores the object at
// WM_INITDIALOG and forwards to virtual handlers. Modal and modeless dialogs differ only in how they
// are started and ended. No exception crosses into Win32: the procedure catches at its edge.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog on the calling thread until EndDialog; returns what EndDialog was given, or -1
  // when the dialog could not be created. The window shows only if its template or its
  // initialisation makes it visible.
  INT_PTR DoModal(UINT template_id, HWND parent = nullptr);
  // Creates the dialog without a loop of its own; the window lives until the object is destroyed
  // or EndDialog is called. False when it could not be created.
  bool Create(UINT template_id, HWND parent = nullptr);
  // Ends a modal dialog with result, or destroys a modeless one.
  void EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

  // Control helpers; texts are narrow (code page 936).
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  void ShowItem(int id, bool show);
  void EnableItem(int id, bool enable);
  bool IsChecked(int id) const;
  void SetCheck(int id, bool checked);

 protected:
  // Return TRUE to let the system set the default focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // A command from a control or menu; return true when handled. Unhandled IDOK and IDCANCEL go to
  // OnOK and OnCancel.
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // WM_CLOSE; return true when handled (otherwise the system turns it into IDCANCEL).
  virtual bool OnClose() { return false; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // Any other message. Return true when handled, with *result as the message's result.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/, LRESULT* /*result*/) { return false; }
  // Called when the window is gone (WM_NCDESTROY).
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = -1;
};

}  // namespace win32
