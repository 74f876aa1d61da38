#include "vantor_setup_dlg.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "exit_codes.h"
#include "install_worker.h"
#include "legacy_pending.h"
#include "resource.h"
#include "setup_text.h"

namespace {

// Sent by OnUiThread; lparam points at the std::function to run.
constexpr UINT kMsgRunOnUiThread = WM_APP + 1;
// The notification-area icon's messages.
constexpr UINT kMsgTrayIcon = WM_USER + 5;
constexpr UINT kTrayIconId = 128;

const char kNoticeText[] =
    "安装须知:\r\n安装本软件时，请不要将您的数字证书插入电脑USB接口中，并请确保已关闭相关程序！安装过程提示修改"
    "注册表等，请点击“同意”或者“是”即可！（为了保证您正常安装，请您先关闭浏览器、上网助手、雅虎助手、杀毒软件等"
    "拦截弹出窗口软件和所有应用程序。）";

// The program's name: the caption of message boxes that give none.
const char kAppName[] = "VantorSetup";

win32::UniqueIcon LoadAppIcon(int size) {
  return win32::UniqueIcon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
}

// Copies text into a fixed field of the notification record, cut at a character boundary.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::string cut = text.substr(0, N - 1);
  // Never leave half of a double-byte character at the end.
  std::size_t i = 0, keep = 0;
  while (i < cut.size()) {
    std::size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(cut[i])) ? 2 : 1;
    if (i + step > cut.size()) break;
    i += step;
    keep = i;
  }
  std::memcpy(field, cut.data(), keep);
  field[keep] = '\0';
}

}  // namespace

CVantorSetupDlg::CVantorSetupDlg(bool unattended, bool silent)
    : m_bUnattended(unattended),
      m_bSilent(silent),
      m_hIcon(LoadAppIcon(::GetSystemMetrics(SM_CXICON))),
      m_hSmallIcon(LoadAppIcon(::GetSystemMetrics(SM_CXSMICON))) {}

CVantorSetupDlg::~CVantorSetupDlg() {
  // The worker uses this object until it returns.
  if (m_hWorkerThread) ::WaitForSingleObject(m_hWorkerThread.get(), INFINITE);
}

void CVantorSetupDlg::Run() {
  m_uiThread = ::GetCurrentThreadId();
  DoModal(IDD_VANTORSETUP_DIALOG);
  // After the finished page the worker only releases its indexes; wait for that, so that nothing
  // runs while the process ends.
  if (m_hWorkerThread) ::WaitForSingleObject(m_hWorkerThread.get(), INFINITE);
  if (m_trayIcon) ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
}

int CVantorSetupDlg::ExitCode() const {
  if (m_cancelled) return kExitCancelled;
  if (!m_finished) return kExitUnexpected;
  if (m_damagedPackage) return kExitDamagedPackage;
  if (m_abandonedFile) return kExitFileAbandoned;
  return kExitFinished;
}

void CVantorSetupDlg::OnUiThread(const std::function<void()>& f) {
  if (::GetCurrentThreadId() == m_uiThread) {
    f();
    return;
  }
  if (m_stopRequested) return;
  ::SendMessageW(hwnd(), kMsgRunOnUiThread, 0, reinterpret_cast<LPARAM>(&f));
}

BOOL CVantorSetupDlg::OnInitDialog() {
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.get()));
  InitDesktopShortcutBox();
  std::string title = WizardTitle(kSuiteVersion);
  SetItemText(IDC_TITLE, "欢迎使用Zeva数字证书客户端软件");
  SetItemText(IDC_RUN_CLIENT, "运行Zeva数字证书客户端软件");
  ::SetWindowTextA(hwnd(), title.c_str());

  char temp[MAX_PATH] = {};
  DWORD length = ::GetTempPathA(MAX_PATH, temp);
  std::string folder = length > 0 && length < MAX_PATH ? std::string(temp, length) : std::string();
  m_strSetupIndexPath = folder + "setupdir.ezpi";
  m_strSetupStorePath = folder + "setupdir.ezps";
  m_strWinIndexPath = folder + "windir.ezpi";
  m_strWinStorePath = folder + "windir.ezps";

  m_titleFont.reset(::CreateFontA(10, 10, 0, 0, 900, FALSE, FALSE, FALSE, 134, 0, 0, DRAFT_QUALITY, 0x31, "黑体"));
  ::SendMessageW(Item(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.get()), TRUE);
  SetItemText(IDC_NOTICE, kNoticeText);
  // The status box holds more than an edit control takes by default.
  ::SendMessageW(Item(IDC_STATUS), EM_SETLIMITTEXT, 0, 0);

  RECT frame;
  ::GetClientRect(Item(IDC_BANNER_FRAME), &frame);
  ::MoveWindow(Item(IDC_BANNER), frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, TRUE);
  ShowItem(IDC_BANNER_FRAME, false);

  if (m_bUnattended) {
    EnableItem(IDC_CANCEL_FINISH, false);
    AddTrayIcon();
  }
  ::ShowWindow(hwnd(), m_bSilent ? SW_HIDE : SW_SHOW);
  SetPage(kPageWelcome);
  return TRUE;
}

