// The robot against robot_target, a program in another process of the same desktop, and the PNG
// encoder against a reader written here from the format.
// ROBOT_SCREENSHOT_DIR (a Windows path), when set, keeps the screenshots for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "png_writer.h"
#include "robot.h"
#include "robot_target_ids.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kWait = 15000;  // the first GUI program in a fresh Wine prefix can take seconds

// --- A PNG reader for what EncodePng writes: chunks with their CRCs, zlib with stored blocks ---

std::uint32_t Big32(const Bytes& b, std::size_t at) {
  return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) | b[at + 3];
}

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes raw;  // the filtered rows: a filter byte, then R, G, B per pixel
  int stored_blocks = 0;
};

// Fails the test (and returns false) at the first thing a strict reader would refuse.
bool DecodePng(const Bytes& png, DecodedPng* out) {
  static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) {
    ADD_FAILURE() << "no PNG signature";
    return false;
  }
  Bytes zlib;
  std::vector<std::string> types;
  for (std::size_t at = 8; at < png.size();) {
    if (png.size() - at < 12) {
      ADD_FAILURE() << "chunk cut at " << at;
      return false;
    }
    const std::uint32_t length = Big32(png, at);
    if (png.size() - at - 12 < length) {
      ADD_FAILURE() << "chunk longer than the file at " << at;
      return false;
    }
    const std::string type(png.begin() + std::ptrdiff_t(at + 4), png.begin() + std::ptrdiff_t(at + 8));
    const std::uint32_t crc = Big32(png, at + 8 + length);
    EXPECT_EQ(crc, robot::Crc32(&png[at + 4], 4 + length)) << type;
    const std::uint8_t* data = &png[at + 8];
    if (type == "IHDR") {
      EXPECT_EQ(length, 13u);
      out->width = Big32(png, at + 8);
      out->height = Big32(png, at + 12);
      EXPECT_EQ(Bytes(data + 8, data + 13), (Bytes{8, 2, 0, 0, 0})) << "depth, colour type, methods";
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), data, data + length);
    }
    types.push_back(type);
    at += 12 + length;
  }
  EXPECT_EQ(types.front(), "IHDR");
  EXPECT_EQ(types.back(), "IEND");

  if (zlib.size() < 6 || zlib[0] != 0x78 || (zlib[0] * 256 + zlib[1]) % 31 != 0) {
    ADD_FAILURE() << "bad zlib header";
    return false;
  }
  std::size_t at = 2;
  for (bool last = false; !last;) {
    if (zlib.size() - at < 5) {
      ADD_FAILURE() << "stored block header cut";
      return false;
    }
    last = zlib[at] & 1;
    EXPECT_EQ(zlib[at] >> 1, 0) << "not a stored block";
    const unsigned len = zlib[at + 1] | (zlib[at + 2] << 8);
    const unsigned nlen = zlib[at + 3] | (zlib[at + 4] << 8);
    EXPECT_EQ(len ^ 0xFFFFu, nlen);
    at += 5;
    if (zlib.size() - at < len) {
      ADD_FAILURE() << "stored block longer than the stream";
      return false;
    }
    out->raw.insert(out->raw.end(), zlib.begin() + std::ptrdiff_t(at), zlib.begin() + std::ptrdiff_t(at + len));
    at += len;
    ++out->stored_blocks;
  }
  EXPECT_EQ(zlib.size() - at, 4u) << "Adler-32 is the last thing";
  if (zlib.size() - at >= 4) {
    EXPECT_EQ(Big32(zlib, at), robot::Adler32(out->raw.data(), out->raw.size()));
  }
  return !testing::Test::HasFailure();
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- Checksums and encoder ---

TEST(PngChecksums, KnownValues) {
  const std::string ff(100000, '\xFF');  // long enough for Adler's sums to need the modulo
  struct Case {
    std::string input;
    std::uint32_t crc;
    std::uint32_t adler;
  } cases[] = {
      {"", 0, 1},
      {"a", 0xE8B7BE43, 0x00620062},
      {"123456789", 0xCBF43926, 0x091E01DE},
      {"Wikipedia", 0xADAAC02E, 0x11E60398},
      {ff, 0x68C6CEC4, 0x149A302C},
  };
  for (const Case& c : cases) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(c.input.data());
    EXPECT_EQ(robot::Crc32(data, c.input.size()), c.crc) << c.input.size() << " bytes";
    EXPECT_EQ(robot::Adler32(data, c.input.size()), c.adler) << c.input.size() << " bytes";
    // Continuing from a part's result gives the whole's.
    const std::size_t half = c.input.size() / 2;
    EXPECT_EQ(robot::Crc32(data + half, c.input.size() - half, robot::Crc32(data, half)), c.crc);
    EXPECT_EQ(robot::Adler32(data + half, c.input.size() - half, robot::Adler32(data, half)), c.adler);
  }
}

