#include "excuseme_dlg.h"

#include <ctime>

#include "resource.h"

namespace {

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

win32::UniqueIcon LoadAppIcon(int size) {
  return win32::UniqueIcon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
}

}  // namespace

CExcusemeDlg::CExcusemeDlg(ProcessOps& processes)
    : processes_(processes),
      big_icon_(LoadAppIcon(::GetSystemMetrics(SM_CXICON))),
      small_icon_(LoadAppIcon(::GetSystemMetrics(SM_CXSMICON))) {}

BOOL CExcusemeDlg::OnInitDialog() {
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
  ::SetDlgItemInt(hwnd(), IDC_MINUTES, 10, TRUE);
  m_deadline = 0;
  ::SetTimer(hwnd(), 0, kTimerPeriodMs, nullptr);
  return TRUE;
}

int CExcusemeDlg::Minutes() const {
  BOOL ok = FALSE;
  int minutes = static_cast<int>(::GetDlgItemInt(hwnd(), IDC_MINUTES, &ok, TRUE));
  return ok ? minutes : 0;  // empty or unreadable: 0
}

void CExcusemeDlg::OnTimer(UINT_PTR) {
  if (Minutes() > kMaxMinutes) ::SetDlgItemInt(hwnd(), IDC_MINUTES, kMaxMinutes, TRUE);
  if (m_deadline > 0 && Now() >= m_deadline) {
    EndDialog(IDOK);
    return;
  }
  if (processes_.IsProcessRunning("update.exe")) processes_.KillProcessesByName("update.exe");
}

void CExcusemeDlg::OnOK() { EndDialog(IDOK); }

void CExcusemeDlg::OnCancel() {
  int minutes = Minutes();
  if (minutes > kMaxMinutes) minutes = kMaxMinutes;
  // A negative entry cannot come from the digits-only field; if it does, the update goes on now.
  if (minutes < 0) minutes = 0;
  m_deadline = Now() + static_cast<std::int64_t>(minutes) * 60;
  ::ShowWindow(hwnd(), SW_HIDE);
}

bool CExcusemeDlg::OnClose() { return true; }