void CVantorSetupDlg::SetPage(int page) {
  OnUiThread([this, page] {
    m_nPage = page;
    if (page < kPageWelcome || page > kPageFinished) return;
    const bool welcome = page == kPageWelcome, installing = page == kPageInstalling, finished = page == kPageFinished;
    ShowItem(IDC_BANNER, !installing);
    ShowItem(IDC_NOTICE, welcome);
    ShowItem(IDC_TITLE, !installing);
    if (finished) SetItemText(IDC_TITLE, "安装完成!");
    ShowItem(IDC_INSTALL, welcome);
    ShowItem(IDC_STATUS, installing);
    ShowItem(IDC_PROGRESS, installing);
    ShowItem(IDC_RUN_CLIENT, finished);
    if (finished) SetCheck(IDC_RUN_CLIENT, true);
    ShowItem(IDC_DESKTOP_SHORTCUT, finished);
    SetItemText(IDC_CANCEL_FINISH, finished ? "完成" : "取消");
    if (finished) m_finished = true;

    if (welcome && m_bUnattended) {
      StartWorker();
      ShowBalloon("正在为您安装...请稍候...", 99999);
    }
    if (finished && m_bUnattended) {
      ShowBalloon("恭喜您,安装完成!", 2333);
      ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
      m_trayIcon = false;
      RunFinishActions();
    }
  });
}

void CVantorSetupDlg::AppendStatus(const std::string& text) {
  OnUiThread([this, &text] {
    // Read through a 60,000-byte buffer, as the box always was.
    std::vector<char> previous(60000, '\0');
    int got = ::GetWindowTextA(Item(IDC_STATUS), previous.data(), static_cast<int>(previous.size()));
    std::string composed = ComposeStatusText(text, std::string(previous.data(), got > 0 ? got : 0));
    ::SetWindowTextA(Item(IDC_STATUS), composed.c_str());
  });
}

void CVantorSetupDlg::SetProgress(int percent) {
  OnUiThread([this, percent] {
    ::SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  });
}

std::string CVantorSetupDlg::CorruptPackageMessage(int code) const { return ::CorruptPackageMessage(code); }

void CVantorSetupDlg::SetInstallDir(const std::string& folder) {
  OnUiThread([this, &folder] { m_strInstallDir = folder; });
}

void CVantorSetupDlg::ShowWizard(bool show) {
  OnUiThread([this, show] { ::ShowWindow(hwnd(), show ? SW_SHOW : SW_HIDE); });
}

int CVantorSetupDlg::ShowMessage(const std::string& text, const char* caption, UINT type) {
  // Modal on the calling thread with the wizard as owner; after a confirmed cancel nothing is asked
  // any more and the answer that ends a retry loop is given.
  if (m_stopRequested) return IDYES;
  return ::MessageBoxA(hwnd(), text.c_str(), caption ? caption : kAppName, type);
}

void CVantorSetupDlg::InitDesktopShortcutBox() {
  SetCheck(IDC_DESKTOP_SHORTCUT, true);
  char folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder))) return;
  std::string uninstaller = std::string(folder) + "\\Vantor\\uninstall.exe";
  if (!::PathFileExistsA(uninstaller.c_str())) return;
  // An earlier installation: keep the user's earlier choice, seen in the all-users desktop link.
  char desktop[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_COMMON_DESKTOPDIRECTORY, FALSE)) return;
  std::string link = desktop;
  if (link.empty() || link.back() != '\\') link += '\\';
  link += "数字证书客户端软件.lnk";
  if (!::PathFileExistsA(link.c_str())) SetCheck(IDC_DESKTOP_SHORTCUT, false);
}

void CVantorSetupDlg::RunFinishActions() {
  if (IsChecked(IDC_RUN_CLIENT)) {
    ::ShellExecuteA(nullptr, "open", "VantorShell.exe", nullptr, m_strInstallDir.c_str(), SW_SHOWNORMAL);
  }
  CreateShortcuts(m_strInstallDir, IsChecked(IDC_DESKTOP_SHORTCUT));
  EndDialog(IDOK);
}

