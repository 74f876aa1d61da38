// The switches, the title, the status box and the damaged-package message.
#include <gtest/gtest.h>

#include "setup_text.h"

namespace {

TEST(StartFlags, WholeTailDecides) {
  struct Case {
    const char* tail;
    bool unattended, silent;
  } cases[] = {
      {"", false, false},        {"-fix", true, false},   {"-fixfile", true, false}, {"-s", true, true},
      {"-S", true, true},        {"-FIX", false, false},  {"-s ", false, false},     {"-s -fix", false, false},
      {"/s", false, false},      {"fix", false, false},   {"-Fixfile", false, false}, {"-fix\t", false, false},
      {"--fix", false, false},   {"-f", false, false},
  };
  for (const Case& c : cases) {
    StartFlags f = ParseStartFlags(c.tail);
    EXPECT_EQ(f.unattended, c.unattended) << "'" << c.tail << "'";
    EXPECT_EQ(f.silent, c.silent) << "'" << c.tail << "'";
  }
}

TEST(CommandLineTail, DropsTheProgramNameAndLeadingBlanks) {
  struct Case {
    const char* line;
    const char* tail;
  } cases[] = {
      {"VantorSetup.exe -s", "-s"},
      {"\"C:\\Program Files\\x\\VantorSetup.exe\" -fix", "-fix"},
      {"\"C:\\a b\\VantorSetup.exe\"-s", "-s"},
      {"VantorSetup.exe    \t -S", "-S"},
      {"VantorSetup.exe -s ", "-s "},  // trailing blanks stay, and make the switch unknown
      {"VantorSetup.exe", ""},
      {"\"unterminated -s", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CommandLineTail(c.line), c.tail) << c.line;
}

TEST(Version, MajorMinor) {
  struct Case {
    const char* version;
    const char* shown;
  } cases[] = {{"3.9.8.4", "3.9"}, {"3", ""}, {"3..9", "3.9"}, {".3.9.", "3.9"}, {"", ""}, {"10.0", "10.0"}};
  for (const Case& c : cases) EXPECT_EQ(MajorMinorVersion(c.version), c.shown) << c.version;
  EXPECT_EQ(WizardTitle(kSuiteVersion), "Zeva数字证书客户端软件 3.9 安装程序");
  EXPECT_EQ(WizardTitle("3"), "Zeva数字证书客户端软件  安装程序") << "two blanks in a row";
}

TEST(StatusText, NewestLineOnTopEveryLineEnded) {
  std::string box = ComposeStatusText("first", "");
  EXPECT_EQ(box, "first\r\n");
  box = ComposeStatusText("second", box);
  EXPECT_EQ(box, "second\r\nfirst\r\n");
}

TEST(StatusText, KeepsAtMost59999BytesOfThePreviousText) {
  std::string previous(70000, 'x');
  std::string box = ComposeStatusText("new", previous);
  EXPECT_EQ(box.size(), 3 + 2 + kStatusKeepBytes);
  EXPECT_EQ(box.substr(0, 5), "new\r\n");

  std::string exact(kStatusKeepBytes, 'y');
  EXPECT_EQ(ComposeStatusText("n", exact).size(), 1 + 2 + kStatusKeepBytes) << "nothing cut at the limit";
}

TEST(StatusText, CutNeverSplitsADoubleByteCharacter) {
  // 59,998 ASCII bytes, then a two-byte character across the limit.
  std::string previous(kStatusKeepBytes - 1, 'a');
  previous += "\xca\xfd";
  previous += "tail";
  std::string box = ComposeStatusText("n", previous);
  EXPECT_EQ(box.size(), 1 + 2 + kStatusKeepBytes - 1);
  EXPECT_EQ(box.back(), 'a');

  // A box read back with half a character at its end (the read was cut) loses that half.
  EXPECT_EQ(ComposeStatusText("n", "ab\xca"), "n\r\nab");

  // A character that ends exactly at the limit stays whole.
  std::string fits(kStatusKeepBytes - 2, 'a');
  fits += "\xca\xfd";
  fits += "more";
  EXPECT_EQ(ComposeStatusText("n", fits).substr(3 + kStatusKeepBytes - 2), "\xca\xfd");
}

TEST(CorruptPackage, MessageCarriesTheCode) {
  EXPECT_EQ(CorruptPackageMessage(3), "安装程序被损坏,请重新下载!\nCode=3");
  EXPECT_EQ(CorruptPackageMessage(5), "安装程序被损坏,请重新下载!\nCode=5");
}

}  // namespace
