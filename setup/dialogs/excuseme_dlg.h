// "需要更新": asks, in a silent update that would replace files in use, whether to update now or in
// a number of minutes (at most 120). Its answer is only a delay; it always ends with IDOK. While it
// is open, also while it waits hidden, it keeps "update.exe" from running.
#pragma once

#include <cstdint>

#include "dialog.h"
#include "owners.h"
#include "process_control.h"

class CExcusemeDlg : public win32::Dialog {
 public:
  explicit CExcusemeDlg(ProcessOps& processes = SystemProcessOps());

  static constexpr int kMaxMinutes = 120;
  static constexpr UINT kTimerPeriodMs = 100;

  // Seconds since 1970 (UTC) at which a postponed update goes on; 0 while nothing is postponed.
  std::int64_t m_deadline = 0;

 protected:
  BOOL OnInitDialog() override;
  void OnTimer(UINT_PTR id) override;
  void OnOK() override;      // "立即更新", Enter
  void OnCancel() override;  // "推迟", Escape
  bool OnClose() override;   // the close box does nothing

 private:
  int Minutes() const;

  ProcessOps& processes_;
  win32::UniqueIcon big_icon_;
  win32::UniqueIcon small_icon_;
};
