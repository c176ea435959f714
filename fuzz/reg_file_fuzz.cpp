// Settings files of any content, read, written with one value set, and read again: the
// text read comes back unchanged, the value set reads back exactly, and every other value
// reads as it did before.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/reg_file.h"

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using corvane::RegFile;
  using corvane::RegValue;
  if (size < 3) return 0;
  // Three leading bytes choose the key, the name, the type and the data's length.
  const std::string_view key = kKeys[data[0] % 4];
  const std::string_view name = kNames[data[1] % 5];
  const std::size_t length = std::min<std::size_t>(data[2] >> 3, size - 3);
  RegValue value{static_cast<corvane::ValueType>(data[2] & 7), {data + 3, data + 3 + length}};
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

  RegFile file = RegFile::Parse(text);
  if (file.Serialize() != text) std::abort();
  const RegFile before = file;
  if (!file.SetValue(key, name, value)) std::abort();
  const RegFile after = RegFile::Parse(file.Serialize());
  if (after.FindValue(key, name) != value || !after.HasKey(key)) std::abort();
  for (std::string_view k : kKeys) {
    for (std::string_view n : kNames) {
      if (!(k == key && SameName(n, name)) && after.FindValue(k, n) != before.FindValue(k, n)) std::abort();
    }
  }
  return 0;
}
