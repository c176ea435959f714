// The installed joystick bus driver's answers to requests the program does not send:
// records of the wrong size or content, a remove from another client, and states out of
// the report's range, read back through the HID API.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game_interfaces.h"
#include "test_bus_client.h"

namespace corvane::joycheck {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kExpose = 0x2A0000;
constexpr DWORD kRemove = 0x2A0004;
constexpr DWORD kPort = 0x2A0008;
constexpr DWORD kState = 0x2A2004;

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t{bytes[at + 3]} << 24);
}

// One client of the bus: a handle of its own.
class Client {
 public:
  Client() {
    const std::vector<std::string> paths = corvane::testing::GamePortBusPaths();
    if (paths.size() == 1) {
      handle_ =
          CreateFileA(paths[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
  }
  ~Client() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }

  // Sends the record as input and output, with the lengths given (its size by default).
  bool Send(DWORD code, Bytes& record, DWORD inLength = ~0u, DWORD outLength = ~0u) {
    const auto size = static_cast<DWORD>(record.size());
    DWORD returned = 0;
    return DeviceIoControl(handle_, code, record.data(), inLength == ~0u ? size : inLength, record.data(),
                           outLength == ~0u ? size : outLength, &returned, nullptr);
  }

  std::uint32_t PortHandle() {
    Bytes port(40, 0);
    PutLe32(port, 0, 40);
    return Send(kPort, port) ? GetLe32(port, 4) : 0;
  }

  // The expose record as the program sends it, with the ids given (UTF-16, each ended).
  Bytes ExposeRecord(const std::string& ids) {
    Bytes record(122, 0);
    PutLe32(record, 0, 64);
    PutLe32(record, 4, PortHandle());
    record[12] = 1;
    record[14] = 6;
    record[18] = 10;
    for (std::size_t i = 0; i < ids.size() && 64 + 2 * i < record.size(); ++i) {
      record[64 + 2 * i] = static_cast<std::uint8_t>(ids[i]);
    }
    return record;
  }

  // The hardware handle of a new joystick, 0 when the expose failed.
  std::uint32_t Expose() {
    Bytes record = ExposeRecord(std::string("Kestrovan\\VID_045E&PID_1100") + '\0' + '\0');
    return Send(kExpose, record) ? GetLe32(record, 8) : 0;
  }

  bool Remove(std::uint32_t hardware) {
    Bytes record(8, 0);
    PutLe32(record, 0, 8);
    PutLe32(record, 4, hardware);
    return Send(kRemove, record);
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class InstalledBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(client.Open()) << "the Corvane joystick bus is not installed and running";
  }
  Client client;
};

TEST_F(InstalledBus, TakesEachRequestOnlyWithItsRecordsExactSize) {
  const struct {
    DWORD code;
    DWORD size;
  } requests[] = {{kPort, 40}, {kExpose, 122}, {kRemove, 8}, {kState, 36}};
  for (const auto& request : requests) {
    Bytes record(request.size + 1, 0);
    PutLe32(record, 0, request.size);
    for (auto [in, out] :
         {std::pair{request.size - 1, request.size}, std::pair{request.size + 1, request.size},
          std::pair{request.size, request.size - 1}, std::pair{request.size, request.size + 1}}) {
      EXPECT_FALSE(client.Send(request.code, record, in, out))
          << "code " << std::hex << request.code << std::dec << " with " << in << " in, " << out << " out";
    }
  }
  Bytes zeroState(36, 0);
  EXPECT_TRUE(client.Send(kState, zeroState)) << "the probe before any joystick";
  Bytes unknown(36, 0);
  EXPECT_FALSE(client.Send(0x2A2008, unknown));
}

TEST_F(InstalledBus, RefusesBrokenExposeRecords) {
  const std::string ids = std::string("Kestrovan\\VID_045E&PID_1100") + '\0' + '\0';
  struct Case {
    const char* what;
    Bytes record;
  };
  std::vector<Case> cases;
  cases.push_back({"size field 63", client.ExposeRecord(ids)});
  PutLe32(cases.back().record, 0, 63);
  cases.push_back({"another port handle", client.ExposeRecord(ids)});
  PutLe32(cases.back().record, 4, GetLe32(cases.back().record, 4) + 1);
  cases.push_back({"no hardware id", client.ExposeRecord(std::string(2, '\0'))});
  cases.push_back({"ids not ended inside the record", client.ExposeRecord(std::string(40, 'A'))});
  for (Case& c : cases) {
    EXPECT_FALSE(client.Send(kExpose, c.record)) << c.what;
    EXPECT_EQ(GetLe32(c.record, 8), 0u) << c.what;
  }
}

TEST_F(InstalledBus, RemovesAJoystickOnlyForTheClientThatExposedIt) {
  Client other;
  ASSERT_TRUE(other.Open());
  const std::uint32_t hardware = client.Expose();
  ASSERT_NE(hardware, 0u);
  EXPECT_FALSE(other.Remove(hardware));
  EXPECT_FALSE(client.Remove(0));
  EXPECT_TRUE(client.Remove(hardware));
  EXPECT_FALSE(client.Remove(hardware)) << "a second remove";
}

TEST_F(InstalledBus, ClampsAxesToTheReportsRangeAndPressesButtonsOfAnyNonZeroByte) {
  ASSERT_NE(client.Expose(), 0u);
  Bytes state(36, 0);
  const std::array<std::int32_t, 6> axes = {-5, 5000, 0, 1023, 512, 7};
  for (int axis = 0; axis < 6; ++axis) PutLe32(state, 4 * axis, static_cast<std::uint32_t>(axes[axis]));
  state[26] = 2;     // button 1
  state[35] = 0xFF;  // button 10
  ASSERT_TRUE(client.Send(kState, state));

  // The current state through HID. A joystick that an earlier test made and removed at
  // once may still come and go meanwhile: its HID device is left for this one's.
  const InterfaceState expected{{0, 1023, 0, 1023, 512, 7},
                                {true, false, false, false, false, false, false, false, false, true}};
  InterfaceState shown;
  for (int tries = 0; tries < 100 && !(shown == expected); ++tries) {
    std::unique_ptr<GameInterface> hid = MakeGameInterface("hid");
    if (!hid->Find() || hid->Read(shown, 1000) != ReadResult::kState) Sleep(100);
  }
  EXPECT_EQ(shown.axes, expected.axes);
  EXPECT_EQ(shown.buttons, expected.buttons);
}

}  // namespace
}  // namespace corvane::joycheck
