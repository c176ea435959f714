#pragma once
// A registry text file in the REGEDIT4 form, held as the lines it was read from:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Example]
//   "Number"=dword:ffffffff
//   "Bytes"=hex:00,01,02
//   "Text"="say \"hi\" to C:\\"
//   "Path"=hex(2):25,00
//   "Other"=hex(7):61,00,00
//
// Every line is kept exactly as read, so writing the file back changes only the values
// that were set; comments, other keys and lines this reader does not understand survive.
// Parsing accepts any bytes. Value lines that cannot be understood are present values of
// type kRegUnreadable; `"name"=-` is a removed value and `[-key]` a removed key, as on import.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/key_store.h"

namespace corvane {

struct RegValue {
  ValueType type = kRegNone;
  std::vector<std::uint8_t> data;
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegFile {
 public:
  static RegFile Parse(std::string_view text);
  // The text read, with the values set since spliced in.
  const std::string& Serialize() const { return text_; }

  // True when the key has a section of its own or below it. Names compare ignoring ASCII case.
  bool HasKey(std::string_view key) const;
  // The value as the file leaves it: the last line for that name under that key wins.
  std::optional<RegValue> FindValue(std::string_view key, std::string_view name) const;
  // Replaces the value's line, or adds it (and the key's section) when missing. Refuses
  // names that cannot be written on one line.
  bool SetValue(std::string_view key, std::string_view name, const RegValue& value);

  static bool IsValidKeyName(std::string_view key);
  static bool IsValidValueName(std::string_view name);
  // The text after `=` for a value, e.g. `dword:0000002a`.
  static std::string FormatData(const RegValue& value);

 private:
  enum class Kind { kOther, kHeader, kValue };
  struct Entry {
    std::size_t begin = 0;  // byte range in text_, line ends included
    std::size_t end = 0;
    Kind kind = Kind::kOther;
    std::optional<std::string> key;  // kHeader: the key opened, none for [-key] and bad headers
    std::string name;                // kValue
    std::optional<RegValue> value;   // kValue: none for a removed value
    bool wantsMore = false;          // ends in a continuation with no line left to take
  };

  // The index of the last value line for (key, name), or none.
  std::optional<std::size_t> FindEntry(std::string_view key, std::string_view name) const;
  std::string_view LineEnd() const;

  std::string text_;
  std::vector<Entry> entries_;
};

}  // namespace corvane
