// Chinese text through both ways our programs get it into windows: narrow literals compiled to code
// page 936 and passed to the A functions, and dialog templates from the resource compiler.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TextOf(HWND window) {
  wchar_t buf[256] = {};
  GetWindowTextW(window, buf, 256);
  return buf;
}

INT_PTR CALLBACK NoProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog of the resource script, destroyed at the end of the test.
class Dialog {
 public:
  Dialog() : hwnd_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr, NoProc, 0)) {}
  ~Dialog() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

TEST(CjkWindow, AnsiCodePageIs936) { EXPECT_EQ(GetACP(), 936u); }

TEST(CjkWindow, NarrowLiteralIsCodePage936) {
  const char text[] = "数字证书";
  EXPECT_EQ(std::string(text), std::string("\xca\xfd\xd7\xd6\xd6\xa4\xca\xe9"));
}

TEST(CjkWindow, TextsReadBackAsUtf16) {
  Dialog dialog;
  ASSERT_NE(dialog.get(), nullptr) << GetLastError();
  EXPECT_EQ(TextOf(dialog.get()), L"Zeva数字证书客户端软件 3.9 安装程序");
  EXPECT_EQ(TextOf(GetDlgItem(dialog.get(), 1001)), L"欢迎使用安装向导");

  HWND label = GetDlgItem(dialog.get(), 1002);
  ASSERT_TRUE(SetWindowTextA(label, "安装程序被损坏,请重新下载!"));
  EXPECT_EQ(TextOf(label), L"安装程序被损坏,请重新下载!");

  // Another thread reading the text by message, as a test robot in a second process would.
  wchar_t seen[256] = {};
  SendMessageW(label, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(seen));
  EXPECT_STREQ(seen, L"安装程序被损坏,请重新下载!");
}

}  // namespace
