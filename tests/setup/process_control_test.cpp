// The process scans against real processes under Wine, and the close-running-programs dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "autoclose_dlg.h"
#include "dialog_thread.h"
#include "excuseme_dlg.h"
#include "fake_process_table.h"
#include "process_scan.h"
#include "resource.h"
#include "robot.h"

namespace {

namespace fs = std::filesystem;

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }
const fs::path kStandIn = Widen(VANTOR_STANDIN_EXE);
const fs::path kCertHelper = Widen(VANTOR_CERT_HELPER_EXE);
const fs::path kZevaCore = Widen(VANTOR_ZEVA_CORE_DLL);
const fs::path kScreenshots = fs::path(VANTOR_SCREENSHOT_DIR);

// A folder of the test's own below the temporary folder, with its narrow (code page 936) path.
fs::path Folder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  fs::path folder = fs::path(temp) / name;
  fs::create_directories(folder);
  return folder;
}

std::string Narrow(const fs::path& path) {
  char buffer[MAX_PATH] = {};
  ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, buffer, MAX_PATH, nullptr, nullptr);
  return buffer;
}

// Starts a copy of a stand-in under the given name and waits for its window.
robot::Process StartAs(const fs::path& program, const fs::path& folder, const std::wstring& name) {
  fs::path copy = folder / (name + L".exe");
  if (!fs::exists(copy)) fs::copy_file(program, copy);
  robot::Process p = robot::Process::Start(copy.wstring(), L"");
  EXPECT_TRUE(p.valid());
  EXPECT_NE(robot::FindTopWindow(name, p.id(), 10000), nullptr) << "the stand-in did not come up";
  return p;
}

TEST(ProcessControl, KillProcessesByNameEndsBothInstancesAndNothingElse) {
  fs::path folder = Folder(L"kill");
  robot::Process first = StartAs(kStandIn, folder, L"update");
  robot::Process second = StartAs(kStandIn, folder, L"update");
  robot::Process other = StartAs(kStandIn, folder, L"updater");
  EXPECT_TRUE(IsProcessRunning("update.exe"));
  EXPECT_FALSE(IsProcessRunning("Update.exe")) << "a name with a capital never matches";

  KillProcessesByName("update.exe");
  EXPECT_TRUE(first.Wait(5000));
  EXPECT_TRUE(second.Wait(5000));
  EXPECT_EQ(first.ExitCode().value_or(99), 0u) << "terminated with exit code 0";
  EXPECT_TRUE(other.Running());
  EXPECT_FALSE(IsProcessRunning("update.exe"));
  EXPECT_TRUE(IsProcessRunning("updater.exe"));
}

TEST(ProcessControl, HolderOfAPackageLibraryIsFoundOnce) {
  fs::path folder = Folder(L"holder");
  fs::copy_file(kZevaCore, folder / L"ZevaCore.dll", fs::copy_options::overwrite_existing);
  robot::Process helper = StartAs(kCertHelper, folder, L"CertHelper");

  EzpIndex index;
  for (const char* name : {"\\CertHelper.exe", "\\ZevaCore.dll", "\\readme.txt", "\\other.dll"}) index[name].name = name;
  std::string narrow = Narrow(folder) + "\\";
  ProcessList found = FindProcessesHoldingFiles(narrow, index);
  ASSERT_EQ(found.size(), 1u) << "the program has loaded two files of the index and is listed once";
  EXPECT_EQ(found[0].processId, helper.id());
  EXPECT_EQ(_stricmp(found[0].exePath.c_str(), (narrow + "CertHelper.exe").c_str()), 0) << found[0].exePath;

  ProcessList users = FindProcessesUsingModule(narrow + "zevacore.DLL");
  ASSERT_EQ(users.size(), 1u) << "module paths compare without regard to case";
}

