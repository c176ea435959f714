#pragma once
// The joystick bus on Linux: /dev/uinput stands for the driver's device. It answers the
// port description, expose, set state and remove requests from their records by making
// a uinput joystick and writing its input events.

#include <cstdint>
#include <string>

#include "platform/driver_bus.h"
#include "platform/linux/uinput_access.h"
#include "platform/linux/uinput_requests.h"

namespace corvane {

class UinputBus : public DriverBus {
 public:
  explicit UinputBus(std::string path = kUinputPath) : path_(std::move(path)) {}
  ~UinputBus() override;  // closing the device also destroys its joystick

  // One interface of the game-port bus class while `path` opens for reading and writing,
  // none otherwise.
  InterfaceSet GetInterfaces(const InterfaceClass& cls) override;
  EnumResult EnumInterface(InterfaceSet set, std::uint32_t index) override;
  std::size_t InterfacePathSize(InterfaceSet set, std::uint32_t index) override;
  bool InterfacePath(InterfaceSet set, std::uint32_t index, char* path, std::size_t size) override;
  void ReleaseInterfaces(InterfaceSet) override {}

  // One device at a time: it is not shared.
  DeviceHandle OpenDevice(const char* path) override;
  bool Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
               std::uint32_t length) override;
  bool CloseDevice(DeviceHandle device) override;
  // The system's error text of the latest failed open or request.
  std::string LastError() const override;

 protected:
  // The kernel side of expose and remove, kept apart so the request handling can be
  // tried on a plain file.
  // EXPOSE gives the axes, buttons and ids.
  virtual bool CreateJoystick(int fd, const uinput::Request& expose);
  virtual bool DestroyJoystick(int fd);

 private:
  bool Handle(const uinput::Request& request, std::uint8_t* buffer);

  std::string path_;
  int fd_ = -1;
  int lastErrno_ = 0;
  bool portDescribed_ = false;
  std::uint32_t hardware_ = 0;  // the exposed joystick; 0 when none
  std::uint32_t lastHardware_ = 0;
  int axes_ = 0;
  int buttons_ = 0;
};

// Writes the events of one state record to `fd` in one write.
bool WriteStateEvents(int fd, const uinput::Request& state, int axes, int buttons);

}  // namespace corvane
