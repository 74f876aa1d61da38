// What the install worker may do with the wizard: the operations the wizard offers it, and nothing
// else. The wizard dialog implements it; tests put a recorder in its place. All texts are narrow
// strings in code page 936. Every call has taken effect when it returns.
#pragma once

#include <windows.h>

#include <string>

inline constexpr int kPageWelcome = 0;
inline constexpr int kPageInstalling = 1;
inline constexpr int kPageFinished = 2;

class WizardOps {
 public:
  virtual ~WizardOps() = default;

  virtual bool Unattended() const = 0;
  virtual bool Silent() const = 0;
  // The temporary paths of the four package files.
  virtual std::string SetupIndexPath() const = 0;
  virtual std::string SetupStorePath() const = 0;
  virtual std::string WinIndexPath() const = 0;
  virtual std::string WinStorePath() const = 0;

  virtual void AppendStatus(const std::string& text) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void SetPage(int page) = 0;
  // Written just before the finished page is requested.
  virtual void SetInstallDir(const std::string& folder) = 0;
  // SW_SHOW or SW_HIDE of the wizard window.
  virtual void ShowWizard(bool show) = 0;
  // A message box owned by the wizard, modal on the calling thread; a null caption shows the
  // program's name. Returns the button pressed.
  virtual int ShowMessage(const std::string& text, const char* caption, UINT type) = 0;

  // True once the user confirmed a cancel: the worker starts no further step and leaves the wizard
  // alone from then on.
  virtual bool StopRequested() const = 0;

  // Outcomes that the program's exit status reports.
  virtual void NoteDamagedPackage() = 0;
  virtual void NoteAbandonedFile() = 0;
};
