#pragma once
// A hierarchical store of typed values under named keys, with the calls the settings need:
// open a key (creating it, or only when it exists), ask a value's type and size, read it,
// write it, close the key. Every call reports success or failure as its result.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// Roots of the key tree, numbered as the registry numbers them.
using KeyRoot = std::uint32_t;
inline constexpr KeyRoot kHkeyClassesRoot = 0x80000000u;
inline constexpr KeyRoot kHkeyCurrentUser = 0x80000001u;
inline constexpr KeyRoot kHkeyLocalMachine = 0x80000002u;
inline constexpr KeyRoot kHkeyUsers = 0x80000003u;
inline constexpr KeyRoot kHkeyCurrentConfig = 0x80000005u;

// Value types, numbered as the registry numbers them. A stored type outside this list is
// kept and reported as it is.
using ValueType = std::uint32_t;
inline constexpr ValueType kRegNone = 0;
inline constexpr ValueType kRegSz = 1;        // text with its terminating zero byte
inline constexpr ValueType kRegExpandSz = 2;  // text that may hold %VARIABLES%
inline constexpr ValueType kRegBinary = 3;
inline constexpr ValueType kRegDword = 4;     // 32 bits, little-endian
// A value that is present but whose stored form could not be understood (a hand-edited
// line, say). It has no data, and no reader accepts it.
inline constexpr ValueType kRegUnreadable = 0xFFFFFFFFu;

// An open key; kNoKey when none is held.
using KeyHandle = std::int64_t;
inline constexpr KeyHandle kNoKey = 0;

class KeyStore {
 public:
  virtual ~KeyStore() = default;

  // Opens `subkey` of `root` for reading and writing, creating it when it is missing.
  virtual bool CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) = 0;
  // Opens an existing `subkey` of `root` for reading; never creates it.
  virtual bool OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) = 0;
  // The type and size in bytes of a value; false when the value is absent.
  virtual bool QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                          std::uint32_t* size) = 0;
  // Copies a value into `buffer`, setting its type and size. Fails when the value is absent
  // or longer than the buffer (then `*size` tells the length it needs).
  virtual bool ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                         std::span<std::uint8_t> buffer, std::uint32_t* size) = 0;
  // Stores a value, replacing any value of that name. Needs a key opened by CreateKey.
  virtual bool SetValue(KeyHandle key, std::string_view name, ValueType type,
                        std::span<const std::uint8_t> data) = 0;
  virtual bool CloseKey(KeyHandle key) = 0;
  // Why the latest failed call failed, in the system's words; empty when it cannot tell.
  virtual std::string LastError() const { return {}; }
};

}  // namespace corvane
