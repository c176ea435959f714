#pragma once
// The bus through which a kernel driver's device is found and spoken to: the present
// interfaces of a device class, the path of one, and synchronous requests on an open
// device.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

struct InterfaceClass {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];

  friend bool operator==(const InterfaceClass&, const InterfaceClass&) = default;
};

// A listing of the interfaces of one class, valid until released.
using InterfaceSet = std::int32_t;
inline constexpr InterfaceSet kInvalidInterfaceSet = -1;

// An open device.
using DeviceHandle = std::int32_t;
inline constexpr DeviceHandle kInvalidDevice = -1;

enum class EnumResult {
  kFound,        // an interface exists at this index
  kNoMoreItems,  // the index is past the end of the listing
  kFailed,       // this index could not be read; a later one may be
};

class DriverBus {
 public:
  virtual ~DriverBus() = default;

  // Lists the interfaces of `cls` whose devices are present, or kInvalidInterfaceSet.
  virtual InterfaceSet GetInterfaces(const InterfaceClass& cls) = 0;
  virtual EnumResult EnumInterface(InterfaceSet set, std::uint32_t index) = 0;
  // The size in bytes of the interface's path including its terminating zero; 0 when
  // it cannot be told.
  virtual std::size_t InterfacePathSize(InterfaceSet set, std::uint32_t index) = 0;
  // Writes the zero-terminated path into `path`, which holds `size` bytes.
  virtual bool InterfacePath(InterfaceSet set, std::uint32_t index, char* path, std::size_t size) = 0;
  virtual void ReleaseInterfaces(InterfaceSet set) = 0;

  // Opens the device for reading and writing, not shared; kInvalidDevice on failure.
  virtual DeviceHandle OpenDevice(const char* path) = 0;
  // One synchronous request: `buffer` goes in and the driver may write its answer into
  // it; the length is the same both ways.
  virtual bool Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
                       std::uint32_t length) = 0;
  virtual bool CloseDevice(DeviceHandle device) = 0;
  // Why the latest failed call failed, in the system's words; empty when it cannot tell.
  virtual std::string LastError() const { return {}; }
};

}  // namespace corvane
