#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "joystick/kestrovan.h"
#include "platform/linux/uinput_bus.h"

namespace corvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
using uinput::ParseRequest;
using uinput::RequestKind;

Bytes Record(std::size_t size, std::uint32_t sizeField) {
  Bytes b(size, 0);
  if (size >= 4) joybus::PutLe32(b.data(), sizeField);
  return b;
}

Bytes Expose(std::uint32_t port, std::uint16_t axes, std::uint16_t buttons, std::size_t size = 122) {
  Bytes b = Record(size, 64);
  joybus::PutLe32(&b[4], port);
  joybus::PutLe16(&b[12], 1);
  joybus::PutLe16(&b[14], axes);
  joybus::PutLe16(&b[18], buttons);
  return b;
}

TEST(UinputRequests, ParsesEachRecordAndRejectsMalformedOnes) {
  struct Case {
    const char* name;
    std::uint32_t code;
    Bytes bytes;
    RequestKind kind;
  };
  Bytes remove = Record(8, 8);
  joybus::PutLe32(&remove[4], 0xA1B2C3D4);
  const Case cases[] = {
      {"port description", 0x2A0008, Record(40, 40), RequestKind::kPortDescription},
      {"port description, wrong size field", 0x2A0008, Record(40, 8), RequestKind::kInvalid},
      {"port description, short", 0x2A0008, Record(39, 40), RequestKind::kInvalid},
      {"expose", 0x2A0000, Expose(7, 6, 10), RequestKind::kExpose},
      {"expose, fixed part only", 0x2A0000, Expose(7, 2, 3, 64), RequestKind::kExpose},
      {"expose, short", 0x2A0000, Record(63, 64), RequestKind::kInvalid},
      {"expose, 7 axes", 0x2A0000, Expose(7, 7, 10), RequestKind::kInvalid},
      {"expose, 11 buttons", 0x2A0000, Expose(7, 6, 11), RequestKind::kInvalid},
      {"set state", 0x2A2004, Bytes(36, 0), RequestKind::kSetState},
      {"set state, long", 0x2A2004, Bytes(37, 0), RequestKind::kInvalid},
      {"remove", 0x2A0004, remove, RequestKind::kRemove},
      {"remove, wrong size field", 0x2A0004, Record(8, 40), RequestKind::kInvalid},
      {"unknown code", 0x2A000C, Record(8, 8), RequestKind::kInvalid},
      {"empty", 0x2A2004, Bytes{}, RequestKind::kInvalid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseRequest(c.code, c.bytes.data(), c.bytes.size()).kind, c.kind);
  }
  EXPECT_EQ(ParseRequest(0x2A2004, nullptr, 36).kind, RequestKind::kInvalid);

  const uinput::Request expose = ParseRequest(0x2A0000, Expose(7, 6, 10).data(), 122);
  EXPECT_EQ(expose.handle, 7u);
  EXPECT_EQ(expose.axes, 6);
  EXPECT_EQ(expose.buttons, 10);
  EXPECT_EQ(ParseRequest(0x2A0004, remove.data(), 8).handle, 0xA1B2C3D4u);

  Bytes state(36, 0);
  joybus::PutLe32(&state[0], 1023);
  joybus::PutLe32(&state[20], 0xFFFFFFFF);
  state[26] = 1;
  state[35] = 7;  // any non-zero byte is pressed
  const uinput::Request s = ParseRequest(0x2A2004, state.data(), 36);
  EXPECT_EQ(s.axisValues[0], 1023);
  EXPECT_EQ(s.axisValues[5], -1);
  EXPECT_EQ(s.buttonValues[0], 1);
  EXPECT_EQ(s.buttonValues[1], 0);
  EXPECT_EQ(s.buttonValues[9], 1);
}

// An expose record whose hardware identifiers are IDS: UTF-16LE, as given (with their
// 0 characters), cut or padded to SIZE.
Bytes ExposeWithIds(std::u16string_view ids, std::size_t size) {
  Bytes b = Expose(1, 6, 10, size);
  for (std::size_t i = 0; i < ids.size() && 64 + 2 * i + 1 < size; ++i)
    joybus::PutLe16(&b[64 + 2 * i], ids[i]);
  return b;
}

