// A wizard that records what the install worker does with it, in order, as "kind:value" lines, and
// answers its message boxes from a script.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "wizard_ops.h"

class RecordingWizard : public WizardOps {
 public:
  RecordingWizard(bool unattended, bool silent, const std::string& temp_folder)
      : unattended_(unattended), silent_(silent), temp_(temp_folder) {}

  // Answers to give, in order; IDOK once the script is used up.
  std::deque<int> answers;
  // After this many recorded events the worker is told to stop (-1: never).
  int stop_after = -1;

  std::vector<std::string> events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  bool damaged() const { return damaged_; }
  bool abandoned() const { return abandoned_; }

  bool Unattended() const override { return unattended_; }
  bool Silent() const override { return silent_; }
  std::string SetupIndexPath() const override { return temp_ + "setupdir.ezpi"; }
  std::string SetupStorePath() const override { return temp_ + "setupdir.ezps"; }
  std::string WinIndexPath() const override { return temp_ + "windir.ezpi"; }
  std::string WinStorePath() const override { return temp_ + "windir.ezps"; }

  void AppendStatus(const std::string& text) override { Record("status:" + text); }
  void SetProgress(int percent) override { Record("progress:" + std::to_string(percent)); }
  void SetPage(int page) override { Record("page:" + std::to_string(page)); }
  void SetInstallDir(const std::string& folder) override { Record("installdir:" + folder); }
  void ShowWizard(bool show) override { Record(show ? "show" : "hide"); }
  int ShowMessage(const std::string& text, const char* caption, UINT) override {
    Record("message:" + std::string(caption ? caption : "(program)") + ":" + text);
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers.empty()) return IDOK;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  bool StopRequested() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return stop_after >= 0 && static_cast<int>(events_.size()) >= stop_after;
  }
  void NoteDamagedPackage() override { damaged_ = true; }
  void NoteAbandonedFile() override { abandoned_ = true; }

 private:
  void Record(const std::string& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
  }

  const bool unattended_, silent_;
  const std::string temp_;
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
  std::atomic<bool> damaged_{false}, abandoned_{false};
};
