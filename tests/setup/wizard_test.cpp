// VantorSetup.exe as a person sees and drives it: a robot in the same Wine desktop starts it, reads
// its windows and clicks its buttons. Each test runs in a fresh Wine prefix (one CTest entry each).
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "exit_codes.h"
#include "resource.h"
#include "robot.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kTitle = L"Zeva数字证书客户端软件 3.9 安装程序";
constexpr DWORD kShort = 10000;   // a window to appear, a page to change
constexpr DWORD kLong = 120000;   // a whole installation under Wine

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

const std::wstring kSetup = Widen(VANTOR_SETUP_EXE);
const std::wstring kSetupNo129 = Widen(VANTOR_SETUP_NO129_EXE);
const std::wstring kSetupManyFiles = Widen(VANTOR_SETUP_MANY_FILES_EXE);
const std::wstring kSetupV2 = Widen(VANTOR_SETUP_V2_EXE);
const fs::path kZevaCoreV2 = Widen(VANTOR_ZEVA_CORE_V2_DLL);
const fs::path kStandIn = Widen(VANTOR_STANDIN_EXE);
const fs::path kScreenshots = fs::path(VANTOR_SCREENSHOT_DIR);

robot::Process Start(const std::wstring& program, const std::wstring& args) {
  DWORD error = 0;
  robot::Process p = robot::Process::Start(program, args, &error);
  EXPECT_TRUE(p.valid()) << "cannot start the setup program, error " << error;
  return p;
}

HWND Wizard(const robot::Process& p, robot::Visibility visibility = robot::Visibility::kAny, DWORD timeout = kShort) {
  return robot::FindTopWindow(kTitle, p.id(), timeout, visibility);
}

DWORD ExitCode(robot::Process& p, DWORD timeout = kLong) {
  if (!p.Wait(timeout)) return 0xDEAD;
  return p.ExitCode().value_or(0xDEAD);
}

// Answers a message box of the program titled `caption`, checking its text; false when none came.
bool Answer(const robot::Process& p, HWND wizard, const std::wstring& caption, const std::wstring& text, int button) {
  HWND box = robot::FindDialog(caption, p.id(), kShort, wizard);
  if (!box) return false;
  EXPECT_EQ(robot::MessageText(box), text);
  if (!robot::Click(box, button)) return false;
  // Gone before the next question is looked for, so that it is not taken for the next one.
  return robot::WaitUntil([box] { return !::IsWindow(box) || !::IsWindowVisible(box); }, kShort);
}

void Screenshot(HWND window, const char* name) {
  fs::create_directories(kScreenshots);
  // Let the window finish painting first.
  ::Sleep(300);
  EXPECT_TRUE(robot::ScreenshotWindow(window, kScreenshots / name)) << name;
}

bool OnPage(HWND wizard, int page) {
  switch (page) {
    case 0:
      return robot::IsControlVisible(wizard, IDC_INSTALL) && robot::IsControlVisible(wizard, IDC_NOTICE);
    case 1:
      return robot::IsControlVisible(wizard, IDC_PROGRESS) && robot::IsControlVisible(wizard, IDC_STATUS);
    default:
      return robot::ControlText(wizard, IDC_CANCEL_FINISH) == L"完成";
  }
}