// The full record, as the notification area of every supported Windows takes it.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAA) == 508, "NOTIFYICONDATAA of 508 bytes");

void CVantorSetupDlg::AddTrayIcon() {
  m_nid = NOTIFYICONDATAA{};
  m_nid.cbSize = sizeof m_nid;
  m_nid.hWnd = hwnd();
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = kMsgTrayIcon;
  m_nid.hIcon = m_hSmallIcon.get();
  CopyField(m_nid.szTip, "正在安装...请稍候!");
  m_trayIcon = ::Shell_NotifyIconA(NIM_ADD, &m_nid) != FALSE;
}

void CVantorSetupDlg::ShowBalloon(const std::string& text, UINT timeout_ms) {
  m_nid.cbSize = sizeof m_nid;
  m_nid.uFlags = NIF_INFO;
  m_nid.uTimeout = timeout_ms;
  m_nid.dwInfoFlags = NIIF_NONE;
  CopyField(m_nid.szInfo, text);
  CopyField(m_nid.szInfoTitle, "CA客户端");
  ::Shell_NotifyIconA(NIM_MODIFY, &m_nid);
}

void CVantorSetupDlg::StartWorker() {
  // Only ever one worker, whatever asks for it (the button, Enter, an unattended start).
  if (m_hWorkerThread || m_nPage != kPageWelcome) return;
  SetPage(kPageInstalling);
  m_hWorkerThread.reset(::CreateThread(nullptr, 0, InstallWorker, static_cast<WizardOps*>(this), 0, nullptr));
}

void CVantorSetupDlg::ConfirmCancel() {
  if (m_cancelling || !::IsWindowEnabled(Item(IDC_CANCEL_FINISH))) return;
  m_cancelling = true;
  int answer = ::MessageBoxA(hwnd(), "您确定要取消安装吗?", "提示", MB_YESNO | MB_ICONQUESTION);
  // The worker may have finished while the question was open: then "完成" is what is left to do.
  if (answer == IDYES && m_nPage != kPageFinished) {
    m_stopRequested = true;
    m_cancelled = true;
    WaitForWorker();
    EndDialog(IDOK);
  }
  m_cancelling = false;
}

void CVantorSetupDlg::WaitForWorker() {
  if (!m_hWorkerThread) return;
  // The worker may be sending us a message right now: keep handling messages until it has stopped,
  // with the window disabled so that nothing is clicked meanwhile.
  ::EnableWindow(hwnd(), FALSE);
  HANDLE worker = m_hWorkerThread.get();
  for (;;) {
    DWORD r = ::MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  ::EnableWindow(hwnd(), TRUE);
}

bool CVantorSetupDlg::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  if (id == IDC_INSTALL) {
    StartWorker();
    return true;
  }
  if (id == IDC_CANCEL_FINISH) {
    if (m_nPage == kPageFinished) RunFinishActions();
    else ConfirmCancel();
    return true;
  }
  return false;
}

// Enter: the install button's work; StartWorker does nothing past the welcome page.
void CVantorSetupDlg::OnOK() { StartWorker(); }

// Escape: the cancel button's question, where that button is there to press.
void CVantorSetupDlg::OnCancel() {
  if (m_nPage != kPageFinished) ConfirmCancel();
}

bool CVantorSetupDlg::OnClose() {
  ::ShowWindow(hwnd(), SW_MINIMIZE);
  return true;
}

bool CVantorSetupDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  switch (message) {
    case kMsgRunOnUiThread:
      (*reinterpret_cast<const std::function<void()>*>(lparam))();
      *result = 0;
      return true;
    case kMsgTrayIcon:
      if (lparam == WM_LBUTTONDOWN || lparam == WM_RBUTTONDOWN) ::ShowWindow(hwnd(), SW_SHOW);
      *result = 0;
      return true;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == Item(IDC_NOTE_RED)) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        ::SetTextColor(dc, RGB(255, 0, 0));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        *result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        return true;
      }
      return false;
    case WM_PAINT:
      if (::IsIconic(hwnd())) {
        Paint();
        *result = 0;
        return true;
      }
      return false;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<LRESULT>(m_hIcon.get());
      return true;
    default:
      return false;
  }
}

void CVantorSetupDlg::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd(), &ps);
  ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, m_hIcon.get());
  ::EndPaint(hwnd(), &ps);
}