// Without readable ids the joystick gets Corvane's own, 045E:1100.
TEST(UinputRequests, TakesVendorAndProductFromTheHardwareIds) {
  using namespace std::string_view_literals;
  struct Case {
    const char* name;
    std::u16string_view ids;
    std::size_t size;
    std::uint16_t vendor;
    std::uint16_t product;
  };
  const Case cases[] = {
      {"the client's own", u"Kestrovan\\VID_045E&PID_1100\0\0"sv, 122, 0x045E, 0x1100},
      {"any case, more after", u"x\\vid_abcd&pid_12ef&rev_0100\0\0"sv, 122, 0xABCD, 0x12EF},
      {"the first string with both", u"x\\VID_1111\0y\\VID_1234&PID_5678\0\0"sv, 160, 0x1234, 0x5678},
      {"none", u"Kestrovan\\Joystick\0\0"sv, 122, 0x045E, 0x1100},
      {"three digits", u"x\\VID_12E&PID_5678\0\0"sv, 122, 0x045E, 0x1100},
      {"five digits", u"x\\VID_12340&PID_5678\0\0"sv, 122, 0x045E, 0x1100},
      {"not ASCII", u"x\\VID_12\uFF134&PID_5678\0\0"sv, 122, 0x045E, 0x1100},
      {"after the list's end", u"\0x\\VID_1234&PID_5678\0\0"sv, 122, 0x045E, 0x1100},
      {"cut off by the record's end", u"x\\VID_1234&PID_5678"sv, 64 + 2 * 19, 0x1234, 0x5678},
      {"cut off inside the ids", u"x\\VID_1234&PID_567"sv, 64 + 2 * 18 + 1, 0x045E, 0x1100},
      {"fixed part only", u""sv, 64, 0x045E, 0x1100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes expose = ExposeWithIds(c.ids, c.size);
    const uinput::Request r = ParseRequest(0x2A0000, expose.data(), expose.size());
    ASSERT_EQ(r.kind, RequestKind::kExpose);
    EXPECT_EQ(r.vendor, c.vendor);
    EXPECT_EQ(r.product, c.product);
  }
}

TEST(UinputRequests, AnyRecordIsSafeToParse) {
  std::mt19937 random(1);
  const std::uint32_t codes[] = {0x2A0000, 0x2A0004, 0x2A0008, 0x2A2004, 0};
  for (int i = 0; i < 2000; ++i) {
    Bytes bytes(random() % 200);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    if (bytes.size() >= 4 && random() % 2) joybus::PutLe32(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    const uinput::Request r = ParseRequest(codes[random() % 5], bytes.data(), bytes.size());
    EXPECT_LE(r.axes, 6);
    EXPECT_LE(r.buttons, 10);
  }
}

TEST(UinputRequests, JoystickSetup) {
  const uinput_setup setup = uinput::JoystickSetup(0x045E, 0x1100);
  EXPECT_STREQ(setup.name, "Kestrovan Virtual Joystick");
  EXPECT_EQ(setup.id.bustype, BUS_VIRTUAL);
  EXPECT_EQ(setup.id.vendor, 0x045E);
  EXPECT_EQ(setup.id.product, 0x1100);
  const std::uint16_t axes[] = {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ};
  for (int i = 0; i < 6; ++i) {
    const uinput_abs_setup a = uinput::AxisSetup(i);
    EXPECT_EQ(a.code, axes[i]);
    EXPECT_EQ(a.absinfo.minimum, 0);
    EXPECT_EQ(a.absinfo.maximum, 1023);
    EXPECT_EQ(a.absinfo.value, 512);  // centred until the first state
    EXPECT_EQ(a.absinfo.fuzz, 0);
    EXPECT_EQ(a.absinfo.flat, 0);
  }
  EXPECT_EQ(uinput::kButtonCodes[0], BTN_TRIGGER);
  EXPECT_EQ(uinput::kButtonCodes[9], BTN_BASE4);
}

std::vector<input_event> ReadEvents(int fd) {
  std::vector<input_event> events(40);
  const ssize_t got = ::read(fd, events.data(), events.size() * sizeof(input_event));
  events.resize(got > 0 ? static_cast<std::size_t>(got) / sizeof(input_event) : 0);
  return events;
}

TEST(UinputRequests, StateEventsAreOnePerAxisAndButtonThenOneSync) {
  Bytes state(36, 0);
  for (int i = 0; i < 6; ++i) joybus::PutLe32(&state[4 * static_cast<std::size_t>(i)], 100u * static_cast<std::uint32_t>(i));
  state[26] = 1;
  state[33] = 1;
  const uinput::Request request = ParseRequest(0x2A2004, state.data(), 36);
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  ASSERT_TRUE(WriteStateEvents(pipe[1], request, 6, 10));
  const std::vector<input_event> events = ReadEvents(pipe[0]);
  ASSERT_EQ(events.size(), 17u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(events[i].type, EV_ABS);
    EXPECT_EQ(events[i].code, uinput::kAxisCodes[i]);
    EXPECT_EQ(events[i].value, 100 * i);
  }
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(events[6 + i].type, EV_KEY);
    EXPECT_EQ(events[6 + i].code, BTN_TRIGGER + i);
    EXPECT_EQ(events[6 + i].value, i == 0 || i == 7 ? 1 : 0);
  }
  EXPECT_EQ(events[16].type, EV_SYN);
  EXPECT_EQ(events[16].code, SYN_REPORT);

  // A joystick exposed with fewer controls gets events for those only.
  ASSERT_TRUE(WriteStateEvents(pipe[1], request, 2, 1));
  EXPECT_EQ(ReadEvents(pipe[0]).size(), 4u);
  ::close(pipe[0]);
  ::close(pipe[1]);
  const int readOnly = ::open("/dev/null", O_RDONLY);
  EXPECT_FALSE(WriteStateEvents(readOnly, request, 6, 10));  // a refused write is a failure
  ::close(readOnly);
}

// The bus on a plain file: the kernel's part of expose and remove is recorded instead.
class FileBus : public UinputBus {
 public:
  using UinputBus::UinputBus;
  std::vector<std::string> kernel;
  bool createWorks = true;

 protected:
  bool CreateJoystick(int, const uinput::Request& expose) override {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", expose.vendor, expose.product);
    kernel.push_back("create " + std::to_string(expose.axes) + " " + std::to_string(expose.buttons) + " " +
                     ids);
    return createWorks;
  }
  bool DestroyJoystick(int) override {
    kernel.push_back("destroy");
    return true;
  }
};

class UinputBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
  }
  void TearDown() override {
    ::close(fd);
    ::unlink(path);
  }
  off_t FileSize() const { return ::lseek(fd, 0, SEEK_END); }

  char path[32] = "/tmp/corvane-uinput-XXXXXX";
  int fd = -1;
};