std::string ProgramFiles() {
  char path[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

fs::path InstallFolder() { return fs::path(ProgramFiles()) / "Vantor"; }

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The process behind a top-level window titled `title`, opened to wait for its end.
HANDLE OpenProgramOfWindow(const std::wstring& title) {
  HWND w = robot::FindTopWindow(title, 0, kShort);
  return w ? ::OpenProcess(SYNCHRONIZE, FALSE, robot::ProcessIdOf(w)) : nullptr;
}

const std::wstring kCloseProgramsTitle = L"CA客户端安装/升级需要关闭如下程序";

// Installs the sample suite with "-fix" and starts the suite's CertHelper, which keeps the core
// library loaded. Returns the helper.
robot::Process InstallAndHoldTheCoreLibrary() {
  robot::Process first = Start(kSetup, L"-fix");
  EXPECT_EQ(ExitCode(first), static_cast<DWORD>(kExitFinished));
  robot::Process helper = Start((InstallFolder() / "CertHelper.exe").wstring(), L"");
  EXPECT_NE(robot::FindTopWindow(L"CertHelper", helper.id(), kShort), nullptr);
  return helper;
}

TEST(Wizard, PagesAsAPersonSeesThem) {
  robot::Process p = Start(kSetupManyFiles, L"");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(robot::TextOf(w), kTitle);

  // Welcome page.
  EXPECT_TRUE(robot::WaitUntil([&] { return OnPage(w, 0); }, kShort));
  EXPECT_EQ(robot::ControlText(w, IDC_TITLE), L"欢迎使用Zeva数字证书客户端软件");
  EXPECT_EQ(robot::ControlText(w, IDC_NOTICE),
            L"安装须知:\r\n安装本软件时，请不要将您的数字证书插入电脑USB接口中，并请确保已关闭相关程序！安装过程提示修改"
            L"注册表等，请点击“同意”或者“是”即可！（为了保证您正常安装，请您先关闭浏览器、上网助手、雅虎助手、杀毒软件等"
            L"拦截弹出窗口软件和所有应用程序。）");
  EXPECT_EQ(robot::ControlText(w, IDC_NOTE_RED), L"请注意:若360等软件拦截请点击允许");
  EXPECT_EQ(robot::ControlText(w, IDC_INSTALL), L"安装");
  EXPECT_EQ(robot::ControlText(w, IDC_CANCEL_FINISH), L"取消");
  EXPECT_TRUE(robot::IsControlVisible(w, IDC_BANNER));
  EXPECT_TRUE(robot::IsControlVisible(w, IDC_NOTE_RED));
  for (int hidden : {IDC_STATUS, IDC_PROGRESS, IDC_RUN_CLIENT, IDC_DESKTOP_SHORTCUT, IDC_BANNER_FRAME}) {
    EXPECT_FALSE(robot::IsControlVisible(w, hidden)) << hidden;
  }
  Screenshot(w, "wizard-welcome.png");
  // The red note is drawn in red.
  auto shot = robot::CaptureWindow(w);
  ASSERT_TRUE(shot.has_value());
  bool red = false;
  for (int y = shot->height * 85 / 100; y < shot->height && !red; ++y) {
    for (int x = 0; x < shot->width / 2 && !red; ++x) red = shot->Pixel(x, y) == 0xFF0000;
  }
  EXPECT_TRUE(red) << "no red pixel in the note's area";

  // Installing page.
  ASSERT_TRUE(robot::Click(w, IDC_INSTALL));
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 1); }, kShort));
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_INSTALL));
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_BANNER));
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_NOTICE));
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_TITLE));
  EXPECT_EQ(robot::ProgressRange(w, IDC_PROGRESS), std::make_pair(0, 100));
  ASSERT_TRUE(robot::WaitUntil([&] { return robot::ProgressPos(w, IDC_PROGRESS) >= 5; }, kLong));
  Screenshot(w, "wizard-installing.png");

  // Finished page.
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 2); }, kLong));
  EXPECT_EQ(robot::ControlText(w, IDC_TITLE), L"安装完成!");
  EXPECT_TRUE(robot::IsControlVisible(w, IDC_BANNER));
  EXPECT_TRUE(robot::IsControlVisible(w, IDC_RUN_CLIENT));
  EXPECT_EQ(robot::CheckState(w, IDC_RUN_CLIENT), BST_CHECKED);
  EXPECT_EQ(robot::ControlText(w, IDC_RUN_CLIENT), L"运行Zeva数字证书客户端软件");
  EXPECT_TRUE(robot::IsControlVisible(w, IDC_DESKTOP_SHORTCUT));
  EXPECT_EQ(robot::CheckState(w, IDC_DESKTOP_SHORTCUT), BST_CHECKED) << "first installation";
  EXPECT_EQ(robot::ControlText(w, IDC_DESKTOP_SHORTCUT), L"创建桌面快捷方式");
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_STATUS));
  EXPECT_FALSE(robot::IsControlVisible(w, IDC_PROGRESS));
  EXPECT_EQ(robot::ProgressPos(w, IDC_PROGRESS), 100);
  Screenshot(w, "wizard-finished.png");

  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, InteractiveCommandLinesWaitForTheUser) {
  // Only the whole tail counts; these all leave the wizard on its welcome page.
  for (const wchar_t* tail : {L"", L"-FIX", L"-s ", L"-s -fix", L"/s", L"fix"}) {
    robot::Process p = Start(kSetup, tail);
    HWND w = Wizard(p, robot::Visibility::kVisible);
    ASSERT_NE(w, nullptr) << "'" << tail << "'";
    ::Sleep(500);
    EXPECT_TRUE(OnPage(w, 0)) << "'" << tail << "'";
    EXPECT_TRUE(robot::IsControlEnabled(w, IDC_CANCEL_FINISH));
    ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
    ASSERT_TRUE(Answer(p, w, L"提示", L"您确定要取消安装吗?", IDYES)) << "'" << tail << "'";
    EXPECT_EQ(ExitCode(p, kShort), static_cast<DWORD>(kExitCancelled)) << "'" << tail << "'";
  }
}

