#include "platform/linux/file_key_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/registry.h"
#include "support/settings_error.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const std::string kHeader =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\"
    "PrivateProperties\\Joystick\\OEM\\Corvane]\n";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The settings in the order the window writes them.
void WriteSettings(KeyStore& store, std::int32_t device, const std::array<std::uint8_t, 10>& map) {
  RegistryKey key(store);
  key.OpenForWriting(kSettingsRoot, kSettingsKey);
  key.WriteInteger("InputDevice", device);
  key.WriteInteger("InputPort", 0);
  key.WriteInteger("InputVolume", 0);
  key.WriteInteger("InputAutoStart", 0);
  key.WriteInteger("InputMode", 0);
  key.WriteBinary("Mapping", map);
}

constexpr std::array<std::uint8_t, 10> kDefaultMap{0, 1, 2, 3, 4, 5, 6, 7, 0, 0};

// Writes beyond `bytes` fail (for root too) while this lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    signal_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, signal_);
  }

 private:
  rlimit saved_{};
  sighandler_t signal_;
};

class FileKeyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "corvane-keys-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
    folder = root / "corvane";
    file = folder / "registry.reg";
  }
  void TearDown() override {
    chmod(folder.c_str(), 0755);
    fs::remove_all(root);
  }
  // Everything in the folder but the settings file itself.
  std::vector<std::string> Strays() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      if (e.path().filename() != "registry.reg") names.push_back(e.path().filename());
    }
    return names;
  }

  fs::path root, folder, file;
};

TEST_F(FileKeyStoreTest, FirstSaveWritesTheKeyWithTypedValuesAndReadsBack) {
  FileKeyStore store(file);
  {
    RegistryKey key(store);
    EXPECT_FALSE(key.OpenForReading(kSettingsRoot, kSettingsKey));  // first run
    EXPECT_FALSE(key.ValueExists("InputDevice"));
  }
  EXPECT_FALSE(fs::exists(folder));

  WriteSettings(store, 0, kDefaultMap);
  EXPECT_EQ(ReadText(file),
            "REGEDIT4\n\n" + kHeader +
                "\"InputDevice\"=dword:00000000\n"
                "\"InputPort\"=dword:00000000\n"
                "\"InputVolume\"=dword:00000000\n"
                "\"InputAutoStart\"=dword:00000000\n"
                "\"InputMode\"=dword:00000000\n"
                "\"Mapping\"=hex:00,01,02,03,04,05,06,07,00,00\n");
  EXPECT_TRUE(Strays().empty());

  WriteSettings(store, -1, {7, 6, 5, 4, 3, 2, 1, 0, 1, 0});
  EXPECT_NE(ReadText(file).find("\"InputDevice\"=dword:ffffffff\n\"InputPort\""), std::string::npos);
  RegistryKey key(store);
  ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
  EXPECT_EQ(key.ReadInteger("InputDevice"), -1);
  std::array<std::uint8_t, 10> map{};
  EXPECT_EQ(key.ReadBinary("Mapping", map), 10u);
  EXPECT_EQ(map, (std::array<std::uint8_t, 10>{7, 6, 5, 4, 3, 2, 1, 0, 1, 0}));
  EXPECT_EQ(store.CloseKey(kNoKey), false);
}

TEST_F(FileKeyStoreTest, WriteKeepsOtherKeysCommentsAndUnknownLines) {
  const std::string before =
      "REGEDIT4\n"
      "; kept by hand\n"
      "[HKEY_CURRENT_USER\\Other]\n"
      "\"InputDevice\"=dword:00000005\n"
      "\n" + kHeader +
      "\"InputPort\"=hex:01,\\\n"
      "  02\n"
      "this line means nothing\n"
      "\"Extra\"=\"left alone\"\n"
      "\"InputMode\"=dword:zz\n"
      "\n"
      "[HKEY_USERS\\Tail]\n"
      "\"x\"=hex(7):00\n";
  WriteText(file, before);
  FileKeyStore store(file);
  WriteSettings(store, 3, kDefaultMap);
  EXPECT_EQ(ReadText(file),
            "REGEDIT4\n"
            "; kept by hand\n"
            "[HKEY_CURRENT_USER\\Other]\n"
            "\"InputDevice\"=dword:00000005\n"
            "\n" + kHeader +
            "\"InputPort\"=dword:00000000\n"
            "this line means nothing\n"
            "\"Extra\"=\"left alone\"\n"
            "\"InputMode\"=dword:00000000\n"
            "\"InputDevice\"=dword:00000003\n"
            "\"InputVolume\"=dword:00000000\n"
            "\"InputAutoStart\"=dword:00000000\n"
            "\"Mapping\"=hex:00,01,02,03,04,05,06,07,00,00\n"
            "\n"
            "[HKEY_USERS\\Tail]\n"
            "\"x\"=hex(7):00\n");
}

