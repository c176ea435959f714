#pragma once
// The key store on the Windows registry: every call goes straight to the registry, and
// a key handle is the registry's own.

#include "platform/key_store.h"

namespace corvane {

class RegistryKeyStore : public KeyStore {
 public:
  // RegCreateKeyExA with KEY_ALL_ACCESS; creates the key when it is missing.
  bool CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override;
  // RegOpenKeyExA with KEY_READ.
  bool OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override;
  bool QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                  std::uint32_t* size) override;
  bool ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                 std::span<std::uint8_t> buffer, std::uint32_t* size) override;
  bool SetValue(KeyHandle key, std::string_view name, ValueType type,
                std::span<const std::uint8_t> data) override;
  bool CloseKey(KeyHandle key) override;
};

}  // namespace corvane
