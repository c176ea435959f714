#include "platform/win32/registry_key_store.h"

#include <windows.h>

#include <string>

namespace corvane {

namespace {

// The roots are numbered as the registry's predefined keys, which are those numbers
// sign-extended to a pointer.
HKEY RootKey(KeyRoot root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

HKEY Key(KeyHandle key) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key)); }

KeyHandle Handle(HKEY key) { return static_cast<KeyHandle>(reinterpret_cast<ULONG_PTR>(key)); }

}  // namespace

bool RegistryKeyStore::CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) {
  HKEY opened = nullptr;
  const LONG result = RegCreateKeyExA(RootKey(root), std::string(subkey).c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened,
                                      nullptr);
  *key = result == ERROR_SUCCESS ? Handle(opened) : kNoKey;
  return result == ERROR_SUCCESS;
}

bool RegistryKeyStore::OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) {
  HKEY opened = nullptr;
  const LONG result = RegOpenKeyExA(RootKey(root), std::string(subkey).c_str(), 0, KEY_READ, &opened);
  *key = result == ERROR_SUCCESS ? Handle(opened) : kNoKey;
  return result == ERROR_SUCCESS;
}

bool RegistryKeyStore::QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                                  std::uint32_t* size) {
  DWORD storedType = REG_NONE;
  DWORD storedSize = 0;
  const LONG result =
      RegQueryValueExA(Key(key), std::string(name).c_str(), nullptr, &storedType, nullptr, &storedSize);
  if (result != ERROR_SUCCESS) return false;
  *type = storedType;
  *size = storedSize;
  return true;
}

bool RegistryKeyStore::ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                                 std::span<std::uint8_t> buffer, std::uint32_t* size) {
  DWORD storedType = REG_NONE;
  DWORD length = static_cast<DWORD>(buffer.size());
  // A null buffer would only ask for the size, and succeed for a value of any length.
  BYTE none = 0;
  BYTE* data = buffer.empty() ? &none : buffer.data();
  const LONG result = RegQueryValueExA(Key(key), std::string(name).c_str(), nullptr, &storedType, data, &length);
  *size = length;  // on ERROR_MORE_DATA, the length the value needs
  if (result != ERROR_SUCCESS) return false;
  *type = storedType;
  return true;
}

bool RegistryKeyStore::SetValue(KeyHandle key, std::string_view name, ValueType type,
                                std::span<const std::uint8_t> data) {
  return RegSetValueExA(Key(key), std::string(name).c_str(), 0, type, data.data(),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegistryKeyStore::CloseKey(KeyHandle key) { return RegCloseKey(Key(key)) == ERROR_SUCCESS; }

}  // namespace corvane
