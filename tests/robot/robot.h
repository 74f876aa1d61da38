// Test robot: drives another process's windows the way a person would, for tests that run in the
// same (Wine) desktop as the program under test. Texts are wide strings so that tests compare them
// exactly; nothing here waits on the other program except where a timeout says so, and no call
// can hang on a modal message box the other program opens.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace robot {

// Polls `condition` about every 50 ms until it holds or `timeout_ms` has passed. It is always asked
// at least once, and once more at the deadline; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms);

// A program started by the test. Move-only; the destructor kills the program if it still runs (so a
// failed assertion leaves nothing behind) and closes the handle.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts `program` (a full path) with the command-line tail `args`, as CreateProcessW would get
  // it after the quoted program name. An invalid Process when it cannot start; `error` then gets
  // GetLastError().
  static Process Start(const std::wstring& program, const std::wstring& args, DWORD* error = nullptr);

  bool valid() const { return handle_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return handle_; }

  // True when the program has ended within `timeout_ms`.
  bool Wait(DWORD timeout_ms) const;
  bool Running() const { return valid() && !Wait(0); }
  // The exit code once the program has ended; nothing while it runs.
  std::optional<DWORD> ExitCode() const;
  // Terminates the program with `exit_code` and waits for it to be gone; true when it is.
  bool Kill(UINT exit_code = 1);

 private:
  void Reset();
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

enum class Visibility { kAny, kVisible, kHidden };

// The first top-level window whose title is exactly `title`, of process `pid` (0: any process) and
// of the given visibility, waiting up to `timeout_ms` for it to appear. nullptr when none came.
// A window may be found before its program has finished filling it (a hidden one above all, as
// nothing waits for it to be shown): wait for the state a test reads, not just for the window.
HWND FindTopWindow(const std::wstring& title, DWORD pid = 0, DWORD timeout_ms = 0,
                   Visibility visibility = Visibility::kAny);
// All top-level windows of process `pid` (hidden ones included), in Z order.
std::vector<HWND> TopWindowsOf(DWORD pid);

// A dialog or message box (class "#32770") titled exactly `title`, of process `pid` (0: any), other
// than `except`, waiting up to `timeout_ms`. A program's message boxes often carry its main window's
// title: pass the main window as `except`, or use FindOwnedDialog.
HWND FindDialog(const std::wstring& title, DWORD pid, DWORD timeout_ms, HWND except = nullptr);
// A dialog or message box titled `title` whose owner is `owner` (as MessageBoxW(owner, ...) makes).
HWND FindOwnedDialog(HWND owner, const std::wstring& title, DWORD timeout_ms);
// The message of a message box: its static control 0xFFFF, otherwise its first static with text.
std::wstring MessageText(HWND box);

DWORD ProcessIdOf(HWND window);
std::wstring ClassOf(HWND window);
// The text of any window, read by WM_GETTEXT so that it works across processes; "" when the window
// does not exist or does not answer within a few seconds.
std::wstring TextOf(HWND window);

// Controls of a window in another process, by id. A missing control reads as "", hidden, disabled,
// unchecked, and -1 for progress values.
HWND Control(HWND parent, int id);
std::wstring ControlText(HWND parent, int id);
bool IsControlVisible(HWND parent, int id);  // its own style and every parent's (IsWindowVisible)
bool IsControlEnabled(HWND parent, int id);
int CheckState(HWND parent, int id);  // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE
int ProgressPos(HWND parent, int id);
std::pair<int, int> ProgressRange(HWND parent, int id);  // low, high
bool IsMinimized(HWND window);
// The lines of list box `id`, top to bottom.
std::vector<std::wstring> ListBoxItems(HWND parent, int id);

// Clicks button `id` of `parent` as a person would, without waiting for what the click does (it may
// open a modal message box): the click is posted. Message box buttons are IDOK, IDCANCEL, IDYES,
// IDNO... False, and nothing posted, when the button is missing, hidden or disabled.
bool Click(HWND parent, int id);
// Posts WM_CLOSE (the title bar's close button, or Esc in a message box); false when it is gone.
bool Close(HWND window);

// The tooltip texts of the icons in the notification area (the shell's tray window and its tooltips,
// read out of the shell's process). Empty when there is no notification area.
std::vector<std::wstring> NotificationAreaTips();

// A screenshot: 8-bit R, G, B per pixel, rows top first, no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  // 0xRRGGBB of the pixel at x, y (which must be inside).
  std::uint32_t Pixel(int x, int y) const;
};

// The whole virtual desktop, or the screen area a window covers (clipped to the desktop; what is on
// top of the window shows too). Nothing when the area is empty or GDI fails.
std::optional<Image> CaptureScreen();
std::optional<Image> CaptureWindow(HWND window);
bool SavePng(const Image& image, const std::filesystem::path& path);
// Capture and save in one step.
bool ScreenshotScreen(const std::filesystem::path& path);
bool ScreenshotWindow(HWND window, const std::filesystem::path& path);

}  // namespace robot
