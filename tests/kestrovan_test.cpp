#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_driver_bus.h"
#include "joystick/kestrovan.h"

namespace corvane {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using testing::FakeDriverBus;
using testing::FakeInterface;

// The expose record for port handle 0x11223344, byte by byte.
const Bytes kExposeFixture = {
    0x40, 0, 0, 0,  0x44, 0x33, 0x22, 0x11,  0, 0, 0, 0,  1, 0,  6, 0,  0, 0,  10, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    'K', 0, 'e', 0, 's', 0, 't', 0, 'r', 0, 'o', 0, 'v', 0, 'a', 0, 'n', 0, '\\', 0,
    'V', 0, 'I', 0, 'D', 0, '_', 0, '0', 0, '4', 0, '5', 0, 'E', 0, '&', 0,
    'P', 0, 'I', 0, 'D', 0, '_', 0, '1', 0, '1', 0, '0', 0, '0', 0,
    0, 0, 0, 0};

class KestrovanTest : public ::testing::Test {
 protected:
  // Opens the one driver interface "/bus" as device 100 and forgets the calls so far.
  void OpenDriver() {
    bus.interfaces = {FakeInterface{.path = "/bus"}};
    ASSERT_TRUE(joystick.Open());
    bus.calls.clear();
    bus.requests.clear();
  }
  Calls Requests() const {
    Calls out;
    for (const std::string& call : bus.calls) {
      if (call.starts_with("request")) out.push_back(call);
    }
    return out;
  }

