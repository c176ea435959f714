// Settings files of any content, read, written with one value set, and read again: the
// text read comes back unchanged, the value set reads back exactly, and every other value
// reads as it did before.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "platform/linux/reg_file.h"

namespace corvane::fuzz {

namespace {

constexpr std::string_view kKeys[] = {
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\"
    "Joystick\\OEM\\Corvane",
    "HKEY_LOCAL_MACHINE\\SYSTEM", "HKEY_CURRENT_USER\\X", "A]B"};
constexpr std::string_view kNames[] = {"InputDevice", "Mapping", "", "\"\\", "inputdevice"};

// Value names match whatever their letters' case.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

const char* CheckRegFile(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return nullptr;
  // Three leading bytes choose the key, the name, the type and the data's length.
  const std::string_view key = kKeys[data[0] % 4];
  const std::string_view name = kNames[data[1] % 5];
  const std::size_t length = std::min<std::size_t>(data[2] >> 3, size - 3);
  RegValue value{static_cast<ValueType>(data[2] & 7), {data + 3, data + 3 + length}};
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

  RegFile file = RegFile::Parse(text);
  if (file.Serialize() != text) return "a file read and written unchanged is the same text";
  const RegFile before = file;
  if (!file.SetValue(key, name, value)) return "setting a value succeeds";
  const RegFile after = RegFile::Parse(file.Serialize());
  if (after.FindValue(key, name) != value || !after.HasKey(key)) return "the value set reads back";
  for (std::string_view k : kKeys) {
    for (std::string_view n : kNames) {
      if (!(k == key && SameName(n, name)) && after.FindValue(k, n) != before.FindValue(k, n)) {
        return "other values read back as before";
      }
    }
  }
  return nullptr;
}

}  // namespace corvane::fuzz
