#include "robot.h"

#include <commctrl.h>

#include "png_writer.h"

namespace robot {
namespace {

constexpr DWORD kPollMs = 50;
// How long a read may wait for the other program to answer a message: long enough for a busy
// Wine process, short enough that a hung one fails the test instead of stopping it.
constexpr UINT kAnswerMs = 5000;

// Owners of the GDI resources of a capture; each releases on every path.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class Bitmap {
 public:
  explicit Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
  ~Bitmap() {
    if (bitmap_) DeleteObject(bitmap_);
  }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  HBITMAP get() const { return bitmap_; }

 private:
  HBITMAP bitmap_;
};

// Selects an object into a DC and puts the previous one back, so that the object can be deleted.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  bool ok() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

bool Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
  *result = 0;
  if (!window) return false;
  return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerMs, result) != 0;
}

// The title as the window manager keeps it: no message goes to the owner, so enumerating windows
// never waits on a busy program.
std::wstring TitleOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(std::size_t(length) + 1, L'\0');
  const int got = GetWindowTextW(window, &text[0], length + 1);
  text.resize(got > 0 ? std::size_t(got) : 0);
  return text;
}

struct Search {
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK SearchOne(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if ((*search->match)(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The first top-level window that `match` accepts, waiting up to `timeout_ms`.
HWND FindTop(const std::function<bool(HWND)>& match, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        Search search{&match, nullptr};
        EnumWindows(SearchOne, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

bool IsDialogClass(HWND window) { return ClassOf(window) == L"#32770"; }

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

bool IsTextStatic(HWND window) {
  if (_wcsicmp(ClassOf(window).c_str(), L"Static") != 0) return false;
  const LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK;
  return type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const ULONGLONG left = deadline - now;
    Sleep(DWORD(left < kPollMs ? left : kPollMs));
  }
}

// --- Process ---

Process::~Process() { Reset(); }

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
  other.handle_ = nullptr;
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Reset();
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

void Process::Reset() {
  if (handle_) {
    if (Running()) Kill();
    CloseHandle(handle_);
  }
  handle_ = nullptr;
  id_ = 0;
}

Process Process::Start(const std::wstring& program, const std::wstring& args, DWORD* error) {
  // CreateProcessW may write into the command line, so it gets its own buffer.
  std::wstring line = L"\"" + program + L"\"";
  if (!args.empty()) line += L" " + args;
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Process process;
  if (!CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    if (error) *error = GetLastError();
    return process;
  }
  CloseHandle(info.hThread);
  process.handle_ = info.hProcess;
  process.id_ = info.dwProcessId;
  if (error) *error = ERROR_SUCCESS;
  return process;
}

bool Process::Wait(DWORD timeout_ms) const {
  return handle_ && WaitForSingleObject(handle_, timeout_ms) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
  DWORD code = 0;
  if (!Wait(0) || !GetExitCodeProcess(handle_, &code)) return std::nullopt;
  return code;
}

bool Process::Kill(UINT exit_code) {
  if (!handle_) return false;
  if (Wait(0)) return true;
  TerminateProcess(handle_, exit_code);
  // Termination is asynchronous: wait so that the program's files and windows are gone.
  return Wait(10000);
}

// --- Windows ---

DWORD ProcessIdOf(HWND window) {
  DWORD pid = 0;
  if (window) GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int got = window ? GetClassNameW(window, name, 256) : 0;
  return std::wstring(name, got > 0 ? std::size_t(got) : 0);
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length == 0) return {};
  // The text may grow between the two messages; what fits is what we read.
  std::wstring text(std::size_t(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &got)) return {};
  text.resize(got < length ? std::size_t(got) : std::size_t(length));
  return text;
}

HWND FindTopWindow(const std::wstring& title, DWORD pid, DWORD timeout_ms, Visibility visibility) {
  return FindTop(
      [&](HWND window) {
        if (pid != 0 && ProcessIdOf(window) != pid) return false;
        const bool visible = IsWindowVisible(window) != FALSE;
        if (visibility != Visibility::kAny && visible != (visibility == Visibility::kVisible)) return false;
        return TitleOf(window) == title;
      },
      timeout_ms);
}

std::vector<HWND> TopWindowsOf(DWORD pid) {
  std::vector<HWND> all;
  EnumWindows(CollectChild, reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> mine;
  for (HWND window : all) {
    if (ProcessIdOf(window) == pid) mine.push_back(window);
  }
  return mine;
}

HWND FindDialog(const std::wstring& title, DWORD pid, DWORD timeout_ms, HWND except) {
  return FindTop(
      [&](HWND window) {
        return window != except && (pid == 0 || ProcessIdOf(window) == pid) && IsWindowVisible(window) &&
               IsDialogClass(window) && TitleOf(window) == title;
      },
      timeout_ms);
}

HWND FindOwnedDialog(HWND owner, const std::wstring& title, DWORD timeout_ms) {
  if (!owner) return nullptr;
  return FindTop(
      [&](HWND window) {
        return GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window) && IsDialogClass(window) &&
               TitleOf(window) == title;
      },
      timeout_ms);
}

std::wstring MessageText(HWND box) {
  std::vector<HWND> children;
  if (box) EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
  // Dialog templates store the id as 16 bits, so 0xFFFF may read back as -1 as well.
  for (HWND child : children) {
    if (GetParent(child) == box && (GetWindowLongPtrW(child, GWLP_ID) & 0xFFFF) == 0xFFFF && IsTextStatic(child)) {
      std::wstring text = TextOf(child);
      if (!text.empty()) return text;
    }
  }
  for (HWND child : children) {
    if (IsTextStatic(child)) {
      std::wstring text = TextOf(child);
      if (!text.empty()) return text;
    }
  }
  return {};
}

HWND Control(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

std::wstring ControlText(HWND parent, int id) {
  HWND control = Control(parent, id);
  return control ? TextOf(control) : std::wstring();
}

bool IsControlVisible(HWND parent, int id) {
  HWND control = Control(parent, id);
  return control && IsWindowVisible(control);
}

bool IsControlEnabled(HWND parent, int id) {
  HWND control = Control(parent, id);
  return control && IsWindowEnabled(control);
}

int CheckState(HWND parent, int id) {
  DWORD_PTR state = 0;
  if (!Send(Control(parent, id), BM_GETCHECK, 0, 0, &state)) return BST_UNCHECKED;
  return int(state);
}

int ProgressPos(HWND parent, int id) {
  DWORD_PTR pos = 0;
  if (!Send(Control(parent, id), PBM_GETPOS, 0, 0, &pos)) return -1;
  return int(pos);
}

std::pair<int, int> ProgressRange(HWND parent, int id) {
  // Without a PBRANGE (a pointer means nothing in the other process) the return value is the limit
  // that wParam asks for: TRUE the low one, FALSE the high one.
  HWND control = Control(parent, id);
  DWORD_PTR low = 0;
  DWORD_PTR high = 0;
  if (!Send(control, PBM_GETRANGE, TRUE, 0, &low) || !Send(control, PBM_GETRANGE, FALSE, 0, &high)) return {-1, -1};
  return {int(low), int(high)};
}

bool IsMinimized(HWND window) { return window && IsIconic(window); }

std::vector<std::wstring> ListBoxItems(HWND parent, int id) {
  std::vector<std::wstring> items;
  HWND list = Control(parent, id);
  DWORD_PTR count = 0;
  if (!list || !Send(list, LB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) == LB_ERR) return items;
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!Send(list, LB_GETTEXTLEN, i, 0, &length) || static_cast<LRESULT>(length) == LB_ERR) break;
    // LB_GETTEXT carries its text across processes like WM_GETTEXT does.
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), &got)) break;
    items.emplace_back(text.data());
  }
  return items;
}