  FakeDriverBus bus;
  TKestrovan joystick{bus};
};

TEST_F(KestrovanTest, OpenSkipsInterfacesThatAreNotTheDriversAndClosesWhatItTried) {
  bus.interfaces = {FakeInterface{.path = "/other", .acceptsState = false},
                    FakeInterface{.path = "/gone", .opens = false},
                    FakeInterface{.path = "/short", .pathSize = 1},
                    FakeInterface{.path = "/huge", .pathSize = std::size_t{1} << 40},
                    FakeInterface{.path = "/bus"}, FakeInterface{.path = "/late"}};
  ASSERT_TRUE(joystick.Open());
  EXPECT_EQ(joystick.deviceHandle(), 104);
  EXPECT_EQ(bus.calls, (Calls{"get",
                              "enum 0", "size 0", "path 0", "open /other", "request 0x2a2004 @100", "close @100",
                              "enum 1", "size 1", "path 1", "open /gone",
                              "enum 2", "size 2",
                              "enum 3", "size 3",
                              "enum 4", "size 4", "path 4", "open /bus", "request 0x2a2004 @104",
                              "release 5"}));
  // The probe is a zero state record.
  ASSERT_EQ(bus.requests.size(), 2u);
  EXPECT_EQ(bus.requests[1].bytes, Bytes(36, 0));
  EXPECT_EQ(joystick.hardwareHandle(), 0u);

  bus.calls.clear();
  EXPECT_TRUE(joystick.Open());  // already open: keeps its device
  EXPECT_TRUE(bus.calls.empty());
}

TEST_F(KestrovanTest, OpenFindsNothing) {
  struct Case {
    const char* name;
    bool failGet;
    std::vector<FakeInterface> interfaces;
    bool failPastEnd;
  };
  const Case cases[] = {
      {"no listing", true, {}, false},
      {"empty listing", false, {}, false},
      {"only a refusing device", false, {FakeInterface{.path = "/x", .acceptsState = false}}, false},
      // A bus that fails with errors other than the end, index after index, must not hang.
      {"endless other errors", false, {FakeInterface{.path = "/x", .acceptsState = false}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDriverBus b;
    b.failGetInterfaces = c.failGet;
    b.interfaces = c.interfaces;
    b.failPastEnd = c.failPastEnd;
    TKestrovan j{b};
    EXPECT_FALSE(j.Open());
    EXPECT_EQ(j.deviceHandle(), kInvalidDevice);
    EXPECT_LT(b.enumCalls, 100000u);
    EXPECT_EQ(b.calls.back(), c.failGet ? "get" : "release 5");
    // With no device, nothing is sent and nothing is closed.
    b.calls.clear();
    EXPECT_FALSE(j.SetState(JoystickReport{}));
    EXPECT_FALSE(j.Expose());
    EXPECT_FALSE(j.Remove());
    EXPECT_FALSE(j.Close());
    EXPECT_TRUE(b.calls.empty());
  }
}

TEST_F(KestrovanTest, OpenGoesOnPastIndicesThatFailToEnumerate) {
  bus.interfaces = {FakeInterface{.path = "/a", .enumFails = true}, FakeInterface{.path = "/b", .enumFails = true},
                    FakeInterface{.path = "/bus"}};
  ASSERT_TRUE(joystick.Open());
  EXPECT_EQ(joystick.deviceHandle(), 102);
}

TEST_F(KestrovanTest, ExposeSendsPortDescriptionThenTheExposeRecord) {
  OpenDriver();
  ASSERT_TRUE(joystick.Expose());
  EXPECT_EQ(Requests(), (Calls{"request 0x2a0008 @100", "request 0x2a0000 @100"}));
  Bytes port(40, 0);
  port[0] = 40;
  EXPECT_EQ(bus.requests[0].bytes, port);
  ASSERT_EQ(kExposeFixture.size(), 122u);
  EXPECT_EQ(bus.requests[1].bytes, kExposeFixture);
  EXPECT_EQ(joystick.hardwareHandle(), 0x55667788u);
}

TEST_F(KestrovanTest, SetStateSendsTheReportAsItIs) {
  OpenDriver();
  JoystickReport report{};
  for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<std::uint8_t>(i + 1);
  EXPECT_TRUE(joystick.SetState(report));
  ASSERT_EQ(bus.requests.size(), 1u);
  EXPECT_EQ(bus.requests[0].code, 0x2A2004u);
  EXPECT_EQ(bus.requests[0].bytes, Bytes(report.begin(), report.end()));
  bus.refusedCodes = {0x2A2004};
  EXPECT_FALSE(joystick.SetState(report));
}

TEST_F(KestrovanTest, RemoveThenCloseOnlyOnce) {
  OpenDriver();
  EXPECT_FALSE(joystick.Remove());  // nothing exposed
  EXPECT_TRUE(bus.calls.empty());
  ASSERT_TRUE(joystick.Expose());
  bus.requests.clear();
  bus.calls.clear();
  EXPECT_TRUE(joystick.Remove());
  ASSERT_EQ(bus.requests.size(), 1u);
  EXPECT_EQ(bus.requests[0].code, 0x2A0004u);
  EXPECT_EQ(bus.requests[0].bytes, (Bytes{8, 0, 0, 0, 0x88, 0x77, 0x66, 0x55}));
  EXPECT_EQ(joystick.hardwareHandle(), 0u);
  EXPECT_FALSE(joystick.Remove());
  EXPECT_TRUE(joystick.Close());
  EXPECT_FALSE(joystick.Close());
  EXPECT_EQ(joystick.deviceHandle(), kInvalidDevice);
  EXPECT_EQ(bus.calls, (Calls{"request 0x2a0004 @100", "close @100"}));
}

TEST_F(KestrovanTest, RefusedPortDescriptionOrExposeLeavesNothingToRemoveButReportsGoOut) {
  for (std::uint32_t refused : {0x2A0008u, 0x2A0000u}) {
    SCOPED_TRACE(refused);
    FakeDriverBus b;
    b.interfaces = {FakeInterface{.path = "/bus"}};
    b.refusedCodes = {refused};
    {
      TKestrovan j{b};
      ASSERT_TRUE(j.Open());
      b.calls.clear();
      EXPECT_FALSE(j.Expose());
      EXPECT_EQ(j.hardwareHandle(), 0u);
      EXPECT_TRUE(j.SetState(JoystickReport{}));
      b.calls.clear();
    }
    EXPECT_EQ(b.calls, Calls{"close @100"});  // destroy: nothing to remove, closes
  }
}

TEST_F(KestrovanTest, DestroyRemovesThenClosesEvenWhenRemoveIsRefused) {
  for (bool refuseRemove : {false, true}) {
    FakeDriverBus b;
    b.interfaces = {FakeInterface{.path = "/bus"}};
    {
      TKestrovan j{b};
      ASSERT_TRUE(j.Open());
      ASSERT_TRUE(j.Expose());
      if (refuseRemove) {
        b.refusedCodes = {0x2A0004};
        EXPECT_FALSE(j.Remove());
        EXPECT_EQ(j.hardwareHandle(), 0x55667788u);
      }
      b.calls.clear();
    }
    EXPECT_EQ(b.calls, (Calls{"request 0x2a0004 @100", "close @100"}));
  }
}

}  // namespace
}  // namespace corvane
