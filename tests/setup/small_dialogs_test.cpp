// The update-deferral dialog and the notice window, driven in-process: the dialog runs on its own
// thread as the install worker runs it, and the test thread acts as the person in front of it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dialog_thread.h"
#include "excuseme_dlg.h"
#include "note_dlg.h"
#include "resource.h"
#include "robot.h"

namespace {

namespace fs = std::filesystem;
const fs::path kScreenshots = fs::path(VANTOR_SCREENSHOT_DIR);

// Stands in for the machine's processes: "update.exe" runs until it is killed.
class FakeProcesses : public ProcessOps {
 public:
  std::atomic<bool> update_running{false};
  std::atomic<int> kills{0};

  bool IsProcessRunning(const std::string& name) override { return name == "update.exe" && update_running; }
  void KillProcessesByName(const std::string& name) override {
    if (name == "update.exe") {
      update_running = false;
      ++kills;
    }
  }
};

// The update-deferral dialog over the given processes, on its own thread.
class DeferralRun : public DialogThread {
 public:
  explicit DeferralRun(FakeProcesses& processes)
      : DialogThread([&processes] { return CExcusemeDlg(processes).DoModal(IDD_EXCUSEME); }, L"需要更新", IDOK) {}
};

void SetMinutes(HWND dialog, const wchar_t* text) { ::SetDlgItemTextW(dialog, IDC_MINUTES, text); }

TEST(UpdateDeferral, ShowsItsTextsAndStartsAtTenMinutes) {
  FakeProcesses processes;
  DeferralRun run(processes);
  HWND w = run.window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(robot::ControlText(w, IDC_MINUTES), L"10");
  EXPECT_EQ(robot::ControlText(w, IDOK), L"立即更新");
  EXPECT_EQ(robot::ControlText(w, IDCANCEL), L"推迟");
  fs::create_directories(kScreenshots);
  ::Sleep(300);
  EXPECT_TRUE(robot::ScreenshotWindow(w, kScreenshots / "update-deferral.png"));
  ASSERT_TRUE(robot::Click(w, IDOK));
  EXPECT_TRUE(robot::WaitUntil([&] { return run.ended(); }, 5000));
  EXPECT_EQ(run.result(), IDOK);
}

TEST(UpdateDeferral, MinutesAreCappedAt120WithinATimerPeriod) {
  FakeProcesses processes;
  DeferralRun run(processes);
  ASSERT_NE(run.window(), nullptr);
  SetMinutes(run.window(), L"500");
  EXPECT_TRUE(robot::WaitUntil([&] { return robot::ControlText(run.window(), IDC_MINUTES) == L"120"; }, 1000)) << "a few timer periods at most";
}

TEST(UpdateDeferral, PostponingHidesAndWaitsForTheDeadline) {
  struct Case {
    const wchar_t* minutes;
    bool ends_at_next_tick;
  } cases[] = {{L"0", true}, {L"", true}, {L"10", false}};
  for (const Case& c : cases) {
    FakeProcesses processes;
    DeferralRun run(processes);
    ASSERT_NE(run.window(), nullptr);
    SetMinutes(run.window(), c.minutes);
    ASSERT_TRUE(robot::Click(run.window(), IDCANCEL));
    if (c.ends_at_next_tick) {
      EXPECT_TRUE(robot::WaitUntil([&] { return run.ended(); }, 1000)) << "'" << c.minutes << "'";
      EXPECT_EQ(run.result(), IDOK);
    } else {
      EXPECT_TRUE(robot::WaitUntil([&] { return !::IsWindowVisible(run.window()); }, 1000));
      ::Sleep(500);
      EXPECT_FALSE(run.ended()) << "ten minutes are not over";
    }
  }
}

TEST(UpdateDeferral, CloseBoxDoesNothing) {
  FakeProcesses processes;
  DeferralRun run(processes);
  ASSERT_NE(run.window(), nullptr);
  ASSERT_TRUE(robot::Close(run.window()));
  ::SendMessageW(run.window(), WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
  ::Sleep(500);
  EXPECT_FALSE(run.ended());
  EXPECT_TRUE(::IsWindowVisible(run.window()));
}

TEST(UpdateDeferral, UpdateProgramIsEndedWhileItWaits) {
  FakeProcesses processes;
  DeferralRun run(processes);
  ASSERT_NE(run.window(), nullptr);
  processes.update_running = true;
  EXPECT_TRUE(robot::WaitUntil([&] { return !processes.update_running; }, 1000)) << "visible";

  SetMinutes(run.window(), L"10");
  ASSERT_TRUE(robot::Click(run.window(), IDCANCEL));
  ASSERT_TRUE(robot::WaitUntil([&] { return !::IsWindowVisible(run.window()); }, 1000));
  processes.update_running = true;
  EXPECT_TRUE(robot::WaitUntil([&] { return !processes.update_running; }, 1000)) << "hidden";
  EXPECT_EQ(processes.kills, 2);
}

TEST(NoticeWindow, ShowsTheTemplateLineOrItsText) {
  struct Case {
    std::string text;
    std::wstring shown;
  } cases[] = {{"", L"安装程序正在初始化..."}, {"请稍候", L"请稍候"}};
  for (const Case& c : cases) {
    CNoteDlg note;
    note.m_strText = c.text;
    ASSERT_TRUE(note.Create(IDD_NOTE));
    EXPECT_TRUE(::IsWindowVisible(note.hwnd()));
    EXPECT_EQ(robot::ControlText(note.hwnd(), IDC_NOTE_TEXT), c.shown);
    if (c.text.empty()) {
      ::UpdateWindow(note.hwnd());
      fs::create_directories(kScreenshots);
      EXPECT_TRUE(robot::ScreenshotWindow(note.hwnd(), kScreenshots / "notice.png"));
    }
  }
  // Deleting the object closed the windows.
  EXPECT_EQ(robot::FindTopWindow(L"", ::GetCurrentProcessId(), 0, robot::Visibility::kVisible), nullptr);
}

}  // namespace