TEST(PngEncoder, PixelsComeBackInOrder) {
  struct Case {
    int width;
    int height;
    std::size_t padding;  // bytes after each row, as a DIB has
    robot::ChannelOrder order;
    int blocks;  // stored blocks of at most 65535 bytes
  } cases[] = {
      {1, 1, 0, robot::ChannelOrder::kRgb, 1},
      {3, 2, 3, robot::ChannelOrder::kBgr, 1},
      {2, 5, 0, robot::ChannelOrder::kRgb, 1},
      {1456, 15, 0, robot::ChannelOrder::kRgb, 1},  // (3 * 1456 + 1) * 15 = 65535: exactly one full block
      {1456, 16, 0, robot::ChannelOrder::kRgb, 2},
      {200, 120, 1, robot::ChannelOrder::kBgr, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " padding " << c.padding);
    const std::size_t stride = std::size_t(c.width) * 3 + c.padding;
    Bytes pixels(stride * std::size_t(c.height));
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 + i / 251);

    DecodedPng png;
    ASSERT_TRUE(DecodePng(robot::EncodePng(pixels.data(), c.width, c.height, stride, c.order), &png));
    EXPECT_EQ(png.width, std::uint32_t(c.width));
    EXPECT_EQ(png.height, std::uint32_t(c.height));
    EXPECT_EQ(png.stored_blocks, c.blocks);
    Bytes expected;
    for (int y = 0; y < c.height; ++y) {
      expected.push_back(0);
      for (int x = 0; x < c.width; ++x) {
        const std::uint8_t* p = &pixels[std::size_t(y) * stride + std::size_t(x) * 3];
        if (c.order == robot::ChannelOrder::kBgr) {
          expected.insert(expected.end(), {p[2], p[1], p[0]});
        } else {
          expected.insert(expected.end(), {p[0], p[1], p[2]});
        }
      }
    }
    EXPECT_TRUE(png.raw == expected);
  }
}

TEST(PngEncoder, RefusesWhatItCannotEncode) {
  const Bytes pixels(64);
  EXPECT_TRUE(robot::EncodePng(pixels.data(), 0, 1, 3).empty());
  EXPECT_TRUE(robot::EncodePng(pixels.data(), 1, 0, 3).empty());
  EXPECT_TRUE(robot::EncodePng(pixels.data(), 2, 1, 5).empty()) << "stride shorter than a row";
  EXPECT_TRUE(robot::EncodePng(nullptr, 1, 1, 3).empty());
  EXPECT_FALSE(robot::WritePng(L"Z:\\no such folder\\x.png", pixels.data(), 1, 1, 3));
}

// --- The robot against robot_target ---

fs::path HereDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (got < path.size()) {
      path.resize(got);
      break;
    }
    path.resize(path.size() * 2);
  }
  return fs::path(path).parent_path();
}

std::wstring TargetPath() { return (HereDir() / L"robot_target.exe").wstring(); }

fs::path ShotDir() {
  wchar_t dir[MAX_PATH] = {};
  const DWORD got = GetEnvironmentVariableW(L"ROBOT_SCREENSHOT_DIR", dir, MAX_PATH);
  if (got > 0 && got < MAX_PATH) {
    fs::create_directories(dir);
    return dir;
  }
  return fs::temp_directory_path();
}

// A started robot_target and its window (nullptr when it did not come).
struct Target {
  robot::Process process;
  HWND window = nullptr;
};

Target StartTarget(const std::wstring& args, robot::Visibility visibility = robot::Visibility::kVisible) {
  Target t;
  DWORD error = 0;
  t.process = robot::Process::Start(TargetPath(), args, &error);
  EXPECT_TRUE(t.process.valid()) << "CreateProcessW error " << error;
  if (t.process.valid()) t.window = robot::FindTopWindow(target::kTitle, t.process.id(), kWait, visibility);
  return t;
}

TEST(RobotProcess, StartingAMissingProgramFails) {
  DWORD error = 0;
  robot::Process p = robot::Process::Start((HereDir() / L"没有这个程序.exe").wstring(), L"", &error);
  EXPECT_FALSE(p.valid());
  EXPECT_FALSE(p.Running());
  EXPECT_FALSE(p.ExitCode().has_value());
  EXPECT_TRUE(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) << error;
}

