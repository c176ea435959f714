// The joystick client over the device installer and DeviceIoControl, against a kernel
// driver loaded by Wine: the test bus driver (test_bus_driver.c) logs every request.
// The suite WithoutJoystickBus runs before the driver is installed, the others after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "joystick/kestrovan.h"
#include "platform/joystick_bus_protocol.h"
#include "platform/win32/setupdi_driver_bus.h"
#include "test_bus_client.h"
#include "test_bus_log.h"

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::LoggedRequest;

constexpr std::uint32_t kExpose = 0x2A0000;
constexpr std::uint32_t kRemove = 0x2A0004;
constexpr std::uint32_t kPort = 0x2A0008;
constexpr std::uint32_t kState = 0x2A2004;

Bytes Le32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// The expose record as the driver must receive it, for the test driver's port handle.
Bytes ExpectedExpose() {
  Bytes record = Concat({Le32(64), Le32(TEST_BUS_PORT_HANDLE), Le32(0), {1, 0, 6, 0, 0, 0, 10, 0}});
  record.resize(64, 0);
  for (char c : std::string("Kestrovan\\VID_045E&PID_1100")) {
    record.insert(record.end(), {static_cast<std::uint8_t>(c), 0});
  }
  record.insert(record.end(), {0, 0, 0, 0});
  return record;
}

// Axes 1 … 6 at 0, 512, 1023, 100, 900, 333; buttons 1, 3 and 10 pressed.
JoystickReport SampleReport() {
  const Bytes bytes = Concat({Le32(0), Le32(512), Le32(1023), Le32(100), Le32(900), Le32(333),
                              {0, 0}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 1}});
  JoystickReport report{};
  std::copy(bytes.begin(), bytes.end(), report.begin());
  return report;
}

std::vector<LoggedRequest> Log(const std::string& path) {
  std::vector<LoggedRequest> log;
  std::string error;
  EXPECT_TRUE(testing::TakeLog(path, log, error)) << error;
  return log;
}

std::string Describe(const std::vector<LoggedRequest>& log) {
  std::string text;
  for (const LoggedRequest& request : log) text += "\n  " + testing::Describe(request);
  return text;
}

class JoystickBusOverSetupDi : public ::testing::Test {
 protected:
  void SetUp() override {
    paths = testing::GamePortBusPaths();
    ASSERT_EQ(paths.size(), static_cast<std::size_t>(TEST_BUS_DEVICE_COUNT))
        << "the test bus driver is not installed (tests/win32/bus_driver/test-bus)";
    for (const std::string& path : paths) {
      ASSERT_TRUE(testing::RefuseState(path, false));
      Log(path);  // start from an empty log
    }
  }
  void TearDown() override {
    for (const std::string& path : paths) testing::RefuseState(path, false);
  }

  std::vector<std::string> paths;
  SetupDiDriverBus bus;
};

TEST_F(JoystickBusOverSetupDi, ListsEveryPresentInterfaceThenTheEnd) {
  const InterfaceSet set = bus.GetInterfaces(joybus::kGamePortBusClass);
  ASSERT_NE(set, kInvalidInterfaceSet);
  for (std::uint32_t index = 0; index < paths.size(); ++index) {
    SCOPED_TRACE(paths[index]);
    ASSERT_EQ(bus.EnumInterface(set, index), EnumResult::kFound);
    const std::size_t size = bus.InterfacePathSize(set, index);
    ASSERT_EQ(size, paths[index].size() + 1);
    std::string path(size, 'x');
    EXPECT_FALSE(bus.InterfacePath(set, index, path.data(), size - 1)) << "a buffer one byte short";
    ASSERT_TRUE(bus.InterfacePath(set, index, path.data(), size));
    EXPECT_EQ(path, paths[index] + '\0');
  }
  EXPECT_EQ(bus.EnumInterface(set, static_cast<std::uint32_t>(paths.size())), EnumResult::kNoMoreItems);
  bus.ReleaseInterfaces(set);
  EXPECT_EQ(bus.EnumInterface(set, 0), EnumResult::kFailed) << "a released listing is gone";
}

