#include "test_bus_client.h"

#include <windows.h>

#include <setupapi.h>

#include <cstdio>

#include "test_bus_log.h"

namespace corvane::testing {

namespace {

const GUID kGamePortBusClass = {0xCAE56030, 0x684A, 0x11D0, {0xD6, 0xF6, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

std::uint32_t GetU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::string ErrorText(const char* what) {
  return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Sends one request on a handle of its own, so the code under test keeps its handles.
bool Control(const std::string& path, DWORD code, void* in, DWORD inLength, void* out,
             DWORD outLength, DWORD& returned, std::string& error) {
  const HANDLE device = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    error = ErrorText("CreateFileA");
    return false;
  }
  const bool ok = DeviceIoControl(device, code, in, inLength, out, outLength, &returned, nullptr);
  if (!ok) error = ErrorText("DeviceIoControl");
  CloseHandle(device);
  return ok;
}

}  // namespace

std::vector<std::string> GamePortBusPaths() {
  std::vector<std::string> paths;
  const HDEVINFO set = SetupDiGetClassDevsA(&kGamePortBusClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return paths;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof data;
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &kGamePortBusClass, index, &data);
       ++index) {
    union {
      SP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
      char bytes[1024];
    } record = {};
    record.detail.cbSize = sizeof record.detail;
    if (SetupDiGetDeviceInterfaceDetailA(set, &data, &record.detail, sizeof record, nullptr, nullptr)) {
      paths.emplace_back(record.detail.DevicePath);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return paths;
}

bool TakeLog(const std::string& path, std::vector<LoggedRequest>& log, std::string& error) {
  std::vector<std::uint8_t> bytes(TEST_BUS_LOG_CAPACITY);
  DWORD returned = 0;
  log.clear();
  if (!Control(path, TEST_BUS_TAKE_LOG, nullptr, 0, bytes.data(), static_cast<DWORD>(bytes.size()),
               returned, error)) {
    return false;
  }
  for (std::size_t at = 0; at < returned;) {
    if (returned - at < 8) {
      error = "the log ends inside an entry's head";
      return false;
    }
    const std::uint32_t code = GetU32(&bytes[at]);
    const std::uint32_t length = GetU32(&bytes[at + 4]);
    if (code == TEST_BUS_LOG_OVERFLOW) {
      error = "the driver's log overflowed";
      return false;
    }
    if (length > returned - at - 8) {
      error = "the log ends inside an entry";
      return false;
    }
    log.push_back({code, std::vector<std::uint8_t>(&bytes[at + 8], &bytes[at + 8] + length)});
    at += 8 + length;
  }
  return true;
}

bool RefuseState(const std::string& path, bool refuse) {
  std::uint8_t flag[4] = {static_cast<std::uint8_t>(refuse ? 1 : 0), 0, 0, 0};
  DWORD returned = 0;
  std::string error;
  return Control(path, TEST_BUS_REFUSE_STATE, flag, sizeof flag, nullptr, 0, returned, error);
}

std::string Describe(const LoggedRequest& request) {
  char head[48];
  std::snprintf(head, sizeof head, "code %#x, %zu bytes:", static_cast<unsigned>(request.code),
                request.bytes.size());
  std::string text = head;
  for (std::uint8_t byte : request.bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned>(byte));
    text += hex;
  }
  return text;
}

}  // namespace corvane::testing