bool Click(HWND parent, int id) {
  HWND button = Control(parent, id);
  if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
  // A window disabled by its own modal dialog takes no clicks from a person either.
  HWND root = GetAncestor(button, GA_ROOT);
  if (root && !IsWindowEnabled(root)) return false;
  return PostMessageW(button, BM_CLICK, 0, 0) != 0;
}

bool Close(HWND window) { return window && IsWindow(window) && PostMessageW(window, WM_CLOSE, 0, 0) != 0; }

namespace {

// Memory in another process, freed with it.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, SIZE_T size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  void* get() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

struct TooltipSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTooltips(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TooltipSearch*>(param);
  if (ProcessIdOf(window) == search->pid && ClassOf(window) == TOOLTIPS_CLASSW) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<std::wstring> NotificationAreaTips() {
  std::vector<std::wstring> tips;
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return tips;
  TooltipSearch search{ProcessIdOf(tray), {}};
  EnumWindows(CollectTooltips, reinterpret_cast<LPARAM>(&search));
  struct ProcessHandle {
    HANDLE h;
    ~ProcessHandle() {
      if (h) CloseHandle(h);
    }
  } owner{OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, search.pid)};
  HANDLE shell = owner.h;
  if (!shell) return tips;
  {
    constexpr SIZE_T kTextChars = 256;
    RemoteMemory info(shell, sizeof(TTTOOLINFOW));
    RemoteMemory text(shell, kTextChars * sizeof(wchar_t));
    for (HWND tooltip : search.found) {
      DWORD_PTR count = 0;
      if (!info.get() || !text.get() || !Send(tooltip, TTM_GETTOOLCOUNT, 0, 0, &count)) continue;
      for (DWORD_PTR i = 0; i < count; ++i) {
        TTTOOLINFOW ti = {};
        ti.cbSize = sizeof ti;
        ti.lpszText = static_cast<LPWSTR>(text.get());
        wchar_t zero[kTextChars] = {};
        DWORD_PTR ok = 0;
        if (!WriteProcessMemory(shell, text.get(), zero, sizeof zero, nullptr) ||
            !WriteProcessMemory(shell, info.get(), &ti, sizeof ti, nullptr) ||
            !Send(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(info.get()), &ok) || !ok) {
          continue;
        }
        wchar_t read[kTextChars] = {};
        if (ReadProcessMemory(shell, text.get(), read, sizeof read - sizeof(wchar_t), nullptr)) tips.push_back(read);
      }
    }
  }
  return tips;
}

// --- Screenshots ---

std::uint32_t Image::Pixel(int x, int y) const {
  const std::uint8_t* p = &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
  return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

namespace {

std::optional<Image> CaptureRect(RECT area) {
  RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  desktop.right = desktop.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  desktop.bottom = desktop.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT clipped{};
  if (!IntersectRect(&clipped, &area, &desktop)) return std::nullopt;
  const int width = clipped.right - clipped.left;
  const int height = clipped.bottom - clipped.top;

  ScreenDc screen;
  if (!screen.get()) return std::nullopt;
  MemoryDc memory(screen.get());
  if (!memory.get()) return std::nullopt;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.get() || !bits) return std::nullopt;

  Image image;
  {
    Selection selected(memory.get(), bitmap.get());
    if (!selected.ok()) return std::nullopt;
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), clipped.left, clipped.top, SRCCOPY | CAPTUREBLT))
      return std::nullopt;
    GdiFlush();
  }

  // DIB rows are padded to 4 bytes and hold B, G, R.
  const std::size_t stride = (std::size_t(width) * 3 + 3) & ~std::size_t{3};
  const auto* src = static_cast<const std::uint8_t*>(bits);
  image.width = width;
  image.height = height;
  image.rgb.resize(std::size_t(width) * std::size_t(height) * 3);
  std::uint8_t* dst = image.rgb.data();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = src + std::size_t(y) * stride;
    for (int x = 0; x < width; ++x, dst += 3) {
      dst[0] = row[x * 3 + 2];
      dst[1] = row[x * 3 + 1];
      dst[2] = row[x * 3];
    }
  }
  return image;
}

}  // namespace

std::optional<Image> CaptureScreen() {
  RECT all{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  all.right = all.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  all.bottom = all.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  return CaptureRect(all);
}

std::optional<Image> CaptureWindow(HWND window) {
  RECT area{};
  if (!window || !GetWindowRect(window, &area)) return std::nullopt;
  return CaptureRect(area);
}

bool SavePng(const Image& image, const std::filesystem::path& path) {
  if (image.width <= 0 || image.height <= 0 || image.rgb.size() != std::size_t(image.width) * image.height * 3)
    return false;
  return WritePng(path, image.rgb.data(), image.width, image.height, std::size_t(image.width) * 3);
}

bool ScreenshotScreen(const std::filesystem::path& path) {
  const std::optional<Image> image = CaptureScreen();
  return image && SavePng(*image, path);
}

bool ScreenshotWindow(HWND window, const std::filesystem::path& path) {
  const std::optional<Image> image = CaptureWindow(window);
  return image && SavePng(*image, path);
}

}  // namespace robot
