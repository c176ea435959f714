#pragma once
// The registry layer the settings are read and written through: one open key, closed on
// every way out, whose reads and writes raise SettingsError naming the value at fault.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/key_store.h"

namespace corvane {

// Where the settings live. The leading backslash makes the path absolute from the root.
inline constexpr KeyRoot kSettingsRoot = kHkeyLocalMachine;
inline constexpr std::string_view kSettingsKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\MediaProperties\\PrivateProperties\\Joystick\\OEM\\Corvane";

// A failed registry call; what() is the message for the user, with the value's name.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryKey {
 public:
  explicit RegistryKey(KeyStore& store) : store_(store) {}
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens `path` under `root` for writing, creating it when missing. When this fails, every
  // write fails in turn.
  bool OpenForWriting(KeyRoot root, std::string_view path);
  // Opens an existing key for reading. When this fails, no value exists.
  bool OpenForReading(KeyRoot root, std::string_view path);
  void Close();

  bool ValueExists(std::string_view name);
  // A REG_DWORD value as a signed number.
  std::int32_t ReadInteger(std::string_view name);
  void WriteInteger(std::string_view name, std::int32_t value);
  // Reads a binary value into the front of `buffer`, leaving the rest as it was, and returns
  // the bytes read. Text, expandable text, REG_DWORD, an unreadable value and anything longer
  // than the buffer are refused as the wrong type.
  std::size_t ReadBinary(std::string_view name, std::span<std::uint8_t> buffer);
  void WriteBinary(std::string_view name, std::span<const std::uint8_t> data);

 private:
  KeyStore& store_;
  KeyHandle key_ = kNoKey;
  std::string openError_;  // why the latest open for writing failed, when the store tells
};

}  // namespace corvane
