#pragma once
// A key store in memory that records its calls and fails where the test says.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/key_store.h"

namespace corvane::testing {

class FakeKeyStore : public KeyStore {
 public:
  struct Value {
    ValueType type = kRegNone;
    std::vector<std::uint8_t> data;
  };
  using Values = std::map<std::string, Value>;

  std::map<std::string, Values> keys;  // by "root:subkey"
  std::vector<std::string> calls;      // "create 80000002:SYSTEM\…", "set InputPort", …
  bool failCreate = false;
  bool failOpen = false;
  std::string failSetOf;   // the value whose write fails
  std::string failReadOf;  // the value whose ReadValue fails
  int openKeys = 0;

  static std::string Path(KeyRoot root, std::string_view subkey) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x:", root);
    return hex + std::string(subkey);
  }

  bool CreateKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override {
    calls.push_back("create " + Path(root, subkey));
    *key = kNoKey;
    if (failCreate) return false;
    keys[Path(root, subkey)];
    return Hold(Path(root, subkey), key);
  }
  bool OpenKey(KeyRoot root, std::string_view subkey, KeyHandle* key) override {
    calls.push_back("open " + Path(root, subkey));
    *key = kNoKey;
    if (failOpen || !keys.contains(Path(root, subkey))) return false;
    return Hold(Path(root, subkey), key);
  }
  bool QueryValue(KeyHandle key, std::string_view name, ValueType* type,
                  std::uint32_t* size) override {
    const Value* v = Find(key, name);
    if (!v) return false;
    *type = v->type;
    *size = static_cast<std::uint32_t>(v->data.size());
    return true;
  }
  bool ReadValue(KeyHandle key, std::string_view name, ValueType* type,
                 std::span<std::uint8_t> buffer, std::uint32_t* size) override {
    calls.push_back("read " + std::string(name));
    const Value* v = Find(key, name);
    if (!v || name == failReadOf) return false;
    *type = v->type;
    *size = static_cast<std::uint32_t>(v->data.size());
    if (v->data.size() > buffer.size()) return false;
    std::copy(v->data.begin(), v->data.end(), buffer.begin());
    return true;
  }
  bool SetValue(KeyHandle key, std::string_view name, ValueType type,
                std::span<const std::uint8_t> data) override {
    calls.push_back("set " + std::string(name));
    const auto it = handles_.find(key);
    if (it == handles_.end() || name == failSetOf) return false;
    keys[it->second][std::string(name)] = Value{type, {data.begin(), data.end()}};
    return true;
  }
  bool CloseKey(KeyHandle key) override {
    calls.push_back("close");
    if (handles_.erase(key) != 1) return false;
    --openKeys;
    return true;
  }

 private:
  bool Hold(const std::string& path, KeyHandle* key) {
    *key = next_++;
    handles_[*key] = path;
    ++openKeys;
    return true;
  }
  const Value* Find(KeyHandle key, std::string_view name) const {
    const auto h = handles_.find(key);
    if (h == handles_.end()) return nullptr;
    const Values& values = keys.at(h->second);
    const auto v = values.find(std::string(name));
    return v == values.end() ? nullptr : &v->second;
  }

  std::map<KeyHandle, std::string> handles_;
  KeyHandle next_ = 1;
};

}  // namespace corvane::testing
