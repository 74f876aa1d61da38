// Runs a modal dialog on a thread of its own, as the install worker runs its dialogs, while the test
// thread plays the person in front of it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "robot.h"

class DialogThread {
 public:
  // run builds the dialog and returns what DoModal returned; title finds its window (visible).
  DialogThread(std::function<INT_PTR()> run, const std::wstring& title, int end_button)
      : end_button_(end_button), thread_([this, run] {
          result_ = run();
          ended_ = true;
        }) {
    window_ = robot::FindTopWindow(title, ::GetCurrentProcessId(), 10000, robot::Visibility::kVisible);
  }
  // Ends a dialog that is still open with its end button (posted: it may be hidden), then waits.
  ~DialogThread() {
    if (!ended_ && window_) ::PostMessageW(window_, WM_COMMAND, MAKEWPARAM(end_button_, BN_CLICKED), 0);
    thread_.join();
  }
  DialogThread(const DialogThread&) = delete;
  DialogThread& operator=(const DialogThread&) = delete;

  HWND window() const { return window_; }
  bool ended() const { return ended_; }
  INT_PTR result() const { return result_; }

 private:
  const int end_button_;
  std::atomic<bool> ended_{false};
  std::atomic<INT_PTR> result_{-2};
  std::thread thread_;
  HWND window_ = nullptr;
};
