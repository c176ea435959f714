#include "app/registry.h"

#include <array>
#include <string>

#include "platform/little_endian.h"

namespace corvane {
namespace {

[[noreturn]] void Raise(const char* format, std::string_view name) {
  // The format holds one "%s" for the name.
  std::string text(format);
  text.replace(text.find("%s"), 2, name);
  throw SettingsError(text);
}

// A failed write names its cause where the store can tell it.
[[noreturn]] void SetFailed(std::string_view name, const std::string& cause) {
  std::string text("'%s' の設定に失敗しました");
  text.replace(text.find("%s"), 2, name);
  if (!cause.empty()) text += " (" + cause + ")";
  throw SettingsError(text);
}
[[noreturn]] void GetFailed(std::string_view name) { Raise("'%s' の取得に失敗しました", name); }
[[noreturn]] void WrongType(std::string_view name) { Raise("'%s' のデータ型が不正です", name); }

std::string_view WithoutLeadingBackslash(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

}  // namespace

bool RegistryKey::OpenForWriting(KeyRoot root, std::string_view path) {
  Close();
  const bool opened = store_.CreateKey(root, WithoutLeadingBackslash(path), &key_);
  openError_ = opened ? std::string() : store_.LastError();
  return opened;
}

bool RegistryKey::OpenForReading(KeyRoot root, std::string_view path) {
  Close();
  return store_.OpenKey(root, WithoutLeadingBackslash(path), &key_);
}

void RegistryKey::Close() {
  if (key_ != kNoKey) store_.CloseKey(key_);
  key_ = kNoKey;
}

bool RegistryKey::ValueExists(std::string_view name) {
  ValueType type = kRegNone;
  std::uint32_t size = 0;
  return key_ != kNoKey && store_.QueryValue(key_, name, &type, &size);
}

std::int32_t RegistryKey::ReadInteger(std::string_view name) {
  std::array<std::uint8_t, 4> bytes{};  // a shorter REG_DWORD leaves the high bytes zero
  ValueType type = kRegNone;
  std::uint32_t size = 0;
  // Data longer than 4 bytes fails the read itself, before its type is looked at.
  if (key_ == kNoKey || !store_.ReadValue(key_, name, &type, bytes, &size)) GetFailed(name);
  if (type != kRegDword) WrongType(name);
  return static_cast<std::int32_t>(GetLe32(bytes.data()));
}

void RegistryKey::WriteInteger(std::string_view name, std::int32_t value) {
  std::array<std::uint8_t, 4> bytes{};
  PutLe32(bytes.data(), static_cast<std::uint32_t>(value));
  if (key_ == kNoKey) SetFailed(name, openError_);
  if (!store_.SetValue(key_, name, kRegDword, bytes)) SetFailed(name, store_.LastError());
}

std::size_t RegistryKey::ReadBinary(std::string_view name, std::span<std::uint8_t> buffer) {
  ValueType type = kRegNone;
  std::uint32_t size = 0;
  if (key_ == kNoKey || !store_.QueryValue(key_, name, &type, &size)) GetFailed(name);
  if (type == kRegSz || type == kRegExpandSz || type == kRegDword || type == kRegUnreadable ||
      size > buffer.size()) {
    WrongType(name);
  }
  if (!store_.ReadValue(key_, name, &type, buffer.first(size), &size)) GetFailed(name);
  return size;
}

void RegistryKey::WriteBinary(std::string_view name, std::span<const std::uint8_t> data) {
  if (key_ == kNoKey) SetFailed(name, openError_);
  if (!store_.SetValue(key_, name, kRegBinary, data)) SetFailed(name, store_.LastError());
}

}  // namespace corvane