TEST_F(UinputBusTest, OffersOneInterfaceOnlyWhenTheDeviceOpens) {
  UinputBus bus(path);
  const InterfaceSet set = bus.GetInterfaces(joybus::kGamePortBusClass);
  ASSERT_EQ(bus.EnumInterface(set, 0), EnumResult::kFound);
  EXPECT_EQ(bus.EnumInterface(set, 1), EnumResult::kNoMoreItems);
  const std::size_t size = bus.InterfacePathSize(set, 0);
  ASSERT_EQ(size, std::strlen(path) + 1);
  std::string got(size, 'x');
  EXPECT_FALSE(bus.InterfacePath(set, 0, got.data(), size - 1));
  ASSERT_TRUE(bus.InterfacePath(set, 0, got.data(), size));
  EXPECT_STREQ(got.c_str(), path);

  UinputBus missing("/nonexistent/uinput");
  EXPECT_EQ(missing.EnumInterface(missing.GetInterfaces(joybus::kGamePortBusClass), 0),
            EnumResult::kNoMoreItems);
  InterfaceClass other = joybus::kGamePortBusClass;
  other.data1 ^= 1;
  EXPECT_EQ(bus.EnumInterface(bus.GetInterfaces(other), 0), EnumResult::kNoMoreItems);
}

