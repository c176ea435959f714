#pragma once
// The joystick bus on Windows: the device installer lists the present interfaces of the
// bus driver's class, and the driver's device is spoken to with DeviceIoControl.

#include <cstdint>
#include <map>
#include <memory>

#include "platform/driver_bus.h"

namespace corvane {

class SetupDiDriverBus : public DriverBus {
 public:
  SetupDiDriverBus();
  ~SetupDiDriverBus() override;  // releases listings still held
  SetupDiDriverBus(const SetupDiDriverBus&) = delete;
  SetupDiDriverBus& operator=(const SetupDiDriverBus&) = delete;

  InterfaceSet GetInterfaces(const InterfaceClass& cls) override;
  EnumResult EnumInterface(InterfaceSet set, std::uint32_t index) override;
  std::size_t InterfacePathSize(InterfaceSet set, std::uint32_t index) override;
  bool InterfacePath(InterfaceSet set, std::uint32_t index, char* path, std::size_t size) override;
  void ReleaseInterfaces(InterfaceSet set) override;

  DeviceHandle OpenDevice(const char* path) override;
  bool Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
               std::uint32_t length) override;
  bool CloseDevice(DeviceHandle device) override;

 private:
  struct Listing;
  Listing* Find(InterfaceSet set);

  // A listing is a pointer of the device installer, which does not fit the interface's
  // 32-bit numbers: the bus hands out numbers of its own.
  std::map<InterfaceSet, std::unique_ptr<Listing>> listings_;
  InterfaceSet nextSet_ = 1;
};

}  // namespace corvane
