// corvane-decode's joystick sink against a recording bus: the order of the driver
// requests over a whole run, and what is told when the driver refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "corvane-decode/joystick_output.h"
#include "fakes/fake_driver_bus.h"

namespace corvane::tool {
namespace {

using corvane::testing::FakeDriverBus;
using corvane::testing::FakeInterface;
using Bytes = std::vector<std::uint8_t>;

// What the sink tells, caught in a temporary file (memory streams are not portable).
struct Messages {
  std::FILE* out = std::tmpfile();
  ~Messages() {
    if (out != nullptr) std::fclose(out);
  }
  std::string Read() {
    std::fflush(out);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }
};

// Runs two decoded buffers through the sink: reports 1 and 2 in their first byte.
void RunTwoReports(FakeDriverBus& bus, Messages& messages) {
  ASSERT_NE(messages.out, nullptr) << "no temporary file";
  JoystickOutput output(bus, "/dev/uinput", messages.out);
  output.Start();
  ChannelTable table{};
  for (std::uint8_t n : {1, 2}) {
    JoystickReport report{};
    report[0] = n;
    output.OnDecodedBuffer(DecodedBuffer{n, 0.0, table, report});
  }
  output.OnEnd(DecodeSummary{});
  bus.calls.push_back("destroyed");  // nothing may be asked of the bus past the end
}

std::vector<std::uint32_t> Codes(const FakeDriverBus& bus) {
  std::vector<std::uint32_t> codes;
  for (const auto& request : bus.requests) codes.push_back(request.code);
  return codes;
}

TEST(JoystickOutput, ExposesSendsEachReportThenRemovesAndCloses) {
  FakeDriverBus bus;
  bus.interfaces = {FakeInterface{.path = "/dev/uinput"}};
  Messages messages;
  RunTwoReports(bus, messages);
  using namespace joybus;
  EXPECT_EQ(Codes(bus), (std::vector<std::uint32_t>{kSetState, kPortDescription, kExposeHardware, kSetState,
                                                     kSetState, kRemoveHardware}));
  ASSERT_EQ(bus.requests.size(), 6u);
  Bytes first(kStateSize, 0), second(kStateSize, 0);
  first[0] = 1;
  second[0] = 2;
  EXPECT_EQ(bus.requests[3].bytes, first);
  EXPECT_EQ(bus.requests[4].bytes, second);
  ASSERT_GE(bus.calls.size(), 2u);
  EXPECT_EQ(bus.calls[bus.calls.size() - 2], "close @100");
  EXPECT_EQ(messages.Read(), "");
}

TEST(JoystickOutput, TellsWhatTheDriverRefused) {
  using namespace joybus;
  struct Case {
    const char* name;
    std::uint32_t refused;
    std::vector<std::uint32_t> codes;
    std::string message;
  };
  const Case cases[] = {
      {"expose refused: reports still go, nothing to remove", kExposeHardware,
       {kSetState, kPortDescription, kExposeHardware, kSetState, kSetState},
       "corvane-decode: warning: /dev/uinput did not create the virtual joystick; reports are still sent\n"},
      {"zero state refused: not the driver, nothing sent", kSetState, {kSetState},
       "corvane-decode: no virtual joystick: /dev/uinput did not accept a state record\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDriverBus bus;
    bus.interfaces = {FakeInterface{.path = "/dev/uinput"}};
    bus.refusedCodes = {c.refused};
    Messages messages;
    RunTwoReports(bus, messages);
    EXPECT_EQ(Codes(bus), c.codes);
    EXPECT_EQ(messages.Read(), c.message);
  }
}

}  // namespace
}  // namespace corvane::tool
