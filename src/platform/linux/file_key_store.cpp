#include "platform/linux/file_key_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <optional>

#include "platform/linux/atomic_file.h"
#include "platform/linux/reg_file.h"

namespace corvane {
namespace {

// A settings file this large is not ours; refusing it keeps a stray file from eating memory.
constexpr std::size_t kMaxFileBytes = 16u << 20;

std::optional<std::string> KeyName(KeyRoot root, std::string_view subkey) {
  const char* rootName = nullptr;
  switch (root) {
    case kHkeyClassesRoot: rootName = "HKEY_CLASSES_ROOT"; break;
    case kHkeyCurrentUser: rootName = "HKEY_CURRENT_USER"; break;
    case kHkeyLocalMachine: rootName = "HKEY_LOCAL_MACHINE"; break;
    case kHkeyUsers: rootName = "HKEY_USERS"; break;
    case kHkeyCurrentConfig: rootName = "HKEY_CURRENT_CONFIG"; break;
    default: return std::nullopt;
  }
  std::string name = rootName;
  if (!subkey.empty()) name += "\\" + std::string(subkey);
  if (!RegFile::IsValidKeyName(name)) return std::nullopt;
  return name;
}

bool IsAbsolute(const char* path) { return path && path[0] == '/'; }

}  // namespace

std::filesystem::path RegistryFilePath(const char* xdgConfigHome, const char* home) {
  std::filesystem::path base;
  if (IsAbsolute(xdgConfigHome)) {
    base = xdgConfigHome;
  } else if (home && home[0] != '\0') {
    base = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return base / "corvane" / "registry.reg";
}

std::filesystem::path DefaultRegistryFilePath() {
  const char* home = std::getenv("HOME");
  if (!home || home[0] == '\0') {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : nullptr;
  }
  return RegistryFilePath(std::getenv("XDG_CONFIG_HOME"), home);
}

FileKeyStore::FileKeyStore(std::filesystem::path file) : file_(std::move(file)) {}

FileKeyStore::Load FileKeyStore::LoadFile(RegFile* file) const {
  if (file_.empty()) return Load::kFailed;
  std::string text;
  switch (ReadWholeFile(file_, &text, kMaxFileBytes)) {
    case ReadResult::kRead: *file = RegFile::Parse(text); return Load::kRead;
    case ReadResult::kMissing: *file = RegFile::Parse(""); return Load::kMissing;
    case ReadResult::kFailed: break;
  }
  return Load::kFailed;
}

const FileKeyStore::OpenedKey* FileKeyStore::Find(KeyHandle key) const {
  const auto it = open_.find(key);
  return it == open_.end() ? nullptr : &it->second;
}

KeyHandle FileKeyStore::Add(OpenedKey key) {
  const KeyHandle handle = next_++;
  open_.emplace(handle, std::move(key));
  return handle;
}

std::string FileKeyStore::FileError(const char* fallback) const {
  return file_.string() + ": " + (errno != 0 ? std::strerror(errno) : fallback);
}

bool FileKeyStore::CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) {
  *key = kNoKey;
  const auto name = KeyName(root, subkey);
  RegFile file;
  // A file that exists but cannot be read must not be written over: its contents would be lost.
  lastError_.clear();
  if (!name) return false;
  errno = 0;
  if (LoadFile(&file) == Load::kFailed) {
    lastError_ = FileError("cannot be read");
    return false;
  }
  // The key reaches the file with its first value.
  *key = Add({*name, true});
  return true;
}

bool FileKeyStore::OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) {
  *key = kNoKey;
  const auto name = KeyName(root, subkey);
  RegFile file;
  if (!name || LoadFile(&file) != Load::kRead || !file.HasKey(*name)) return false;
  *key = Add({*name, false});
  return true;
}

bool FileKeyStore::QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                              std::uint32_t* size) {
  const OpenedKey* opened = Find(key);
  RegFile file;
  if (!opened || LoadFile(&file) != Load::kRead) return false;
  const auto value = file.FindValue(opened->name, name);
  if (!value) return false;
  *type = value->type;
  *size = static_cast<std::uint32_t>(value->data.size());
  return true;
}

bool FileKeyStore::ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                             std::span<std::uint8_t> buffer, std::uint32_t* size) {
  const OpenedKey* opened = Find(key);
  RegFile file;
  if (!opened || LoadFile(&file) != Load::kRead) return false;
  const auto value = file.FindValue(opened->name, name);
  if (!value) return false;
  *type = value->type;
  *size = static_cast<std::uint32_t>(value->data.size());
  if (value->data.size() > buffer.size()) return false;
  std::copy(value->data.begin(), value->data.end(), buffer.begin());
  return true;
}

bool FileKeyStore::SetValue(KeyHandle key, std::string_view name, ValueType type,
                            std::span<const std::uint8_t> data) {
  const OpenedKey* opened = Find(key);
  RegFile file;
  lastError_.clear();
  if (!opened || !opened->writable) return false;
  errno = 0;
  if (LoadFile(&file) == Load::kFailed) {
    lastError_ = FileError("cannot be read");
    return false;
  }
  if (!file.SetValue(opened->name, name, RegValue{type, {data.begin(), data.end()}})) return false;
  errno = 0;
  if (ReplaceFileAtomically(file_, file.Serialize())) return true;
  lastError_ = FileError("cannot be replaced");
  return false;
}

bool FileKeyStore::CloseKey(KeyHandle key) { return open_.erase(key) == 1; }

}  // namespace corvane