TEST_F(FileKeyStoreTest, BadStoredValuesRaiseTheirErrors) {
  struct Case {
    const char* line;
    const char* name;
    std::string error;
    Bytes map;  // when read without error
  };
  const Case cases[] = {
      {"\"InputDevice\"=\"5\"", "InputDevice", "'InputDevice' のデータ型が不正です", {}},
      {"\"InputDevice\"=dword:-1", "InputDevice", "'InputDevice' のデータ型が不正です", {}},
      {"\"InputDevice\"=hex:01,00,00,00,00", "InputDevice", "'InputDevice' の取得に失敗しました", {}},
      {"\"Mapping\"=hex:00,00,00,00,00,00,00,00,00,00,00,00", "Mapping", "'Mapping' のデータ型が不正です", {}},
      {"\"Mapping\"=hex(2):61,00", "Mapping", "'Mapping' のデータ型が不正です", {}},
      {"\"Mapping\"=hex:07,06,05,04,03,02,01,00", "Mapping", "", {7, 6, 5, 4, 3, 2, 1, 0, 9, 9}},
      {"\"Mapping\"=hex:zz", "Mapping", "'Mapping' のデータ型が不正です", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteText(file, kHeader + c.line + "\n");
    FileKeyStore store(file);
    RegistryKey key(store);
    ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
    ASSERT_TRUE(key.ValueExists(c.name));
    Bytes map(10, 9);
    EXPECT_EQ(ErrorOf([&] {
                if (c.name == std::string("Mapping")) {
                  key.ReadBinary(c.name, map);
                } else {
                  key.ReadInteger(c.name);
                }
              }),
              c.error);
    if (c.error.empty()) {
      EXPECT_EQ(map, c.map);
    }
  }
}

TEST_F(FileKeyStoreTest, WriteThatCannotReachTheFileFailsAtTheFirstValueAndLosesNothing) {
  const std::string before = "REGEDIT4\n; mine\n";
  struct Case {
    const char* what;
    std::function<bool()> breakIt;  // false: this way does not work here
  };
  const Case cases[] = {
      {"read-only folder",
       [&] {
         WriteText(file, before);
         chmod(folder.c_str(), 0555);
         // Permission bits do not stop root.
         const fs::path probe = folder / "probe";
         const int fd = open(probe.c_str(), O_CREAT | O_WRONLY, 0600);
         if (fd < 0) return true;
         close(fd);
         unlink(probe.c_str());
         return false;
       }},
      {"read-only file",
       [&] {
         WriteText(file, before);
         chmod(file.c_str(), 0444);
         return access(file.c_str(), W_OK) != 0;
       }},
      {"folder's parent is a file",
       [&] {
         folder = root / "notafolder" / "corvane";
         file = folder / "registry.reg";
         WriteText(root / "notafolder", before);
         return true;
       }},
      {"settings file is a folder",
       [&] {
         fs::create_directories(file);
         return true;
       }},
      {"disk full",
       [&] {
         WriteText(file, before);
         return true;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    if (!c.breakIt()) {
      std::printf("skipped: %s has no effect for this user\n", c.what);
      continue;
    }
    const bool fileWasThere = fs::is_regular_file(file);
    FileKeyStore store(file);
    std::string error;
    {
      std::optional<FileSizeLimit> limit;
      if (std::string(c.what) == "disk full") limit.emplace(before.size());
      error = ErrorOf([&] { WriteSettings(store, 1, kDefaultMap); });
    }
    // The error names the value, then the file and the system's reason.
    EXPECT_THAT(error, ::testing::StartsWith("'InputDevice' の設定に失敗しました (" + file.string() + ": "));
    if (fileWasThere) {
      EXPECT_EQ(ReadText(file), before);
    }
    EXPECT_TRUE(Strays().empty());
  }
}

TEST_F(FileKeyStoreTest, ValueWrittenBeforeALaterFailureStaysWritten) {
  FileKeyStore store(file);
  WriteSettings(store, 0, kDefaultMap);
  const std::string saved = ReadText(file);
  RegistryKey key(store);
  key.OpenForWriting(kSettingsRoot, kSettingsKey);
  key.WriteInteger("InputDevice", 2);
  const std::string afterFirst = ReadText(file);
  {
    FileSizeLimit limit(afterFirst.size() - 1);
    EXPECT_EQ(ErrorOf([&] { key.WriteInteger("InputPort", 2); }),
              "'InputPort' の設定に失敗しました (" + file.string() + ": File too large)");
  }
  EXPECT_EQ(ReadText(file), afterFirst);
  EXPECT_NE(afterFirst, saved);
  EXPECT_TRUE(Strays().empty());
}

TEST_F(FileKeyStoreTest, SymbolicLinkIsFollowedAndKept) {
  const fs::path real = root / "dotfiles" / "registry.reg";
  WriteText(real, "; linked\n");
  fs::create_directories(folder);
  fs::create_symlink(real, file);
  FileKeyStore store(file);
  WriteSettings(store, 0, kDefaultMap);
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(ReadText(real).substr(0, 10), "; linked\n\n");
  EXPECT_TRUE(Strays().empty());
}

TEST(RegistryFilePathTest, FollowsTheConfigFolderConvention) {
  EXPECT_EQ(RegistryFilePath("/x/conf", "/home/u"), "/x/conf/corvane/registry.reg");
  EXPECT_EQ(RegistryFilePath("", "/home/u"), "/home/u/.config/corvane/registry.reg");
  EXPECT_EQ(RegistryFilePath(nullptr, "/home/u"), "/home/u/.config/corvane/registry.reg");
  EXPECT_EQ(RegistryFilePath("relative", "/home/u"), "/home/u/.config/corvane/registry.reg");
  EXPECT_EQ(RegistryFilePath(nullptr, nullptr), "");
}

}  // namespace
}  // namespace corvane