TEST(Wizard, OnlyOneCopyRuns) {
  robot::Process first = Start(kSetup, L"");
  HWND w = Wizard(first, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  for (const wchar_t* tail : {L"", L"-s", L"-fix"}) {
    robot::Process second = Start(kSetup, tail);
    EXPECT_EQ(ExitCode(second, kShort), static_cast<DWORD>(kExitAlreadyRunning)) << "'" << tail << "'";
    EXPECT_TRUE(robot::TopWindowsOf(second.id()).empty());
  }
  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  ASSERT_TRUE(Answer(first, w, L"提示", L"您确定要取消安装吗?", IDYES));
  EXPECT_EQ(ExitCode(first, kShort), static_cast<DWORD>(kExitCancelled));

  // Once the first copy has ended, a new one runs normally.
  robot::Process again = Start(kSetup, L"-fix");
  EXPECT_EQ(ExitCode(again), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, CloseBoxMinimisesAndCancelAsksFirst) {
  robot::Process p = Start(kSetupManyFiles, L"");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(robot::Close(w));
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::IsMinimized(w); }, kShort));
  EXPECT_TRUE(p.Running()) << "the close box never ends the wizard";
  ::ShowWindow(w, SW_RESTORE);

  ASSERT_TRUE(robot::Click(w, IDC_INSTALL));
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 1) && robot::ProgressPos(w, IDC_PROGRESS) >= 1; }, kLong));
  ASSERT_TRUE(robot::Close(w));
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::IsMinimized(w); }, kShort));
  ::ShowWindow(w, SW_RESTORE);

  // "否": the installation goes on.
  int before = robot::ProgressPos(w, IDC_PROGRESS);
  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  ASSERT_TRUE(Answer(p, w, L"提示", L"您确定要取消安装吗?", IDNO));
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::ProgressPos(w, IDC_PROGRESS) > before; }, kLong));
  ASSERT_TRUE(OnPage(w, 1)) << "the installation finished too early for this test";

  // "是": the program ends while installing, and says so in its exit status.
  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  ASSERT_TRUE(Answer(p, w, L"提示", L"您确定要取消安装吗?", IDYES));
  EXPECT_EQ(ExitCode(p, kShort), static_cast<DWORD>(kExitCancelled));
}

// A key as a person presses it in the wizard.
void PressKey(HWND w, WPARAM key) {
  ::PostMessageW(w, WM_KEYDOWN, key, 1);
  ::PostMessageW(w, WM_KEYUP, key, 0xC0000001);
}

int Occurrences(const std::wstring& text, const std::wstring& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(Wizard, EnterAndEscapeNeverStartASecondWorker) {
  robot::Process p = Start(kSetupManyFiles, L"");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  PressKey(w, VK_RETURN);  // Enter on the welcome page installs
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 1); }, kShort));
  for (int i = 0; i < 3; ++i) {
    PressKey(w, VK_RETURN);
    ::PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);  // the hidden install button
  }
  PressKey(w, VK_ESCAPE);  // asks like "取消"
  ASSERT_TRUE(Answer(p, w, L"提示", L"您确定要取消安装吗?", IDNO));
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 2); }, kLong));
  PressKey(w, VK_ESCAPE);  // nothing to cancel on the finished page
  ::Sleep(300);
  EXPECT_EQ(robot::FindDialog(L"提示", p.id(), 0, w), nullptr);
  // The status box keeps its lines on the finished page: one worker wrote them.
  EXPECT_EQ(Occurrences(robot::ControlText(w, IDC_STATUS), L"检查安装目录..."), 1);
  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, DesktopShortcutBoxKeepsAnEarlierChoice) {
  // No earlier installation: checked. An earlier one (its uninstaller present) without the desktop
  // link: unchecked. With the link: checked.
  fs::path uninstaller = fs::path(ProgramFiles()) / "Vantor" / "uninstall.exe";
  char desktop_path[MAX_PATH] = {};
  ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, desktop_path, CSIDL_COMMON_DESKTOPDIRECTORY, TRUE));
  fs::path link = fs::path(desktop_path) / L"数字证书客户端软件.lnk";
  struct Case {
    bool earlier, link;
    int expected;
  } cases[] = {{false, false, BST_CHECKED}, {true, false, BST_UNCHECKED}, {true, true, BST_CHECKED}};
  for (const Case& c : cases) {
    fs::create_directories(uninstaller.parent_path());
    if (c.earlier) std::ofstream(uninstaller) << "x";
    if (c.link) std::ofstream(link) << "x";
    robot::Process p = Start(kSetup, L"");
    HWND w = Wizard(p, robot::Visibility::kVisible);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(robot::Click(w, IDC_INSTALL));
    ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 2); }, kLong));
    EXPECT_EQ(robot::CheckState(w, IDC_DESKTOP_SHORTCUT), c.expected) << c.earlier << c.link;
    ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
    EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
  }
}