TEST(RobotProcess, WaitsForExitAndReportsTheCode) {
  Target t = StartTarget(L"-s -exit 7", robot::Visibility::kHidden);
  ASSERT_NE(t.window, nullptr);
  EXPECT_FALSE(t.process.Wait(200));
  EXPECT_TRUE(t.process.Running());
  EXPECT_FALSE(t.process.ExitCode().has_value());
  ASSERT_TRUE(robot::Close(t.window));
  ASSERT_TRUE(t.process.Wait(kWait));
  EXPECT_EQ(t.process.ExitCode(), 7u);
}

TEST(RobotProcess, KillEndsTheProgramWithTheGivenCode) {
  Target t = StartTarget(L"-s", robot::Visibility::kHidden);
  ASSERT_NE(t.window, nullptr);
  ASSERT_TRUE(t.process.Kill(9));
  EXPECT_FALSE(t.process.Running());
  EXPECT_EQ(t.process.ExitCode(), 9u);
}

// The owner that a failed assertion leaves behind still takes the program down with it.
TEST(RobotProcess, OwnerMovesAndKillsOnDestruction) {
  HANDLE watch = nullptr;
  {
    robot::Process first = robot::Process::Start(TargetPath(), L"-s");
    ASSERT_TRUE(first.valid());
    const DWORD pid = first.id();
    robot::Process second(std::move(first));
    EXPECT_FALSE(first.valid());  // NOLINT(bugprone-use-after-move): moved-from state is part of the contract
    EXPECT_EQ(second.id(), pid);
    robot::Process third;
    third = std::move(second);
    EXPECT_FALSE(second.valid());  // NOLINT(bugprone-use-after-move)
    ASSERT_TRUE(third.Running());
    watch = OpenProcess(SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(watch, nullptr);
  }
  EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
  CloseHandle(watch);
}

TEST(RobotWindows, WaitsForAWindowThatComesLate) {
  robot::Process p = robot::Process::Start(TargetPath(), L"-delay 1500");
  ASSERT_TRUE(p.valid());
  EXPECT_EQ(robot::FindTopWindow(target::kTitle, p.id(), 0), nullptr);
  HWND window = robot::FindTopWindow(target::kTitle, p.id(), kWait);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(robot::ProcessIdOf(window), p.id());
  EXPECT_EQ(robot::ClassOf(window), L"#32770");
  EXPECT_EQ(robot::TextOf(window), target::kTitle);
}

TEST(RobotWindows, FindsByVisibilityProcessAndExactTitle) {
  Target hidden = StartTarget(L"-s", robot::Visibility::kHidden);
  Target shown = StartTarget(L"");
  ASSERT_NE(hidden.window, nullptr);
  ASSERT_NE(shown.window, nullptr);
  const DWORD hidden_pid = hidden.process.id();
  const DWORD shown_pid = shown.process.id();

  struct Case {
    DWORD pid;
    robot::Visibility visibility;
    HWND expected;
  } cases[] = {
      {hidden_pid, robot::Visibility::kHidden, hidden.window},
      {hidden_pid, robot::Visibility::kAny, hidden.window},
      {hidden_pid, robot::Visibility::kVisible, nullptr},
      {shown_pid, robot::Visibility::kVisible, shown.window},
      {shown_pid, robot::Visibility::kAny, shown.window},
      {shown_pid, robot::Visibility::kHidden, nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(robot::FindTopWindow(target::kTitle, c.pid, 0, c.visibility), c.expected)
        << "pid " << c.pid << " visibility " << int(c.visibility);
  }
  EXPECT_EQ(robot::FindTopWindow(target::kTitle, 0, 0, robot::Visibility::kHidden), hidden.window);
  EXPECT_EQ(robot::FindTopWindow(target::kTitle, 0, 0, robot::Visibility::kVisible), shown.window);

  const std::wstring title = target::kTitle;
  const std::wstring not_exactly[] = {title.substr(0, title.size() - 1), title + L" ", L"机器人靶子"};
  for (const std::wstring& other : not_exactly) {
    EXPECT_EQ(robot::FindTopWindow(other, 0, 100), nullptr) << "a title that is not exactly the window's";
  }
  const std::vector<HWND> windows = robot::TopWindowsOf(hidden_pid);
  EXPECT_NE(std::find(windows.begin(), windows.end(), hidden.window), windows.end());
  EXPECT_EQ(std::find(windows.begin(), windows.end(), shown.window), windows.end());
}

TEST(RobotControls, ReadsStateAcrossProcesses) {
  const std::wstring tail = L"-exit 3 \"带 空格\" Zeva数字证书";
  Target t = StartTarget(tail);
  ASSERT_NE(t.window, nullptr);
  EXPECT_EQ(robot::ControlText(t.window, target::kEdit), target::kEditText);
  EXPECT_EQ(robot::ControlText(t.window, target::kArgs), tail);
  EXPECT_EQ(robot::ControlText(t.window, target::kAsk), L"询问…");
  EXPECT_TRUE(robot::IsControlVisible(t.window, target::kAsk));
  EXPECT_FALSE(robot::IsControlVisible(t.window, target::kHidden));
  EXPECT_TRUE(robot::IsControlEnabled(t.window, target::kAsk));
  EXPECT_FALSE(robot::IsControlEnabled(t.window, target::kDisabled));
  EXPECT_EQ(robot::CheckState(t.window, target::kCheck), BST_UNCHECKED);
  EXPECT_EQ(robot::ProgressPos(t.window, target::kProgress), target::kProgressStart);
  EXPECT_EQ(robot::ProgressRange(t.window, target::kProgress),
            std::make_pair(target::kProgressLow, target::kProgressHigh));
  EXPECT_FALSE(robot::IsMinimized(t.window));

  // A control that is not there reads as nothing, never as another control's state.
  EXPECT_EQ(robot::Control(t.window, 999), nullptr);
  EXPECT_EQ(robot::ControlText(t.window, 999), L"");
  EXPECT_FALSE(robot::IsControlVisible(t.window, 999));
  EXPECT_EQ(robot::ProgressPos(t.window, 999), -1);
  EXPECT_FALSE(robot::Click(t.window, 999));
}

TEST(RobotControls, HiddenWindowIsReadableButNotVisible) {
  Target t = StartTarget(L"-s 隐藏", robot::Visibility::kHidden);
  ASSERT_NE(t.window, nullptr);
  // Found by its title, a hidden window may not have its controls yet.
  robot::WaitUntil([&] { return robot::Control(t.window, target::kArgs) != nullptr; }, kWait);
  EXPECT_EQ(robot::ControlText(t.window, target::kArgs), L"-s 隐藏");
  EXPECT_FALSE(robot::IsControlVisible(t.window, target::kAsk)) << "its parent is hidden";
  EXPECT_FALSE(robot::Click(t.window, target::kAsk)) << "a person cannot click a hidden button";
}

TEST(RobotControls, ClicksActLikeAPerson) {
  Target t = StartTarget(L"");
  ASSERT_NE(t.window, nullptr);
  auto checked_is = [&](int state) {
    return robot::WaitUntil([&] { return robot::CheckState(t.window, target::kCheck) == state; }, kWait);
  };
  ASSERT_TRUE(robot::Click(t.window, target::kCheck));
  EXPECT_TRUE(checked_is(BST_CHECKED));
  ASSERT_TRUE(robot::Click(t.window, target::kCheck));
  EXPECT_TRUE(checked_is(BST_UNCHECKED));

  EXPECT_FALSE(robot::Click(t.window, target::kDisabled));
  EXPECT_FALSE(robot::Click(t.window, target::kHidden));
  ASSERT_TRUE(robot::Click(t.window, target::kStep));
  const int stepped = target::kProgressStart + target::kProgressStep;
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::ProgressPos(t.window, target::kProgress) == stepped; }, kWait));
  // The refused clicks were never posted: had they been, they would have run before the step.
  EXPECT_EQ(robot::ControlText(t.window, target::kEdit), target::kEditText);

  ASSERT_TRUE(robot::Click(t.window, target::kMinimize));
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::IsMinimized(t.window); }, kWait));
}

