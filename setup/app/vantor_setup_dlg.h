// The wizard: welcome, installing and finished pages, the worker's context, and in unattended runs
// a notification-area icon and the finish actions without the user.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <functional>
#include <string>

#include "dialog.h"
#include "owners.h"
#include "wizard_ops.h"

class CVantorSetupDlg : public win32::Dialog, public WizardOps {
 public:
  CVantorSetupDlg(bool unattended, bool silent);
  ~CVantorSetupDlg() override;

  // Runs the wizard modally; returns when it has ended and the worker has stopped.
  void Run();

  // The exit status this run earned (see exit_codes.h).
  int ExitCode() const;

  // Operations of the wizard. Safe from the worker thread: each is carried out on the interface
  // thread and has taken effect when it returns.
  void SetPage(int page) override;
  void AppendStatus(const std::string& text) override;
  void SetProgress(int percent) override;
  std::string CorruptPackageMessage(int code) const;
  void RunFinishActions();
  void InitDesktopShortcutBox();
  void AddTrayIcon();
  void ShowBalloon(const std::string& text, UINT timeout_ms);

  // WizardOps, the rest of the worker's view.
  bool Unattended() const override { return m_bUnattended; }
  bool Silent() const override { return m_bSilent; }
  std::string SetupIndexPath() const override { return m_strSetupIndexPath; }
  std::string SetupStorePath() const override { return m_strSetupStorePath; }
  std::string WinIndexPath() const override { return m_strWinIndexPath; }
  std::string WinStorePath() const override { return m_strWinStorePath; }
  void SetInstallDir(const std::string& folder) override;
  void ShowWizard(bool show) override;
  int ShowMessage(const std::string& text, const char* caption, UINT type) override;
  bool StopRequested() const override { return m_stopRequested.load(); }
  void NoteDamagedPackage() override { m_damagedPackage = true; }
  void NoteAbandonedFile() override { m_abandonedFile = true; }

  // Start flags, fixed for the run.
  const bool m_bUnattended;
  const bool m_bSilent;

  int m_nPage = 0;
  std::string m_strSetupIndexPath;
  std::string m_strSetupStorePath;
  std::string m_strWinIndexPath;
  std::string m_strWinStorePath;
  std::string m_strInstallDir;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;      // Enter
  void OnCancel() override;  // Escape
  bool OnClose() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  // Runs f on the interface thread: directly when called there, otherwise through a sent message.
  // Once a cancel is confirmed, calls from the worker are dropped: it no longer touches the wizard.
  void OnUiThread(const std::function<void()>& f);
  void StartWorker();
  void ConfirmCancel();
  void WaitForWorker();
  void Paint();

  win32::UniqueIcon m_hIcon;       // big (32 x 32)
  win32::UniqueIcon m_hSmallIcon;  // small (16 x 16)
  win32::UniqueFont m_titleFont;
  win32::UniqueHandle m_hWorkerThread;
  NOTIFYICONDATAA m_nid{};
  bool m_trayIcon = false;
  bool m_cancelling = false;
  DWORD m_uiThread = 0;

  std::atomic<bool> m_stopRequested{false};
  std::atomic<bool> m_damagedPackage{false};
  std::atomic<bool> m_abandonedFile{false};
  bool m_cancelled = false;
  bool m_finished = false;
};