TEST_F(JoystickBusOverSetupDi, TheDriverReceivesTheClientsRecordsByteForByte) {
  {
    TKestrovan joystick(bus);
    ASSERT_TRUE(joystick.Open());
    ASSERT_TRUE(joystick.Expose());
    EXPECT_EQ(joystick.hardwareHandle(), TEST_BUS_HARDWARE_HANDLE);
    EXPECT_TRUE(joystick.SetState(SampleReport()));
    EXPECT_TRUE(joystick.SetState(JoystickReport{}));
  }  // removes the joystick and closes the device

  const Bytes zeros(36, 0);
  const JoystickReport sample = SampleReport();
  const std::vector<LoggedRequest> expected = {
      {kState, zeros},  // Open's probe: only the driver's device accepts it
      {kPort, Concat({Le32(40), Bytes(36, 0)})},
      {kExpose, ExpectedExpose()},
      {kState, Bytes(sample.begin(), sample.end())},
      {kState, zeros},
      {kRemove, Concat({Le32(8), Le32(TEST_BUS_HARDWARE_HANDLE)})},
  };
  const std::vector<LoggedRequest> first = Log(paths[0]);
  EXPECT_EQ(first, expected) << "the first interface received:" << Describe(first);
  EXPECT_TRUE(Log(paths[1]).empty()) << "the search stops at the first device that accepts the state";
}

TEST_F(JoystickBusOverSetupDi, OpenMovesPastADeviceThatRefusesTheState) {
  ASSERT_TRUE(testing::RefuseState(paths[0], true));
  TKestrovan joystick(bus);
  ASSERT_TRUE(joystick.Open());
  EXPECT_TRUE(joystick.SetState(SampleReport()));
  ASSERT_TRUE(joystick.Close());

  const JoystickReport sample = SampleReport();
  const std::vector<LoggedRequest> refused = {{kState, Bytes(36, 0)}};
  const std::vector<LoggedRequest> opened = {{kState, Bytes(36, 0)},
                                             {kState, Bytes(sample.begin(), sample.end())}};
  EXPECT_EQ(Log(paths[0]), refused);
  EXPECT_EQ(Log(paths[1]), opened);
}

TEST_F(JoystickBusOverSetupDi, OpenFindsNothingWhenEveryDeviceRefusesTheState) {
  for (const std::string& path : paths) ASSERT_TRUE(testing::RefuseState(path, true));
  TKestrovan joystick(bus);
  EXPECT_FALSE(joystick.Open());
  EXPECT_EQ(joystick.deviceHandle(), kInvalidDevice);
  EXPECT_FALSE(joystick.SetState(SampleReport()));
  for (const std::string& path : paths) EXPECT_EQ(Log(path).size(), 1u) << "only the probe, at " << path;
}

TEST_F(JoystickBusOverSetupDi, RequestsTheDriverRefusesFailAndSoDoesAClosedDevice) {
  const DeviceHandle device = bus.OpenDevice(paths[0].c_str());
  ASSERT_NE(device, kInvalidDevice);
  std::uint8_t buffer[122] = {};
  EXPECT_TRUE(bus.Request(device, kState, buffer, 36));
  EXPECT_FALSE(bus.Request(device, kState, buffer, 35)) << "a state record one byte short";
  EXPECT_FALSE(bus.Request(device, kExpose, buffer, 122)) << "an expose record of zeros";
  EXPECT_FALSE(bus.Request(device, 0x2A0010, buffer, 8)) << "a request the driver does not know";
  EXPECT_TRUE(bus.CloseDevice(device));
  EXPECT_FALSE(bus.Request(device, kState, buffer, 36));
  EXPECT_EQ(bus.OpenDevice("\\\\?\\root#corvanetestbus#0099#{cae56030-684a-11d0-d6f6-00a0c90f57da}"),
            kInvalidDevice);
}

// Before the driver is installed: the class has no interface, the enumeration ends at
// index 0 with ERROR_NO_MORE_ITEMS, and the client runs on without a device.
TEST(WithoutJoystickBus, TheListingIsEmptyAndTheClientStaysClosed) {
  ASSERT_TRUE(testing::GamePortBusPaths().empty()) << "a device of the game-port bus class is installed";
  SetupDiDriverBus bus;
  const InterfaceSet set = bus.GetInterfaces(joybus::kGamePortBusClass);
  ASSERT_NE(set, kInvalidInterfaceSet);
  EXPECT_EQ(bus.EnumInterface(set, 0), EnumResult::kNoMoreItems);
  bus.ReleaseInterfaces(set);

  TKestrovan joystick(bus);
  EXPECT_FALSE(joystick.Open());
  EXPECT_FALSE(joystick.Expose());
  EXPECT_FALSE(joystick.SetState(JoystickReport{}));
}

}  // namespace
}  // namespace corvane
