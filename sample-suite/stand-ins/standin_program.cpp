// Stand-in for the suite's own programs (VantorShell.exe, VantorGui.exe, Update.exe, ...): a window
// titled with the program's file name, running until it is closed or ended. The setup program
// starts, finds and ends these by name, as it does the real ones.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// "VantorShell" for ...\VantorShell.exe
std::wstring OwnName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  std::wstring::size_type slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name = name.substr(slash + 1);
  std::wstring::size_type dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name = name.substr(0, dot);
  return name;
}

}  // namespace

#ifdef ZEVA_LOADS_CORE
// A program of the suite that keeps the suite's library loaded while it runs.
extern "C" __declspec(dllimport) const char* ZevaCoreVersion();
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
#ifdef ZEVA_LOADS_CORE
  (void)ZevaCoreVersion();
#endif
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"ZevaStandIn";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"ZevaStandIn", OwnName().c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                              120, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