TEST(Wizard, ProgramsHoldingFilesAreClosedThenTheFileIsReplaced) {
  robot::Process helper = InstallAndHoldTheCoreLibrary();
  // The first installation's finish action started the client; the next one ends it first.
  HANDLE client = OpenProgramOfWindow(L"VantorShell");
  ASSERT_NE(client, nullptr) << "the finish action did not start VantorShell.exe";
  EXPECT_EQ(Bytes(InstallFolder() / "casetup_bk.exe"), Bytes(kSetup)) << "the backup copy is the setup program";

  robot::Process second = Start(kSetupV2, L"-fix");
  HWND w = Wizard(second);
  ASSERT_NE(w, nullptr);
  HWND dialog = robot::FindDialog(kCloseProgramsTitle, second.id(), kLong);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(::WaitForSingleObject(client, 0), WAIT_OBJECT_0) << "the suite's programs are ended before";
  ::CloseHandle(client);
  std::vector<std::wstring> listed = robot::ListBoxItems(dialog, IDC_PROGRAM_LIST);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(_wcsicmp(listed[0].c_str(), (InstallFolder() / "CertHelper.exe").wstring().c_str()), 0) << listed[0];
  EXPECT_FALSE(::IsWindowVisible(w)) << "the wizard is hidden while the dialog is up";
  Screenshot(dialog, "close-programs-wizard.png");
  ASSERT_TRUE(robot::Click(dialog, IDC_AUTO_CLOSE));
  EXPECT_TRUE(helper.Wait(kShort)) << "自动关闭 ended the program";
  EXPECT_EQ(ExitCode(second), static_cast<DWORD>(kExitFinished));
  EXPECT_EQ(Bytes(InstallFolder() / "ZevaCore.dll"), Bytes(kZevaCoreV2)) << "the library was replaced";
}

TEST(Wizard, SilentUpdateOverHeldFilesOffersToWait) {
  robot::Process helper = InstallAndHoldTheCoreLibrary();
  robot::Process second = Start(kSetupV2, L"-s");
  HWND deferral = robot::FindDialog(L"需要更新", second.id(), kLong);
  ASSERT_NE(deferral, nullptr);
  ASSERT_TRUE(robot::Click(deferral, IDOK));  // 立即更新
  HWND dialog = robot::FindDialog(kCloseProgramsTitle, second.id(), kLong);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(robot::Click(dialog, IDC_AUTO_CLOSE));
  EXPECT_EQ(ExitCode(second), static_cast<DWORD>(kExitFinished));
  EXPECT_EQ(Bytes(InstallFolder() / "ZevaCore.dll"), Bytes(kZevaCoreV2));
}

TEST(Wizard, RunningBrowserIsWarnedAboutOnce) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  fs::path browser = fs::path(temp) / L"iexplore.exe";
  fs::copy_file(kStandIn, browser, fs::copy_options::overwrite_existing);
  robot::Process ie = Start(browser.wstring(), L"");
  ASSERT_NE(robot::FindTopWindow(L"iexplore", ie.id(), kShort), nullptr);

  robot::Process p = Start(kSetup, L"");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(robot::Click(w, IDC_INSTALL));
  ASSERT_TRUE(Answer(p, w, L"提示", L"即将开始安装,此过程会关闭浏览器,请保存好您的工作,点击\"确定\"继续", IDOK));
  ASSERT_TRUE(robot::WaitUntil([&] { return OnPage(w, 2); }, kLong));
  EXPECT_EQ(robot::FindDialog(L"提示", p.id(), 0, w), nullptr) << "shown once";
  EXPECT_TRUE(ie.Running()) << "the browser is not ended for holding nothing";
  ASSERT_TRUE(robot::Click(w, IDC_CANCEL_FINISH));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, OldWindowsGetsSystemLibrariesMarkedReadOnly) {
  // Wine answers GetVersionEx as Windows XP (5.2) for programs started after this.
  HKEY key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t xp[] = L"winxp64";
  ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(xp), sizeof xp);
  ::RegCloseKey(key);

  robot::Process p = Start(kSetup, L"-fix");
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  for (const char* name : {"msvcp60.dll", "msvcr70.dll", "winscard.dll"}) {
    DWORD attributes = ::GetFileAttributesA((std::string(system) + "\\" + name).c_str());
    // Wine shows every file with the archive attribute besides what was set.
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) << name;
  }
}

