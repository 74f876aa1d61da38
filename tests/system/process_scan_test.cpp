// Finding and ending processes by name, and finding the programs that hold a package's files,
// over a process table of the test's own.
#include <gtest/gtest.h>

#include "fake_process_table.h"
#include "process_scan.h"

namespace {

std::vector<std::uint32_t> Ids(const ProcessList& list) {
  std::vector<std::uint32_t> ids;
  for (const auto& e : list) ids.push_back(e.processId);
  return ids;
}

EzpIndex IndexOf(const std::vector<std::string>& names) {
  EzpIndex index;
  for (const auto& n : names) index[n].name = n;
  return index;
}

TEST(ProcessPathMatchesName, NameRules) {
  struct Case {
    const char* path;
    const char* name;
    bool match;
  } cases[] = {
      {"C:\\Tools\\UPDATE.EXE", "update.exe", true},
      {"C:\\Tools\\update.exe", "Update.exe", false},  // a capital in the name never matches
      {"C:/Tools/update.exe", "update.exe", true},
      {"C:\\update.exe.bak", "update.exe", false},
      {"C:\\myupdate.exe", "update.exe", false},
      {"\\??\\C:\\Tools\\update.exe", "update.exe", false},  // first byte not a letter
      {"\\Device\\update.exe", "update.exe", false},
      {"", "update.exe", false},
      {"update.exe", "update.exe", false},  // no separator: empty base name
      {"C\\update.exe", "update.exe", true},  // a separator at the second character counts
      {"C:\\x", "update.exe", false},         // shorter than the name
      {"C:\\\xd6\xa4\xca\xe9\\UPDATE.exe", "update.exe", true},
      {"C:\\Tools\\", "", true},  // an empty base name equals the empty name
  };
  for (const Case& c : cases) EXPECT_EQ(ProcessPathMatchesName(c.path, c.name), c.match) << c.path << " / " << c.name;
}

TEST(ProcessScanner, IsProcessRunning) {
  FakeProcessTable table;
  table.Add(10, "C:\\a\\other.exe");
  table.Add(11, "C:\\a\\UPDATE.exe");
  table.Add(12, "C:\\b\\update.exe").openable = false;
  table.Add(13, "C:\\c\\catest.exe").path_readable = false;
  ProcessScanner scanner(table);
  EXPECT_TRUE(scanner.IsProcessRunning("update.exe"));
  EXPECT_FALSE(scanner.IsProcessRunning("Update.exe"));
  EXPECT_FALSE(scanner.IsProcessRunning("catest.exe")) << "path unreadable";
  table.processes[1].terminated = true;
  EXPECT_FALSE(scanner.IsProcessRunning("update.exe")) << "the other instance cannot be opened";
}

TEST(ProcessScanner, KillProcessesByNameEndsEveryInstanceAndNothingElse) {
  FakeProcessTable table;
  table.Add(1, "C:\\s\\update.exe");
  table.Add(2, "C:\\s\\updater.exe");
  table.Add(3, "D:\\other\\Update.EXE");
  table.Add(4, "C:\\s\\myupdate.exe");
  ProcessScanner scanner(table);
  EXPECT_TRUE(scanner.KillProcessesByName("update.exe"));
  EXPECT_EQ(table.Terminated(), (std::vector<std::uint32_t>{1, 3}));
}

TEST(ProcessScanner, KillProcessesByNameTerminatesNothingWhen) {
  struct Case {
    const char* what;
    std::string name;
    bool privilege;
  } cases[] = {{"the name is empty", "", true}, {"the debug privilege is not held", "update.exe", false}};
  for (const Case& c : cases) {
    FakeProcessTable table;
    table.Add(1, "C:\\s\\update.exe");
    table.Add(2, "C:\\s\\");
    table.privilege = c.privilege;
    ProcessScanner scanner(table);
    EXPECT_TRUE(scanner.KillProcessesByName(c.name));
    EXPECT_TRUE(table.Terminated().empty()) << c.what;
  }
}

TEST(ProcessScanner, FindProcessesUsingModule) {
  FakeProcessTable table;
  table.Add(7, "C:\\p\\one.exe", {"C:\\V\\Core.DLL", "C:\\v\\core.dll"});  // listed twice
  table.Add(5, "C:\\p\\two.exe", {"c:\\v\\CORE.dll"});
  table.Add(9, "C:\\p\\three.exe", {"C:\\v\\other.dll"});
  ProcessScanner scanner(table);
  ProcessList found = scanner.FindProcessesUsingModule("C:\\v\\core.dll");
  EXPECT_EQ(Ids(found), (std::vector<std::uint32_t>{7, 5})) << "enumeration order, each process once";
  EXPECT_EQ(found[0].exePath, "C:\\p\\one.exe");

  table.privilege = false;
  ProcessScanner unprivileged(table);
  EXPECT_TRUE(unprivileged.FindProcessesUsingModule("C:\\v\\core.dll").empty());
}

TEST(ProcessScanner, FindProcessesHoldingFilesFiltersEntries) {
  // Which entries of an index are looked for in the processes' modules.
  struct Case {
    const char* entry;
    bool scanned;
  } cases[] = {
      {"\\core.dll", true},         {"\\bin\\tool.exe", true},  {"\\Winscard.dll", false},
      {"\\sub\\winscard.dll", true}, {"\\atl100.dll", false},    {"\\X.EXE", false},
      {"\\lib.DLL", false},          {"\\x.exe.bak", true},      {"\\readme.txt", false},
  };
  for (const Case& c : cases) {
    FakeProcessTable table;
    table.Add(3, "C:\\p\\holder.exe", {std::string("C:\\V\\") + (c.entry + 1)});
    ProcessScanner scanner(table);
    ProcessList found = scanner.FindProcessesHoldingFiles("C:\\V\\", IndexOf({c.entry}));
    EXPECT_EQ(found.size(), c.scanned ? 1u : 0u) << c.entry;
  }
}

TEST(ProcessScanner, FindProcessesHoldingFilesListsEachProcessOnceInFirstFoundOrder) {
  FakeProcessTable table;
  table.Add(40, "C:\\p\\b.exe", {"C:\\V\\z.dll"});
  table.Add(30, "C:\\p\\a.exe", {"C:\\V\\a.dll", "C:\\V\\b.dll", "C:\\V\\z.dll"});
  table.Add(20, "C:\\p\\c.exe", {"C:\\V\\b.dll"});
  table.Add(10, "C:\\V\\tool.exe");  // an executable of the package running from the folder
  ProcessScanner scanner(table);
  ProcessList found = scanner.FindProcessesHoldingFiles("C:\\V\\", IndexOf({"\\z.dll", "\\a.dll", "\\b.dll", "\\tool.exe"}));
  // a.dll reveals 30, b.dll then 20, tool.exe 10, z.dll 40 (entries in index order: a, b, tool, z).
  EXPECT_EQ(Ids(found), (std::vector<std::uint32_t>{30, 20, 10, 40}));
  EXPECT_EQ(found[2].exePath, "C:\\V\\tool.exe");
}

TEST(ProcessScanner, ModuleListsAreReadOnceAndNeverRefreshed) {
  FakeProcessTable table;
  table.Add(1, "C:\\p\\a.exe", {"C:\\V\\x.dll"});
  table.Add(2, "C:\\p\\b.exe");
  table.Add(3, "C:\\p\\locked.exe", {"C:\\V\\x.dll"}).openable = false;
  table.Add(4, "C:\\p\\odd.exe", {"C:\\V\\x.dll"}).modules_listable = false;
  ProcessScanner scanner(table);
  EzpIndex index = IndexOf({"\\x.dll"});
  EXPECT_EQ(Ids(scanner.FindProcessesHoldingFiles("C:\\V\\", index)), (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(table.module_reads, 3) << "the process that cannot be opened is not read";

  // Process 2 loads the file now, 1 unloads it, 3 can be opened now: the lists read before stand.
  table.processes[1].modules.push_back("C:\\V\\x.dll");
  table.processes[0].modules.pop_back();
  table.processes[2].openable = true;
  table.processes[3].modules_listable = true;
  EXPECT_EQ(Ids(scanner.FindProcessesHoldingFiles("C:\\V\\", index)), (std::vector<std::uint32_t>{1, 3}));
  EXPECT_EQ(table.module_reads, 4) << "only the id that was not stored is read again";
}

TEST(ProcessScanner, ScanOf1024ProcessesReadsEachModuleListOnce) {
  FakeProcessTable table;
  for (std::uint32_t id = 4; id < 4 + 1024 * 4; id += 4) {
    table.Add(id, "C:\\p\\prog" + std::to_string(id) + ".exe",
              {"C:\\windows\\system32\\kernel32.dll", "C:\\V\\lib" + std::to_string(id / 4 % 200) + ".dll"});
  }
  std::vector<std::string> names;
  for (int i = 0; i < 180; ++i) names.push_back("\\lib" + std::to_string(i) + (i % 2 ? ".dll" : ".txt"));
  ProcessScanner scanner(table);
  ProcessList found = scanner.FindProcessesHoldingFiles("C:\\V\\", IndexOf(names));
  EXPECT_EQ(table.module_reads, 1024);
  EXPECT_FALSE(found.empty());
  scanner.FindProcessesHoldingFiles("C:\\V\\", IndexOf(names));
  EXPECT_EQ(table.module_reads, 1024) << "a second scan reads nothing";
}

TEST(ProcessScanner, OnlyTheFirst1024IdsAreExamined) {
  FakeProcessTable table;
  for (std::uint32_t id = 1; id <= 1030; ++id) table.Add(id, "C:\\p\\x" + std::to_string(id) + ".exe");
  table.Add(2000, "C:\\p\\update.exe");
  ProcessScanner scanner(table);
  EXPECT_FALSE(scanner.IsProcessRunning("update.exe"));
  scanner.KillProcessesByName("update.exe");
  EXPECT_TRUE(table.Terminated().empty());
}

}  // namespace
