#include "app/registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fakes/fake_key_store.h"
#include "support/settings_error.h"

namespace corvane {
namespace {

using testing::FakeKeyStore;
using Bytes = std::vector<std::uint8_t>;

const std::string kSubkey =
    "SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM\\Corvane";
const std::string kPath = FakeKeyStore::Path(kHkeyLocalMachine, kSubkey);

// The settings in the order the window writes them.
void WriteAll(KeyStore& store, std::int32_t device) {
  RegistryKey key(store);
  key.OpenForWriting(kSettingsRoot, kSettingsKey);
  key.WriteInteger("InputDevice", device);
  key.WriteInteger("InputPort", 2);
  key.WriteInteger("InputVolume", 65535);
  key.WriteInteger("InputAutoStart", 1);
  key.WriteInteger("InputMode", 1);
  const std::array<std::uint8_t, 10> map{7, 6, 5, 4, 3, 2, 1, 0, 1, 0};
  key.WriteBinary("Mapping", map);
}

TEST(RegistryTest, WritesUnderTheKeyWithoutItsLeadingBackslashAndReadsBack) {
  FakeKeyStore store;
  WriteAll(store, -1);
  EXPECT_EQ(store.calls.front(), "create " + kPath);
  EXPECT_EQ(store.calls.back(), "close");
  EXPECT_EQ(store.openKeys, 0);
  EXPECT_EQ(store.keys[kPath]["InputDevice"].data, (Bytes{0xff, 0xff, 0xff, 0xff}));
  EXPECT_EQ(store.keys[kPath]["Mapping"].type, kRegBinary);

  RegistryKey key(store);
  ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
  EXPECT_EQ(store.calls.back(), "open " + kPath);
  EXPECT_EQ(key.ReadInteger("InputDevice"), -1);
  EXPECT_EQ(key.ReadInteger("InputVolume"), 65535);
  EXPECT_FALSE(key.ValueExists("Other"));
}

TEST(RegistryTest, FailedWriteNamesTheValueKeepsEarlierOnesAndClosesTheKey) {
  FakeKeyStore store;
  store.failCreate = true;
  EXPECT_EQ(ErrorOf([&] { WriteAll(store, 0); }), "'InputDevice' の設定に失敗しました");
  EXPECT_TRUE(store.keys.empty());
  EXPECT_EQ(store.calls, (std::vector<std::string>{"create " + kPath}));

  store = FakeKeyStore();
  store.failSetOf = "InputVolume";
  EXPECT_EQ(ErrorOf([&] { WriteAll(store, 0); }), "'InputVolume' の設定に失敗しました");
  EXPECT_EQ(store.keys[kPath].size(), 2u);  // InputDevice and InputPort
  EXPECT_EQ(store.calls.back(), "close");
  EXPECT_EQ(store.openKeys, 0);

  store = FakeKeyStore();
  store.failSetOf = "Mapping";
  EXPECT_EQ(ErrorOf([&] { WriteAll(store, 0); }), "'Mapping' の設定に失敗しました");
}

TEST(RegistryTest, KeyThatCannotBeOpenedForReadingHoldsNoValue) {
  FakeKeyStore store;  // first run: no key
  RegistryKey key(store);
  EXPECT_FALSE(key.OpenForReading(kSettingsRoot, kSettingsKey));
  EXPECT_FALSE(key.ValueExists("InputDevice"));
  EXPECT_EQ(ErrorOf([&] { key.ReadInteger("InputDevice"); }), "'InputDevice' の取得に失敗しました");
  EXPECT_TRUE(store.keys.empty());
}

struct Stored {
  ValueType type;
  Bytes data;
};

TEST(RegistryTest, ReadIntegerNeedsADwordOfAtMostFourBytes) {
  struct Case {
    const char* what;
    std::optional<Stored> stored;
    std::string error;  // empty: reads `value`
    std::int32_t value = 0;
  };
  const Case cases[] = {
      {"dword", Stored{kRegDword, {0x2a, 0, 0, 0x80}}, "", static_cast<std::int32_t>(0x8000002a)},
      {"short dword", Stored{kRegDword, {0x34, 0x12}}, "", 0x1234},
      {"number as text", Stored{kRegSz, {'5', 0}}, "'N' のデータ型が不正です"},
      {"binary of 4", Stored{kRegBinary, {1, 0, 0, 0}}, "'N' のデータ型が不正です"},
      {"unreadable", Stored{kRegUnreadable, {}}, "'N' のデータ型が不正です"},
      {"long text", Stored{kRegSz, {'1', '2', '3', '4', '5', 0}}, "'N' の取得に失敗しました"},
      {"long dword", Stored{kRegDword, {1, 2, 3, 4, 5}}, "'N' の取得に失敗しました"},
      {"missing", std::nullopt, "'N' の取得に失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeKeyStore store;
    store.keys[kPath];
    if (c.stored) store.keys[kPath]["N"] = {c.stored->type, c.stored->data};
    RegistryKey key(store);
    ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
    std::int32_t value = 0;
    EXPECT_EQ(ErrorOf([&] { value = key.ReadInteger("N"); }), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(RegistryTest, ReadBinaryRefusesTextDwordsAndOverlongData) {
  struct Case {
    const char* what;
    Stored stored;
    std::string error;  // empty: the buffer becomes `result`
    Bytes result;
  };
  const Bytes before{9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  const Case cases[] = {
      {"10 bytes", {kRegBinary, {0, 1, 2, 3, 4, 5, 6, 7, 1, 1}}, "", {0, 1, 2, 3, 4, 5, 6, 7, 1, 1}},
      {"8 bytes keep the last two", {kRegBinary, {7, 6, 5, 4, 3, 2, 1, 0}}, "",
       {7, 6, 5, 4, 3, 2, 1, 0, 9, 9}},
      {"other type", {7, {1, 2, 0}}, "", {1, 2, 0, 9, 9, 9, 9, 9, 9, 9}},
      {"no data", {kRegNone, {}}, "", before},
      {"12 bytes", {kRegBinary, Bytes(12, 0)}, "'Mapping' のデータ型が不正です", before},
      {"text", {kRegSz, {'a', 0}}, "'Mapping' のデータ型が不正です", before},
      {"expandable text", {kRegExpandSz, {'a', 0}}, "'Mapping' のデータ型が不正です", before},
      {"dword", {kRegDword, {0, 0, 0, 0}}, "'Mapping' のデータ型が不正です", before},
      {"unreadable", {kRegUnreadable, {}}, "'Mapping' のデータ型が不正です", before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeKeyStore store;
    store.keys[kPath]["Mapping"] = {c.stored.type, c.stored.data};
    RegistryKey key(store);
    ASSERT_TRUE(key.OpenForReading(kSettingsRoot, kSettingsKey));
    Bytes buffer = before;
    EXPECT_EQ(ErrorOf([&] { key.ReadBinary("Mapping", buffer); }), c.error);
    EXPECT_EQ(buffer, c.result);
  }

  FakeKeyStore store;
  store.keys[kPath]["Mapping"] = {kRegBinary, Bytes(10, 0)};
  store.failReadOf = "Mapping";
  {
    RegistryKey key(store);
    key.OpenForReading(kSettingsRoot, kSettingsKey);
    Bytes buffer(10);
    EXPECT_EQ(ErrorOf([&] { key.ReadBinary("Mapping", buffer); }), "'Mapping' の取得に失敗しました");
  }
  EXPECT_EQ(store.openKeys, 0);
}

}  // namespace
}  // namespace corvane