TEST(ProcessControl, DeferralDialogEndsTheRealUpdateProgram) {
  fs::path folder = Folder(L"deferral");
  DialogThread run([] { return CExcusemeDlg().DoModal(IDD_EXCUSEME); }, L"需要更新", IDOK);  // real processes
  HWND w = run.window();
  ASSERT_NE(w, nullptr);
  fs::copy_file(kStandIn, folder / L"update.exe", fs::copy_options::overwrite_existing);
  robot::Process update = robot::Process::Start((folder / L"update.exe").wstring(), L"");
  ASSERT_TRUE(update.valid());
  EXPECT_TRUE(update.Wait(3000)) << "update.exe still runs while the dialog waits";
  robot::Click(w, IDOK);
  EXPECT_TRUE(robot::WaitUntil([&] { return run.ended(); }, 5000));
}

// The close-running-programs dialog over a fake table, on its own thread.
class AutoCloseRun : public DialogThread {
 public:
  AutoCloseRun(FakeProcessTable& table, const ProcessList& list)
      : DialogThread(
            [&table, list] {
              cautoclosedlg dialog(table);
              dialog.m_processes = list;
              return dialog.DoModal(IDD_AUTOCLOSE);
            },
            L"CA客户端安装/升级需要关闭如下程序", IDC_AUTO_CLOSE) {}
};

TEST(AutoCloseDialog, ListsSortedAndAutoCloseEndsEveryListedProgram) {
  FakeProcessTable table;
  table.Add(1, "c:\\z.exe");
  table.Add(2, "c:\\a.exe");
  table.Add(3, "c:\\keep.exe");
  AutoCloseRun run(table, {{"c:\\z.exe", 1}, {"c:\\a.exe", 2}});
  ASSERT_NE(run.window(), nullptr);
  EXPECT_EQ(robot::ListBoxItems(run.window(), IDC_PROGRAM_LIST), (std::vector<std::wstring>{L"c:\\a.exe", L"c:\\z.exe"}));
  EXPECT_EQ(robot::ControlText(run.window(), IDC_AUTO_CLOSE), L"自动关闭");
  fs::create_directories(kScreenshots);
  ::Sleep(300);
  EXPECT_TRUE(robot::ScreenshotWindow(run.window(), kScreenshots / "close-programs.png"));
  ASSERT_TRUE(robot::Click(run.window(), IDC_AUTO_CLOSE));
  EXPECT_TRUE(robot::WaitUntil([&] { return run.ended(); }, 5000));
  EXPECT_EQ(run.result(), IDOK);
  EXPECT_EQ(table.Terminated(), (std::vector<std::uint32_t>{1, 2}));
}

TEST(AutoCloseDialog, CloseBoxTerminatesButStaysEscapeDoesNothing) {
  FakeProcessTable table;
  table.Add(1, "c:\\z.exe");
  AutoCloseRun run(table, {{"c:\\z.exe", 1}});
  ASSERT_NE(run.window(), nullptr);
  ::PostMessageW(run.window(), WM_KEYDOWN, VK_ESCAPE, 1);
  ::Sleep(300);
  EXPECT_FALSE(run.ended());
  EXPECT_TRUE(table.Terminated().empty()) << "Escape terminates nothing";

  ASSERT_TRUE(robot::Close(run.window()));
  EXPECT_TRUE(robot::WaitUntil([&] { return !table.Terminated().empty(); }, 2000));
  ::Sleep(300);
  EXPECT_FALSE(run.ended()) << "the close box leaves the dialog open";
  EXPECT_EQ(robot::ListBoxItems(run.window(), IDC_PROGRAM_LIST), std::vector<std::wstring>{L"c:\\z.exe"});
}

TEST(AutoCloseDialog, OnlyTheListedProgramsAreEverTerminated) {
  FakeProcessTable table;
  table.Add(7, "c:\\other\\innocent.exe");  // id 7 was the listed program's; it ended and was reused
  table.Add(8, "c:\\suite\\b.exe");
  AutoCloseRun run(table, {{"c:\\suite\\gone.exe", 6}, {"c:\\suite\\a.exe", 7}, {"c:\\suite\\b.exe", 8}});
  ASSERT_NE(run.window(), nullptr);
  ASSERT_TRUE(robot::Click(run.window(), IDC_AUTO_CLOSE));
  EXPECT_TRUE(robot::WaitUntil([&] { return run.ended(); }, 5000));
  EXPECT_EQ(table.Terminated(), std::vector<std::uint32_t>{8}) << "an ended program does not stop the others";
}

}  // namespace
