#pragma once
// The key store kept in one registry text file (see reg_file.h). Every call reads the file
// afresh and every write replaces it atomically, so nothing is cached between calls and a
// value written stays written whatever fails after it.

#include <filesystem>
#include <map>
#include <string>

#include "platform/key_store.h"

namespace corvane {

class RegFile;

// $XDG_CONFIG_HOME/corvane/registry.reg, or $HOME/.config/corvane/registry.reg when the
// variable is unset, empty or not an absolute path. Empty when neither is usable.
std::filesystem::path RegistryFilePath(const char* xdgConfigHome, const char* home);
// The same, from this process's environment (and the user database when HOME is unset).
std::filesystem::path DefaultRegistryFilePath();

class FileKeyStore : public KeyStore {
 public:
  explicit FileKeyStore(std::filesystem::path file);

  bool CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override;
  bool OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override;
  bool QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                  std::uint32_t* size) override;
  bool ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                 std::span<std::uint8_t> buffer, std::uint32_t* size) override;
  bool SetValue(KeyHandle key, std::string_view name, ValueType type,
                std::span<const std::uint8_t> data) override;
  bool CloseKey(KeyHandle key) override;
  // Why the latest write failed: the file and the system's error text.
  std::string LastError() const override { return lastError_; }

 private:
  struct OpenedKey {
    std::string name;  // e.g. HKEY_LOCAL_MACHINE\SOFTWARE\Example
    bool writable = false;
  };
  enum class Load { kRead, kMissing, kFailed };

  Load LoadFile(RegFile* file) const;
  const OpenedKey* Find(KeyHandle key) const;
  // The file and the system's reason (errno), or `fallback` where errno tells none.
  std::string FileError(const char* fallback) const;
  KeyHandle Add(OpenedKey key);

  std::filesystem::path file_;
  std::map<KeyHandle, OpenedKey> open_;
  KeyHandle next_ = 1;
  std::string lastError_;
};

}  // namespace corvane
