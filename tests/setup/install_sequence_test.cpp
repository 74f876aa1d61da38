// The install worker's sequence as the wizard sees it: status lines, progress values, page switches,
// showing and hiding, and message boxes, in order. The program carries the package resources of
// one payload, chosen at build time (VANTOR_TEST_PACKAGES): "sample" (the sample suite), "empty",
// or "no129" (the sample suite without resource 129).
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ezp_reader.h"
#include "install_worker.h"
#include "recording_wizard.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::P;

std::string Folder(int csidl, const char* tail) {
  char path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "(unknown)";
  return std::string(path) + tail;
}

std::string TempFolder() {
  char path[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, path);
  return path;
}

const std::string kInstall = Folder(CSIDL_PROGRAM_FILES, "\\Vantor\\");
const std::string kSystem = Folder(CSIDL_SYSTEM, "\\");

std::vector<std::string> g_extract_errors;
void RecordExtractError(const std::string& name) { g_extract_errors.push_back(name); }

// Everything after deployment: the same in every run that gets there.
std::vector<std::string> Tail() {
  return {"status:设置环境变量...", "progress:51",   "progress:70",     "status:安装飞天驱动...",
          "progress:80",             "progress:85",   "progress:90",     "progress:97",
          "status:注册组件...",       "progress:99",   "status:安装证书延期控件...", "progress:100",
          "installdir:" + kInstall,  "page:2"};
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The sample suite's entries in index order (code page 936 byte order) and their progress values.
[[maybe_unused]] std::vector<std::string> SampleDeployment() {
  return {"status:" + kInstall + "config\\client.ini",
          "progress:10",
          "status:" + kInstall + "readme.txt",
          "progress:20",
          "status:" + kInstall + "证书工具\\说明.txt",
          "progress:30",
          "status:" + kInstall + "证书工具\\证书列表.dat",
          "progress:40",
          "status:" + kSystem + "ZevaKeyCfg.ini",
          "progress:50"};
}

const std::vector<std::string> kChecks = {"status:检查安装目录...", "status:检查系统目录..."};

[[maybe_unused]] std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

[[maybe_unused]] fs::path SamplePayload(const std::string& relative) { return fs::path(VANTOR_SAMPLE_SUITE) / P(relative); }

class InstallSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    g_extract_errors.clear();
    previous_ = SetEzpExtractErrorHandler(RecordExtractError);
  }
  void TearDown() override { SetEzpExtractErrorHandler(previous_); }
  EzpExtractErrorHandler previous_ = nullptr;
};

#if defined(VANTOR_TEST_PACKAGES_SAMPLE)

TEST_F(InstallSequence, InteractiveRunDeploysTheSampleSuite) {
  RecordingWizard wizard(false, false, TempFolder());
  RunInstallSequence(wizard);
  std::vector<std::string> expected = Concat(Concat(Concat({"hide", "show"}, kChecks), SampleDeployment()), Tail());
  EXPECT_EQ(wizard.events(), expected);
  EXPECT_FALSE(wizard.damaged());
  EXPECT_FALSE(wizard.abandoned());
  EXPECT_TRUE(g_extract_errors.empty());

  for (const char* file : {"config/client.ini", "readme.txt", "证书工具/说明.txt", "证书工具/证书列表.dat"}) {
    EXPECT_EQ(Read(P(kInstall) / P(file)), Read(SamplePayload(std::string("setupdir/") + file))) << file;
  }
  EXPECT_EQ(Read(P(kSystem) / "ZevaKeyCfg.ini"), Read(SamplePayload("windir/ZevaKeyCfg.ini")));
  // The backup copy is this very program.
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(Read(P(kInstall) / "casetup_bk.exe"), Read(self));
}

TEST_F(InstallSequence, SecondRunOverAnIdenticalTreeWritesNothing) {
  RecordingWizard first(false, false, TempFolder());
  RunInstallSequence(first);
  // Every file of the installation, the backup copy included, dated back a day.
  std::vector<fs::path> files = {P(kSystem) / "ZevaKeyCfg.ini"};
  for (const auto& e : fs::recursive_directory_iterator(P(kInstall))) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  ASSERT_EQ(files.size(), 6u);
  std::vector<fs::file_time_type> times;
  for (const fs::path& f : files) {
    times.push_back(fs::last_write_time(f) - std::chrono::hours(24));
    fs::last_write_time(f, times.back());
  }

  RecordingWizard second(false, false, TempFolder());
  RunInstallSequence(second);
  EXPECT_EQ(second.events(), first.events());
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(fs::last_write_time(files[i]), times[i]) << files[i].string() << " was written";
  }
}