// The button opens a modal message box with the window's own title: the click must not wait for it,
// and the box must be told apart from the window.
TEST(RobotMessageBox, AnswersAModalBox) {
  Target t = StartTarget(L"-exit 5");
  ASSERT_NE(t.window, nullptr);

  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
    const ULONGLONG before = GetTickCount64();
    ASSERT_TRUE(robot::Click(t.window, target::kAsk));
    EXPECT_LT(GetTickCount64() - before, 1000u) << "the click waited for the box";

    HWND box = robot::FindOwnedDialog(t.window, target::kTitle, kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(robot::FindDialog(target::kTitle, t.process.id(), 0, t.window), box);
    robot::WaitUntil([&] { return robot::MessageText(box) == target::kQuestion; }, kWait);
    EXPECT_EQ(robot::MessageText(box), target::kQuestion);
    EXPECT_FALSE(IsWindowEnabled(t.window)) << "a modal box disables its owner";
    EXPECT_FALSE(robot::Click(t.window, target::kStep)) << "the owner takes no clicks while the box is open";

    ASSERT_TRUE(robot::Click(box, answer));
    EXPECT_TRUE(robot::WaitUntil([&] { return !IsWindow(box); }, kWait));
    if (answer == IDNO) {
      EXPECT_TRUE(robot::WaitUntil(
          [&] { return robot::ControlText(t.window, target::kEdit) == target::kAnsweredNo; }, kWait));
      EXPECT_TRUE(IsWindowEnabled(t.window));
    }
  }
  ASSERT_TRUE(t.process.Wait(kWait)) << "Yes closes the window";
  EXPECT_EQ(t.process.ExitCode(), 5u);
}

