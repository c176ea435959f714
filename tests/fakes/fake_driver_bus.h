#pragma once
// A driver bus that records every call, and every request's code and bytes as sent.

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/driver_bus.h"
#include "platform/joystick_bus_protocol.h"

namespace corvane::testing {

struct FakeInterface {
  std::string path;
  bool enumFails = false;      // enumerating this index fails with an error other than the end
  bool opens = true;           // its device opens
  bool acceptsState = true;    // its device accepts the state request (it is the driver's)
  std::size_t pathSize = kOwnSize;  // the size the bus reports for the path

  static constexpr std::size_t kOwnSize = std::numeric_limits<std::size_t>::max();
};

struct RecordedRequest {
  DeviceHandle device;
  std::uint32_t code;
  std::vector<std::uint8_t> bytes;
};

class FakeDriverBus : public DriverBus {
 public:
  static constexpr InterfaceSet kSet = 5;
  static constexpr DeviceHandle kFirstDevice = 100;  // interface i opens as device 100 + i

  std::vector<FakeInterface> interfaces;
  bool failGetInterfaces = false;
  bool failPastEnd = false;  // past the last interface: another error instead of the end
  std::vector<std::uint32_t> refusedCodes;
  std::uint32_t portHandle = 0x11223344;
  std::uint32_t hardwareHandle = 0x55667788;

  std::vector<std::string> calls;  // "get", "enum 0", "size 0", "path 0", "open /a", …
  std::vector<RecordedRequest> requests;
  std::size_t enumCalls = 0;

  InterfaceSet GetInterfaces(const InterfaceClass& cls) override {
    calls.push_back("get");
    if (failGetInterfaces || !(cls == joybus::kGamePortBusClass)) return kInvalidInterfaceSet;
    return kSet;
  }
  EnumResult EnumInterface(InterfaceSet set, std::uint32_t index) override {
    ++enumCalls;
    if (calls.size() < 1000) calls.push_back("enum " + std::to_string(index));
    if (set != kSet) return EnumResult::kFailed;
    if (index >= interfaces.size()) return failPastEnd ? EnumResult::kFailed : EnumResult::kNoMoreItems;
    return interfaces[index].enumFails ? EnumResult::kFailed : EnumResult::kFound;
  }
  std::size_t InterfacePathSize(InterfaceSet, std::uint32_t index) override {
    calls.push_back("size " + std::to_string(index));
    const FakeInterface& i = interfaces.at(index);
    return i.pathSize != FakeInterface::kOwnSize ? i.pathSize : i.path.size() + 1;
  }
  bool InterfacePath(InterfaceSet, std::uint32_t index, char* path, std::size_t size) override {
    calls.push_back("path " + std::to_string(index));
    const std::string& p = interfaces.at(index).path;
    if (size < p.size() + 1) return false;
    std::memcpy(path, p.c_str(), p.size() + 1);
    return true;
  }
  void ReleaseInterfaces(InterfaceSet set) override { calls.push_back("release " + std::to_string(set)); }

  DeviceHandle OpenDevice(const char* path) override {
    calls.push_back(std::string("open ") + path);
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
      if (interfaces[i].path == path && interfaces[i].opens) {
        return kFirstDevice + static_cast<DeviceHandle>(i);
      }
    }
    return kInvalidDevice;
  }
  bool Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
               std::uint32_t length) override {
    calls.push_back("request " + Hex(code) + " @" + std::to_string(device));
    requests.push_back({device, code, std::vector<std::uint8_t>(buffer, buffer + length)});
    for (std::uint32_t refused : refusedCodes) {
      if (code == refused) return false;
    }
    if (code == joybus::kSetState) return interfaces.at(Index(device)).acceptsState;
    if (code == joybus::kPortDescription && length >= 8) joybus::PutLe32(buffer + 4, portHandle);
    if (code == joybus::kExposeHardware && length >= 12) joybus::PutLe32(buffer + 8, hardwareHandle);
    return true;
  }
  bool CloseDevice(DeviceHandle device) override {
    calls.push_back("close @" + std::to_string(device));
    return true;
  }

 private:
  static std::string Hex(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "%#x", code);
    return text;
  }
  static std::size_t Index(DeviceHandle device) { return static_cast<std::size_t>(device - kFirstDevice); }
};

}  // namespace corvane::testing