TEST_F(InstallSequence, SilentRunNeverShowsTheWizard) {
  RecordingWizard wizard(true, true, TempFolder());
  RunInstallSequence(wizard);
  std::vector<std::string> expected = Concat(Concat(Concat({"hide"}, kChecks), SampleDeployment()), Tail());
  EXPECT_EQ(wizard.events(), expected);
}

TEST_F(InstallSequence, UnwritableFileAsksUntilAbandoned) {
  // A read-only file with other content where readme.txt goes: "否" asks again, "是" abandons it;
  // its status line and progress step still come.
  fs::create_directories(P(kInstall));
  fs::path readme = P(kInstall) / "readme.txt";
  { std::ofstream(readme) << "old"; }
  fs::permissions(readme, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);

  RecordingWizard wizard(false, false, TempFolder());
  wizard.answers = {IDNO, IDYES};
  RunInstallSequence(wizard);
  std::string question = "message:错误:无法写入文件，是否忽略？\n" + kInstall + "readme.txt";
  std::vector<std::string> deployment = SampleDeployment();
  deployment.insert(deployment.begin() + 2, {question, question});
  EXPECT_EQ(wizard.events(), Concat(Concat(Concat({"hide", "show"}, kChecks), deployment), Tail()));
  EXPECT_TRUE(wizard.abandoned());
  EXPECT_FALSE(wizard.damaged());
  EXPECT_EQ(Read(readme), "old");
  fs::permissions(readme, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(InstallSequence, ConfirmedStopStartsNoFurtherStep) {
  for (int stop_after : {0, 1, 3, 6, 12, 20}) {
    RecordingWizard wizard(false, false, TempFolder());
    wizard.stop_after = stop_after;
    RunInstallSequence(wizard);
    EXPECT_EQ(static_cast<int>(wizard.events().size()), stop_after) << "stop after " << stop_after;
  }
}

#elif defined(VANTOR_TEST_PACKAGES_EMPTY)

TEST_F(InstallSequence, EmptyPackagesGoFromZeroStraightTo51) {
  RecordingWizard wizard(false, false, TempFolder());
  RunInstallSequence(wizard);
  EXPECT_EQ(wizard.events(), Concat(Concat({"hide", "show"}, kChecks), Tail()));
  EXPECT_FALSE(wizard.damaged());
}

#elif defined(VANTOR_TEST_PACKAGES_NO129)

TEST_F(InstallSequence, MissingIndexResourceShowsCodes0And4AndGoesOn) {
  // An index of an earlier run must not be picked up in place of the missing resource.
  { std::ofstream(P(TempFolder()) / "setupdir.ezpi") << "stale"; }
  RecordingWizard wizard(false, false, TempFolder());
  RunInstallSequence(wizard);
  std::vector<std::string> expected = {"message:(program):安装程序被损坏,请重新下载!\nCode=0",
                                       "message:(program):安装程序被损坏,请重新下载!\nCode=4", "hide", "show"};
  expected = Concat(expected, kChecks);
  // Only the windir package is left: its one entry is the whole progress.
  expected = Concat(expected, {"status:" + kSystem + "ZevaKeyCfg.ini", "progress:50"});
  EXPECT_EQ(wizard.events(), Concat(expected, Tail()));
  EXPECT_TRUE(wizard.damaged());
  std::vector<std::string> installed;
  for (const auto& e : fs::directory_iterator(P(kInstall))) installed.push_back(e.path().filename().string());
  EXPECT_EQ(installed, std::vector<std::string>{"casetup_bk.exe"}) << "nothing deployed but the backup copy";
}

#elif defined(VANTOR_TEST_PACKAGES_SHARED)

TEST_F(InstallSequence, SharedLibraryNameIsPassedOverWithoutAWord) {
  // Both targets are read-only files with other content: neither can be written.
  for (const char* file : {"lib/Winscard.dll", "lib2/winscard.dll"}) {
    fs::path target = P(kInstall) / P(file);
    fs::create_directories(target.parent_path());
    { std::ofstream(target) << "old"; }
    fs::permissions(target, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  RecordingWizard wizard(false, false, TempFolder());
  wizard.answers = {IDYES};
  RunInstallSequence(wizard);
  // In byte order "\lib2\..." comes before "\lib\..." ('2' is 0x32, '\' 0x5C).
  std::vector<std::string> deployment = {
      "message:错误:无法写入文件，是否忽略？\n" + kInstall + "lib2\\winscard.dll",
      "status:" + kInstall + "lib2\\winscard.dll", "progress:25",
      "status:" + kInstall + "lib\\Winscard.dll", "progress:50"};
  EXPECT_EQ(wizard.events(), Concat(Concat(Concat({"hide", "show"}, kChecks), deployment), Tail()));
  EXPECT_TRUE(wizard.abandoned());
}

#else
#error "VANTOR_TEST_PACKAGES_* not set"
#endif

}  // namespace
