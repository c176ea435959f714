#pragma once
// The virtual joystick of --joystick: opened and exposed at the start, sent every
// report that is printed, removed and closed at the end.

#include <cstdint>
#include <cstdio>
#include <string>

#include "corvane-decode/report_sink.h"
#include "joystick/kestrovan.h"
#include "platform/driver_bus.h"

namespace corvane::tool {

class JoystickOutput : public ReportSink {
 public:
  // `device` names the bus's device in messages, which go to `messages`.
  JoystickOutput(DriverBus& bus, std::string device, std::FILE* messages)
      : bus_(bus), joystick_(bus), device_(std::move(device)), messages_(messages) {}

  // Opens the driver's device and exposes the joystick. Reports are sent while the device
  // is open, also when exposing failed; each failure is told in one line.
  void Start();
  // Sends the report while the device is open; a refused one is counted, not retried.
  void OnDecodedBuffer(const DecodedBuffer& buffer) override;
  // Removes the joystick, then closes the device; tells how many reports were refused.
  void OnEnd(const DecodeSummary& summary) override;

 private:
  // " (cause)" when the bus can tell why its latest call failed.
  std::string Cause() const;

  DriverBus& bus_;
  TKestrovan joystick_;
  std::string device_;
  std::FILE* messages_;
  bool open_ = false;
  std::uint64_t sent_ = 0;
  std::uint64_t refused_ = 0;
};

}  // namespace corvane::tool
