#include "platform/linux/reg_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

Bytes Text(std::string_view s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

TEST(RegFileTest, EveryTypeIsWrittenInItsFormAndReadsBackExactly) {
  struct Case {
    RegValue value;
    std::string line;
  };
  const Case cases[] = {
      {{kRegDword, {0xff, 0xff, 0xff, 0xff}}, "\"V\"=dword:ffffffff"},
      {{kRegDword, {0x2a, 0x00, 0x01, 0x00}}, "\"V\"=dword:0001002a"},
      {{kRegDword, {0x01, 0x02}}, "\"V\"=hex(4):01,02"},
      {{kRegBinary, {0, 1, 2, 3, 4, 5, 6, 7, 0, 0}}, "\"V\"=hex:00,01,02,03,04,05,06,07,00,00"},
      {{kRegBinary, {}}, "\"V\"=hex:"},
      {{kRegSz, Text("say \"hi\" to C:\\")}, "\"V\"=\"say \\\"hi\\\" to C:\\\\\""},
      {{kRegSz, Text("")}, "\"V\"=\"\""},
      {{kRegSz, Text("two\nlines")}, "\"V\"=hex(1):74,77,6f,0a,6c,69,6e,65,73,00"},
      {{kRegSz, {'a', 0, 'b', 0}}, "\"V\"=hex(1):61,00,62,00"},
      {{kRegSz, {'a'}}, "\"V\"=hex(1):61"},
      {{kRegExpandSz, Text("%H%")}, "\"V\"=hex(2):25,48,25,00"},
      {{kRegNone, {}}, "\"V\"=hex(0):"},
      {{0x7, {0x61, 0, 0}}, "\"V\"=hex(7):61,00,00"},
      {{0x12345678, {0xab}}, "\"V\"=hex(12345678):ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    RegFile file = RegFile::Parse("");
    ASSERT_TRUE(file.SetValue(kKey, "V", c.value));
    EXPECT_EQ(file.Serialize(), "REGEDIT4\n\n[" + kKey + "]\n" + c.line + "\n");
    EXPECT_EQ(RegFile::Parse(file.Serialize()).FindValue(kKey, "V"), c.value);
  }
}

TEST(RegFileTest, MalformedDataIsAValueOfUnreadableType) {
  const char* lines[] = {
      "\"V\"=dword:xyz",   "\"V\"=dword:123456789", "\"V\"=dword:",     "\"V\"=hex:0g",
      "\"V\"=hex:100",     "\"V\"=hex:01,,02",      "\"V\"=hex(zz):00", "\"V\"=hex(ffffffff):",
      "\"V\"=hex(3:00",    "\"V\"=\"open",          "\"V\"=\"a\\q\"",   "\"V\"=\"a\" tail",
      "\"V\"=5",           "\"V\"=",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const RegFile file = RegFile::Parse("[" + kKey + "]\n" + line + "\n");
    EXPECT_EQ(file.FindValue(kKey, "V"), (RegValue{kRegUnreadable, {}}));
  }
}

TEST(RegFileTest, ReadsTheWayAnImportWould) {
  const std::string text =
      "REGEDIT4\r\n"
      "\"V\"=dword:00000009\r\n"  // before any key: belongs to none
      "[hkey_local_machine\\software\\test]\r\n"
      "  \"Wrapped\" = hex:01,02,\\\r\n"
      "    03,04\r\n"
      "\"V\"=dword:00000001\r\n"
      "\"Gone\"=dword:00000001\r\n"
      "[-" + kKey + "]\r\n"
      "\"V\"=dword:00000002\r\n"
      "[" + kKey + "\r\n"
      "\"V\"=dword:00000003\r\n"
      "[" + kKey + "]\r\n"
      "\"Gone\"=-\r\n"
      "\"v\"=dword:00000004\r\n"
      "@=\"default\"\r\n"
      "[" + kKey + "\\Sub]\r\n";
  const RegFile file = RegFile::Parse(text);
  EXPECT_EQ(file.Serialize(), text);
  EXPECT_EQ(file.FindValue(kKey, "Wrapped"), (RegValue{kRegBinary, {1, 2, 3, 4}}));
  EXPECT_EQ(file.FindValue(kKey, "V"), (RegValue{kRegDword, {4, 0, 0, 0}}));
  EXPECT_EQ(file.FindValue(kKey, "Gone"), std::nullopt);
  EXPECT_EQ(file.FindValue(kKey, ""), (RegValue{kRegSz, Text("default")}));
  EXPECT_TRUE(file.HasKey("HKEY_LOCAL_MACHINE\\SOFTWARE"));
  EXPECT_FALSE(file.HasKey("HKEY_LOCAL_MACHINE\\SOFT"));

  // A write replaces the line that counts, in the file's own line ends.
  RegFile written = file;
  ASSERT_TRUE(written.SetValue(kKey, "V", {kRegDword, {5, 0, 0, 0}}));
  std::string expected = text;
  expected.replace(expected.find("\"v\"=dword:00000004"), 18, "\"V\"=dword:00000005");
  EXPECT_EQ(written.Serialize(), expected);
}

TEST(RegFileTest, AddedLinesNeverJoinAnUnfinishedLastLine) {
  const std::string starts[] = {
      "[" + kKey + "]\n\"W\"=hex:01,\\",        // continuation at the end, no line end
      "[" + kKey + "]\n\"W\"=hex:01,\\\n",      // continuation at the end
      "[" + kKey + "]\n\"W\"=dword:00000001",   // no line end
      "[" + kKey + "]\n\"W\"=hex:01,\\\\\r",   // a backslash before the continuation one
      "[" + kKey + "]\r",                         // a stray carriage return
      "; only a comment",
  };
  for (const std::string& start : starts) {
    SCOPED_TRACE(start);
    const RegFile before = RegFile::Parse(start);
    for (const std::string& key : {kKey, kKey + "2"}) {
      RegFile file = before;
      ASSERT_TRUE(file.SetValue(key, "New", {kRegDword, {1, 0, 0, 0}}));
      EXPECT_EQ(file.Serialize().substr(0, start.size()), start);
      const RegFile reread = RegFile::Parse(file.Serialize());
      EXPECT_EQ(reread.FindValue(key, "New"), (RegValue{kRegDword, {1, 0, 0, 0}}));
      EXPECT_EQ(reread.FindValue(kKey, "W"), before.FindValue(kKey, "W"));
    }
  }
}

TEST(RegFileTest, RefusesNamesThatCannotBeWrittenOnOneLine) {
  RegFile file = RegFile::Parse("");
  EXPECT_FALSE(file.SetValue(kKey, "a\nb", {kRegDword, {1, 0, 0, 0}}));
  EXPECT_FALSE(file.SetValue("-" + kKey, "V", {kRegDword, {1, 0, 0, 0}}));
  EXPECT_FALSE(file.SetValue(kKey + "\r", "V", {kRegDword, {1, 0, 0, 0}}));
  EXPECT_FALSE(file.SetValue(kKey, "V", {kRegUnreadable, {}}));
  EXPECT_EQ(file.Serialize(), "");
}

// Any text: reading and writing it back loses nothing, and a value set reads back as set
// while every other value stays as it was.
TEST(RegFileTest, RandomFilesSurviveParseWriteParse) {
  const std::vector<std::string> pieces = {
      "REGEDIT4", "[" + kKey + "]", "[" + kKey + "\\Sub]", "[-" + kKey + "]", "[broken",
      "[HKEY_CURRENT_USER\\X]", "\"V\"=dword:00000001", "\"v\"=hex:01,\\", "  02,03",
      "\"W\"=\"a\\\\b\\\"\"", "\"W\"=-", "@=hex(2):41,00", "; note", "", "garbage \\",
      "\"X\"=hex(7):", "\"V\"=\"x", "\r", "\"Y\"=hex:\\", "\\", "[", "\"", "@", "=",
  };
  const std::vector<std::string> names = {"V", "W", "X", "Y", "", "New"};
  const std::vector<std::string> keys = {kKey, kKey + "\\Sub", "HKEY_CURRENT_USER\\X", "HKEY_USERS\\Z"};
  std::mt19937 random(1234);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int lines = static_cast<int>(random() % 8);
    for (int i = 0; i < lines; ++i) {
      if (random() % 6 == 0) {
        for (int n = static_cast<int>(random() % 6); n > 0; --n) text += static_cast<char>(random());
      } else {
        text += pieces[random() % pieces.size()];
      }
      if (i + 1 < lines || random() % 2) text += (random() % 4 == 0) ? "\r\n" : "\n";
    }
    SCOPED_TRACE(text);
    RegFile file = RegFile::Parse(text);
    ASSERT_EQ(file.Serialize(), text);

    const std::string& key = keys[random() % keys.size()];
    const std::string& name = names[random() % names.size()];
    Bytes data(random() % 5);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    const RegValue value{static_cast<ValueType>(random() % 5), data};
    ASSERT_TRUE(file.SetValue(key, name, value));

    const RegFile reread = RegFile::Parse(file.Serialize());
    ASSERT_EQ(reread.FindValue(key, name), value);
    ASSERT_TRUE(reread.HasKey(key));
    const RegFile original = RegFile::Parse(text);
    for (const std::string& k : keys) {
      for (const std::string& n : names) {
        if (k == key && n == name) continue;
        ASSERT_EQ(reread.FindValue(k, n), original.FindValue(k, n)) << k << " " << n;
      }
    }
  }
}

}  // namespace
}  // namespace corvane
