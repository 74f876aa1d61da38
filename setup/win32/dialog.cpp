#include "dialog.h"

#include <vector>

namespace win32 {

namespace {

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

Dialog::~Dialog() {
  // A modeless window must not outlive its object: its procedure would reach freed memory.
  if (hwnd_ && !modal_) {
    HWND w = hwnd_;
    ::DestroyWindow(w);
  }
}

INT_PTR Dialog::DoModal(UINT template_id, HWND parent) {
  // Our own loop rather than DialogBoxParam, which shows the window whatever the dialog decided in
  // its initialisation; a silent run must be able to stay hidden.
  modal_ = true;
  ended_ = false;
  result_ = -1;
  HWND disabled_owner = nullptr;
  if (parent && ::IsWindowEnabled(parent)) {
    ::EnableWindow(parent, FALSE);
    disabled_owner = parent;
  }
  HWND window = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, Proc,
                                     reinterpret_cast<LPARAM>(this));
  if (window) {
    MSG msg;
    while (!ended_ && hwnd_) {
      BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave WM_QUIT for the loop outside
        break;
      }
      if (got == -1) break;
      if (!::IsDialogMessageW(hwnd_, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }
  if (disabled_owner) ::EnableWindow(disabled_owner, TRUE);
  if (hwnd_) ::DestroyWindow(hwnd_);
  return window ? result_ : -1;
}

bool Dialog::Create(UINT template_id, HWND parent) {
  modal_ = false;
  return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), parent, Proc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    result_ = result;
    ended_ = true;
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the loop if this came from outside a message
  } else {
    ::DestroyWindow(hwnd_);
  }
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  int length = ::GetWindowTextLengthA(item);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  int got = ::GetWindowTextA(item, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

void Dialog::SetItemText(int id, const std::string& text) { ::SetDlgItemTextA(hwnd_, id, text.c_str()); }

void Dialog::ShowItem(int id, bool show) { ::ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }

void Dialog::EnableItem(int id, bool enable) { ::EnableWindow(Item(id), enable ? TRUE : FALSE); }

bool Dialog::IsChecked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Dialog::SetCheck(int id, bool checked) {
  ::SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lparam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  try {
    return self->Dispatch(message, wparam, lparam);
  } catch (...) {
    // Nothing may unwind through the system's code; the message counts as not handled.
    return FALSE;
  }
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      int id = LOWORD(wparam);
      if (OnCommand(id, HIWORD(wparam), reinterpret_cast<HWND>(lparam))) return TRUE;
      if (id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      return OnClose() ? TRUE : FALSE;
    case WM_TIMER:
      OnTimer(wparam);
      return TRUE;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
      hwnd_ = nullptr;
      OnDestroyed();
      return FALSE;
    default:
      break;
  }
  LRESULT result = 0;
  if (!OnMessage(message, wparam, lparam, &result)) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace win32