TEST(Wizard, FixRunsVisiblyAndEndsByItself) {
  robot::Process p = Start(kSetupManyFiles, L"-fix");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(robot::WaitUntil([&] { return OnPage(w, 1); }, kShort)) << "no click needed";
  EXPECT_FALSE(robot::IsControlEnabled(w, IDC_CANCEL_FINISH));
  EXPECT_FALSE(robot::Click(w, IDC_CANCEL_FINISH)) << "a disabled button cannot be clicked";
  auto has_icon = [] {
    for (const std::wstring& tip : robot::NotificationAreaTips()) {
      if (tip == L"正在安装...请稍候!") return true;
    }
    return false;
  };
  EXPECT_TRUE(robot::WaitUntil(has_icon, kShort)) << "notification-area icon with its tooltip";
  // Wine's notification area keeps the tooltip of an icon after NIM_DELETE, so the icon's removal
  // cannot be seen this way.
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
  // Not an old Windows: no system library is marked read-only.
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_FALSE(::GetFileAttributesA((std::string(system) + "\\msvcp60.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(Wizard, SilentRunStaysHiddenUntilTheIconIsClicked) {
  robot::Process p = Start(kSetupManyFiles, L"-s");
  HWND w = Wizard(p, robot::Visibility::kHidden);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(robot::WaitUntil([&] { return robot::ProgressPos(w, IDC_PROGRESS) >= 1; }, kLong));
  EXPECT_FALSE(::IsWindowVisible(w)) << "hidden throughout";
  // What the notification area sends for a click on the icon.
  ::PostMessageW(w, WM_USER + 5, 128, WM_LBUTTONDOWN);
  EXPECT_TRUE(robot::WaitUntil([&] { return ::IsWindowVisible(w) != FALSE; }, kShort));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, SilentRunWithoutClickNeverShows) {
  robot::Process p = Start(kSetup, L"-S");
  HWND w = Wizard(p, robot::Visibility::kHidden);
  ASSERT_NE(w, nullptr);
  bool ever_visible = false;
  while (!p.Wait(50)) ever_visible = ever_visible || ::IsWindowVisible(w);
  EXPECT_FALSE(ever_visible);
  EXPECT_EQ(p.ExitCode().value_or(0xDEAD), static_cast<DWORD>(kExitFinished));
}

TEST(Wizard, DamagedPackageIsReportedAndTheRunGoesOn) {
  robot::Process p = Start(kSetupNo129, L"-fix");
  HWND w = Wizard(p, robot::Visibility::kAny);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(Answer(p, w, L"VantorSetup", L"安装程序被损坏,请重新下载!\nCode=0", IDOK));
  ASSERT_TRUE(Answer(p, w, L"VantorSetup", L"安装程序被损坏,请重新下载!\nCode=4", IDOK));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitDamagedPackage));
}

TEST(Wizard, AbandonedFileIsReported) {
  // A read-only file with other content stands where the suite's readme goes.
  fs::path folder = fs::path(ProgramFiles()) / "Vantor";
  fs::create_directories(folder);
  { std::ofstream(folder / "readme.txt") << "old"; }
  fs::permissions(folder / "readme.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  robot::Process p = Start(kSetup, L"-fix");
  HWND w = Wizard(p, robot::Visibility::kVisible);
  ASSERT_NE(w, nullptr);
  std::wstring question = L"无法写入文件，是否忽略？\n" + fs::path(ProgramFiles()).wstring() + L"\\Vantor\\readme.txt";
  ASSERT_TRUE(Answer(p, w, L"错误", question, IDNO));
  ASSERT_TRUE(Answer(p, w, L"错误", question, IDYES));
  EXPECT_EQ(ExitCode(p), static_cast<DWORD>(kExitFileAbandoned));
}

TEST(Wizard, UnenterableProgramFilesEndsWithDirectoryAccessError) {
  // Point the Program Files folder at one that does not exist.
  HKEY key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_SET_VALUE, &key),
            ERROR_SUCCESS);
  const wchar_t missing[] = L"C:\\No Such Folder";
  ::RegSetValueExW(key, L"ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
  ::RegCloseKey(key);

  robot::Process p = Start(kSetup, L"-fix");
  HWND w = Wizard(p, robot::Visibility::kAny);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(Answer(p, w, L"错误", L"目录访问失败!请使用管理员权限运行本程序", IDOK));
  EXPECT_EQ(ExitCode(p, kShort), static_cast<DWORD>(kExitDirectoryAccess));
}

}  // namespace
