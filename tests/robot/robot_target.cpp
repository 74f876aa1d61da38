// The program robot_selftest drives: a dialog with one control of each kind the robot reads, a button
// that opens a modal message box, and two coloured panels for checking screenshots.
// Command-line tail: -s (the window stays hidden), -delay MS (wait before making the window),
// -exit N (the exit code once the window is closed; default 0). The whole tail shows in control 109.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "robot_target_ids.h"

namespace {

int g_exit_code = 0;
HBRUSH g_top_brush = nullptr;
HBRUSH g_bottom_brush = nullptr;

// The command line after the program name, as the robot passed it.
const wchar_t* Tail() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

HWND Add(HWND dialog, const wchar_t* window_class, const wchar_t* text, DWORD style, int id, int x, int y, int cx,
         int cy) {
  HWND control = CreateWindowExW(0, window_class, text, WS_CHILD | style, x, y, cx, cy, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}

void Build(HWND dialog) {
  // The title comes first, as a template's caption would: a robot can find the window before its
  // controls exist.
  SetWindowTextW(dialog, target::kTitle);
  SetWindowPos(dialog, nullptr, 40, 40, 440, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  Add(dialog, L"Edit", target::kEditText, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, target::kEdit, 10, 10,
      250, 24);
  Add(dialog, L"Button", L"记住我的选择", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, target::kCheck, 10, 44, 200,
      22);
  HWND progress = Add(dialog, PROGRESS_CLASSW, L"", WS_VISIBLE, target::kProgress, 10, 76, 300, 20);
  SendMessageW(progress, PBM_SETRANGE32, target::kProgressLow, target::kProgressHigh);
  SendMessageW(progress, PBM_SETPOS, target::kProgressStart, 0);
  Add(dialog, L"Button", L"询问…", WS_VISIBLE | WS_TABSTOP, target::kAsk, 10, 110, 100, 28);
  Add(dialog, L"Button", L"禁用", WS_VISIBLE | WS_DISABLED, target::kDisabled, 120, 110, 100, 28);
  Add(dialog, L"Button", L"隐藏", 0, target::kHidden, 230, 110, 100, 28);
  Add(dialog, L"Button", L"前进", WS_VISIBLE | WS_TABSTOP, target::kStep, 10, 146, 100, 28);
  Add(dialog, L"Button", L"最小化", WS_VISIBLE | WS_TABSTOP, target::kMinimize, 120, 146, 100, 28);
  Add(dialog, L"Static", Tail(), WS_VISIBLE | SS_LEFTNOWORDWRAP, target::kArgs, 10, 184, 400, 20);
  Add(dialog, L"Static", L"", WS_VISIBLE, target::kTopPanel, target::kPanelX, target::kPanelY, target::kPanelWidth,
      target::kPanelHeight);
  Add(dialog, L"Static", L"", WS_VISIBLE, target::kBottomPanel, target::kPanelX, target::kPanelY + target::kPanelHeight,
      target::kPanelWidth, target::kPanelHeight);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Build(dialog);
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (id == target::kTopPanel) return reinterpret_cast<INT_PTR>(g_top_brush);
      if (id == target::kBottomPanel) return reinterpret_cast<INT_PTR>(g_bottom_brush);
      return FALSE;
    }
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wparam)) {
        case target::kAsk:
          // Modal, owned by the dialog, and with the dialog's own title, as an installer's are.
          if (MessageBoxW(dialog, target::kQuestion, target::kTitle, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            DestroyWindow(dialog);
          } else {
            SetDlgItemTextW(dialog, target::kEdit, target::kAnsweredNo);
          }
          return TRUE;
        case target::kDisabled:
        case target::kHidden:
          SetDlgItemTextW(dialog, target::kEdit, L"不该被点到");
          return TRUE;
        case target::kStep:
          SendDlgItemMessageW(dialog, target::kProgress, PBM_DELTAPOS, target::kProgressStep, 0);
          return TRUE;
        case target::kMinimize:
          ShowWindow(dialog, SW_MINIMIZE);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(g_exit_code);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  bool hidden = false;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"-s") {
      hidden = true;
    } else if (arg == L"-delay" && i + 1 < argc) {
      Sleep(DWORD(_wtoi(argv[++i])));
    } else if (arg == L"-exit" && i + 1 < argc) {
      g_exit_code = _wtoi(argv[++i]);
    }
  }
  LocalFree(argv);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  g_top_brush = CreateSolidBrush(target::kTopColor);
  g_bottom_brush = CreateSolidBrush(target::kBottomColor);

  // An empty dialog template (style, extended style, no items, position and size in dialog units,
  // no menu, the dialog class, no title, then the font); the controls are made in WM_INITDIALOG.
  alignas(4) WORD dialog_template[32] = {};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_MODALFRAME;
  WORD* t = dialog_template;
  *t++ = LOWORD(style);
  *t++ = HIWORD(style);
  t += 2;      // extended style
  *t++ = 0;    // items
  t += 2;      // x, y
  *t++ = 200;  // cx
  *t++ = 120;  // cy
  t += 3;      // menu, class, title
  *t++ = 9;    // point size, then the face name
  for (const wchar_t* face = L"宋体"; *face; ++face) *t++ = WORD(*face);

  HWND dialog = CreateDialogIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template), nullptr,
                                           DialogProc, 0);
  if (!dialog) return 100;
  if (!hidden) ShowWindow(dialog, SW_SHOWNORMAL);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DeleteObject(g_top_brush);
  DeleteObject(g_bottom_brush);
  return int(msg.wParam);
}