// --- Screenshots ---

TEST(RobotScreenshot, WholeDesktopToPng) {
  const fs::path file = ShotDir() / L"robot-desktop.png";
  Target t = StartTarget(L"");
  ASSERT_NE(t.window, nullptr);
  // Let the window paint before taking the picture a person may look at.
  HWND panel = robot::Control(t.window, target::kTopPanel);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(panel, &r));
  ASSERT_TRUE(robot::WaitUntil(
      [&] {
        auto image = robot::CaptureScreen();
        return image && image->Pixel(r.left + 2, r.top + 2) == 0xD03010;
      },
      kWait));

  ASSERT_TRUE(robot::ScreenshotScreen(file));
  DecodedPng png;
  ASSERT_TRUE(DecodePng(ReadFile(file), &png));
  EXPECT_EQ(png.width, std::uint32_t(GetSystemMetrics(SM_CXVIRTUALSCREEN)));
  EXPECT_EQ(png.height, std::uint32_t(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
}

// Panels of known colours, one above the other, tell a flipped or channel-swapped picture from a
// right one.
TEST(RobotScreenshot, WindowPixelsAreTopDownRgb) {
  Target t = StartTarget(L"");
  ASSERT_NE(t.window, nullptr);
  RECT window{}, top{}, bottom{};
  ASSERT_TRUE(GetWindowRect(t.window, &window));
  ASSERT_TRUE(GetWindowRect(robot::Control(t.window, target::kTopPanel), &top));
  ASSERT_TRUE(GetWindowRect(robot::Control(t.window, target::kBottomPanel), &bottom));
  OffsetRect(&top, -window.left, -window.top);
  OffsetRect(&bottom, -window.left, -window.top);

  constexpr std::uint32_t kTop = 0xD03010;
  constexpr std::uint32_t kBottom = 0x2060C8;
  std::optional<robot::Image> image;
  ASSERT_TRUE(robot::WaitUntil(
      [&] {
        image = robot::CaptureWindow(t.window);
        return image && image->Pixel(top.left + 1, top.top + 1) == kTop &&
               image->Pixel(bottom.right - 2, bottom.bottom - 2) == kBottom;
      },
      kWait))
      << std::hex << (image ? image->Pixel(top.left + 1, top.top + 1) : 0);
  EXPECT_EQ(image->width, window.right - window.left);
  EXPECT_EQ(image->height, window.bottom - window.top);
  // Each panel's corners and its colour's neighbours across the edge between the two.
  EXPECT_EQ(image->Pixel(top.right - 1, top.top), kTop);
  EXPECT_EQ(image->Pixel(top.left, top.bottom - 1), kTop);
  EXPECT_EQ(image->Pixel(bottom.left, bottom.top), kBottom);
  EXPECT_EQ(image->Pixel(bottom.right - 1, bottom.bottom - 1), kBottom);

  // The file holds the same pixels.
  const fs::path file = ShotDir() / L"robot-window.png";
  ASSERT_TRUE(robot::SavePng(*image, file));
  DecodedPng png;
  ASSERT_TRUE(DecodePng(ReadFile(file), &png));
  ASSERT_EQ(png.width, std::uint32_t(image->width));
  ASSERT_EQ(png.height, std::uint32_t(image->height));
  const std::size_t row = std::size_t(image->width) * 3 + 1;
  for (int y : {top.top, bottom.bottom - 1}) {
    const Bytes expected(image->rgb.begin() + std::ptrdiff_t(std::size_t(y) * (row - 1)),
                         image->rgb.begin() + std::ptrdiff_t(std::size_t(y + 1) * (row - 1)));
    EXPECT_TRUE(Bytes(png.raw.begin() + std::ptrdiff_t(std::size_t(y) * row + 1),
                      png.raw.begin() + std::ptrdiff_t(std::size_t(y + 1) * row)) == expected)
        << "row " << y;
  }

  EXPECT_FALSE(robot::CaptureWindow(nullptr).has_value());
}

}  // namespace
