// The registry key store on Wine's real registry, through the settings' registry layer:
// the values land under HKEY_LOCAL_MACHINE with their types, and values of the wrong
// type or size give the layer's errors.
#include "platform/win32/registry_key_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/registry.h"
#include "support/settings_error.h"

namespace corvane {
namespace {

const char* const kSubkey =
    "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM\\Corvane";

// Each test starts without the settings key and leaves none behind, so the program's own
// tests in the same Wine session see a first run.
class RegistryKeyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSubkey); }
  void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSubkey); }

  // Stores a value with the registry's own calls, as another program (or a person) could.
  static void Store(const char* name, DWORD type, std::vector<std::uint8_t> data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // The type and bytes of a value, read with the registry's own calls.
  static std::pair<DWORD, std::vector<std::uint8_t>> Stored(const char* name) {
    HKEY key = nullptr;
    std::vector<std::uint8_t> data(64);
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(data.size());
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSubkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) size = 0;
    RegCloseKey(key);
    data.resize(size);
    return {type, data};
  }

  RegistryKeyStore store_;
};

TEST_F(RegistryKeyStoreTest, FirstRunFindsNoKeyThenTheSixSettingsAreStoredAndReadBack) {
  {
    RegistryKey key(store_);
    EXPECT_FALSE(key.OpenForReading(kSettingsRoot, kSettingsKey)) << "no key before the first store";
    EXPECT_FALSE(key.ValueExists("InputDevice"));
  }
  const std::array<std::uint8_t, 10> map{7, 6, 5, 4, 3, 2, 1, 0, 1, 0};
  {
    RegistryKey key(store_);
    ASSERT_TRUE(key.OpenForWriting(kSettingsRoot, kSettingsKey));
    key.WriteInteger("InputDevice", -1);
    key.WriteInteger("InputPort", 2);
    key.WriteInteger("InputVolume", 65535);
    key.WriteInteger("InputAutoStart", 1);
    key.WriteInteger("InputMode", 1);
    key.WriteBinary("Mapping", map);
  }
  EXPECT_EQ(Stored("InputDevice"), (std::pair<DWORD, std::vector<std::uint8_t>>{REG_DWORD, {0xff, 0xff, 0xff, 0xff}}));
  EXPECT_EQ(Stored("InputVolume"), (std::pair<DWORD, std::vector<std::uint8_t>>{REG_DWORD, {0xff, 0xff, 0, 0}}));
  EXPECT_EQ(Stored("Mapping"), (std::pair<DWORD, std::vector<std::uint8_t>>{REG_BINARY, {7, 6, 5, 4, 3, 2, 1, 0, 1, 0}}));

  RegistryKey key(store_);
  ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
  EXPECT_EQ(key.ReadInteger("InputDevice"), -1);
  EXPECT_EQ(key.ReadInteger("InputPort"), 2);
  EXPECT_EQ(key.ReadInteger("InputVolume"), 65535);
  EXPECT_EQ(key.ReadInteger("InputAutoStart"), 1);
  EXPECT_EQ(key.ReadInteger("InputMode"), 1);
  std::array<std::uint8_t, 10> read{};
  EXPECT_EQ(key.ReadBinary("Mapping", read), 10u);
  EXPECT_EQ(read, map);
  EXPECT_FALSE(key.ValueExists("Other"));
}

TEST_F(RegistryKeyStoreTest, ValuesOfTheWrongTypeOrSizeGiveTheirErrors) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<std::uint8_t> data;
    std::string error;
  };
  const Case cases[] = {
      {"InputDevice", REG_SZ, {'1', 0}, "'InputDevice' のデータ型が不正です"},
      {"InputVolume", REG_BINARY, {1, 0, 0, 0}, "'InputVolume' のデータ型が不正です"},
      {"InputMode", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}, "'InputMode' の取得に失敗しました"},
      {"Mapping", REG_DWORD, {0, 0, 0, 0}, "'Mapping' のデータ型が不正です"},
      {"Mapping", REG_EXPAND_SZ, {'%', 'X', '%', 0}, "'Mapping' のデータ型が不正です"},
      {"Mapping", REG_BINARY, std::vector<std::uint8_t>(12, 1), "'Mapping' のデータ型が不正です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " as type " + std::to_string(c.type));
    Store(c.name, c.type, c.data);
    RegistryKey key(store_);
    ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
    std::array<std::uint8_t, 10> map{};
    const std::string error = ErrorOf([&] {
      if (std::string(c.name) == "Mapping") {
        key.ReadBinary(c.name, map);
      } else {
        key.ReadInteger(c.name);
      }
    });
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(RegistryKeyStoreTest, AShortMappingReplacesOnlyItsBytesAndAReadOnlyKeyTakesNoWrite) {
  Store("Mapping", REG_BINARY, {9, 9, 9, 9, 9, 9, 9, 9});
  RegistryKey key(store_);
  ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
  std::array<std::uint8_t, 10> map{0, 1, 2, 3, 4, 5, 6, 7, 1, 1};
  EXPECT_EQ(key.ReadBinary("Mapping", map), 8u);
  EXPECT_EQ(map, (std::array<std::uint8_t, 10>{9, 9, 9, 9, 9, 9, 9, 9, 1, 1}));
  // Opened with KEY_READ: the registry itself refuses the write.
  EXPECT_EQ(ErrorOf([&] { key.WriteInteger("InputPort", 1); }), "'InputPort' の設定に失敗しました");
  EXPECT_EQ(Stored("InputPort").second, std::vector<std::uint8_t>{});
}

}  // namespace
}  // namespace corvane
