// What robot_target shows, shared with robot_selftest, which checks it from the other side.
#pragma once

#include <windows.h>

namespace target {

constexpr wchar_t kTitle[] = L"机器人靶子 Zeva数字证书";
constexpr wchar_t kEditText[] = L"数字证书 USB Key «测试»";
constexpr wchar_t kQuestion[] = L"确定要取消安装吗?\n已复制的文件将被删除。";
constexpr wchar_t kAnsweredNo[] = L"否";

enum : int {
  kEdit = 101,
  kCheck = 102,
  kProgress = 103,
  kAsk = 104,       // opens the message box: Yes closes the window, No writes kAnsweredNo into kEdit
  kDisabled = 105,  // disabled; clicked, it would write into kEdit
  kHidden = 106,    // never shown; the same
  kStep = 107,      // moves the progress bar by kProgressStep
  kMinimize = 108,
  kArgs = 109,  // the command-line tail
  kTopPanel = 110,
  kBottomPanel = 111,
};

// A range that does not start at 0, so that low and high limits cannot be taken for each other.
constexpr int kProgressLow = 10;
constexpr int kProgressHigh = 250;
constexpr int kProgressStart = 60;
constexpr int kProgressStep = 20;

// Client-area position and size of each panel (pixels); the bottom one is right under the top one.
constexpr int kPanelX = 330;
constexpr int kPanelY = 10;
constexpr int kPanelWidth = 80;
constexpr int kPanelHeight = 50;
// Colours in which swapping red and blue, or top and bottom, gives a different pixel.
constexpr COLORREF kTopColor = RGB(0xD0, 0x30, 0x10);
constexpr COLORREF kBottomColor = RGB(0x20, 0x60, 0xC8);

}  // namespace target