TEST_F(UinputBusTest, ClientDrivesTheBusFromOpenToClose) {
  FileBus bus(path);
  {
    TKestrovan joystick{bus};
    ASSERT_TRUE(joystick.Open());
    EXPECT_EQ(FileSize(), 0);  // the probe before an expose writes nothing
    EXPECT_EQ(bus.OpenDevice(path), kInvalidDevice);  // not shared

    ASSERT_TRUE(joystick.Expose());
    EXPECT_NE(joystick.hardwareHandle(), 0u);
    EXPECT_EQ(bus.kernel, std::vector<std::string>{"create 6 10 045e:1100"});

    JoystickReport report{};
    report[0] = 0xFF;
    report[1] = 0x03;
    ASSERT_TRUE(joystick.SetState(report));
    EXPECT_EQ(FileSize(), static_cast<off_t>(17 * sizeof(input_event)));
    ::lseek(fd, 0, SEEK_SET);
    const std::vector<input_event> events = ReadEvents(fd);
    ASSERT_EQ(events.size(), 17u);
    EXPECT_EQ(events[0].value, 1023);

    EXPECT_FALSE(joystick.Expose());  // one joystick per device
    ASSERT_TRUE(joystick.Remove());
    EXPECT_EQ(bus.kernel.back(), "destroy");
  }
  // The client closed the device: it opens again.
  const DeviceHandle again = bus.OpenDevice(path);
  EXPECT_NE(again, kInvalidDevice);
  EXPECT_TRUE(bus.CloseDevice(again));
  EXPECT_FALSE(bus.CloseDevice(again));
}

TEST_F(UinputBusTest, RefusesRequestsOutOfTurn) {
  FileBus bus(path);
  const DeviceHandle device = bus.OpenDevice(path);
  ASSERT_NE(device, kInvalidDevice);
  Bytes expose = Expose(1, 6, 10);
  EXPECT_FALSE(bus.Request(device, 0x2A0000, expose.data(), 122));  // no port description yet
  Bytes port = Record(40, 40);
  ASSERT_TRUE(bus.Request(device, 0x2A0008, port.data(), 40));
  const std::uint32_t portHandle = joybus::GetLe32(&port[4]);
  EXPECT_NE(portHandle, 0u);
  expose = Expose(portHandle + 1, 6, 10);
  EXPECT_FALSE(bus.Request(device, 0x2A0000, expose.data(), 122));  // a port it never gave
  Bytes remove = Record(8, 8);
  EXPECT_FALSE(bus.Request(device, 0x2A0004, remove.data(), 8));  // nothing exposed
  EXPECT_FALSE(bus.Request(device + 1, 0x2A0008, port.data(), 40));  // not its device
  bus.createWorks = false;
  expose = Expose(portHandle, 6, 10);
  EXPECT_FALSE(bus.Request(device, 0x2A0000, expose.data(), 122));
  EXPECT_TRUE(bus.kernel.size() == 1 && bus.kernel[0] == "create 6 10 045e:1100");
  EXPECT_TRUE(bus.CloseDevice(device));
}

TEST_F(UinputBusTest, RealExposeOnAPlainFileFails) {
  UinputBus bus(path);
  TKestrovan joystick{bus};
  ASSERT_TRUE(joystick.Open());
  EXPECT_FALSE(joystick.Expose());  // the uinput ioctls are refused by a plain file
  EXPECT_EQ(joystick.hardwareHandle(), 0u);
  EXPECT_TRUE(joystick.SetState(JoystickReport{}));
  EXPECT_EQ(FileSize(), 0);
}

TEST(UinputAccess, MessageNamesTheCauseAndPointsToTheReadme) {
  struct Case {
    int error;
    const char* cause;
  };
  const Case cases[] = {{ENOENT, "uinput module"}, {ENODEV, "uinput module"},
                        {EACCES, "no permission"}, {EPERM, "no permission"},
                        {EBUSY, "cannot open"}};
  for (const Case& c : cases) {
    const std::string line = UinputUnavailableMessage(c.error, "/dev/uinput");
    SCOPED_TRACE(line);
    EXPECT_NE(line.find(c.cause), std::string::npos);
    EXPECT_NE(line.find(std::strerror(c.error)), std::string::npos);
    EXPECT_NE(line.find("/dev/uinput"), std::string::npos);
    EXPECT_NE(line.find("README.md"), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
  }
}

TEST(UinputAccess, CheckPrintsOneLineOnlyWhenTheDeviceCannotOpen) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  EXPECT_FALSE(CheckUinputAccess("/nonexistent/uinput", out));
  EXPECT_TRUE(CheckUinputAccess("/dev/null", out));
  std::rewind(out);
  char text[512] = {};
  const std::size_t got = std::fread(text, 1, sizeof text - 1, out);
  std::fclose(out);
  const std::string printed(text, got);
  EXPECT_EQ(printed, UinputUnavailableMessage(ENOENT, "/nonexistent/uinput") + "\n");
}

}  // namespace
}  // namespace corvane
