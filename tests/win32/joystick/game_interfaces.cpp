#include "game_interfaces.h"

#define DIRECTINPUT_VERSION 0x0800
// clang-format off
#include <windows.h>
#include <setupapi.h>
extern "C" {  // MinGW-w64's HID headers declare C functions without saying so
#include <hidsdi.h>
#include <hidpi.h>
}
#include <mmsystem.h>
#include <dinput.h>
// clang-format on

#include <vector>

namespace corvane::joycheck {

namespace {

// The ids the program exposes its joystick with ("VID_045E&PID_1100").
constexpr USHORT kVendorId = 0x045E;
constexpr USHORT kProductId = 0x1100;

// How Wine's DirectInput, and its winmm that reads through it, show an axis of logical
// range 0 … 1023 in their default range 0 … 65535: about the centre, which is 511 (1023
// halved, rounded down) logically and 32767 in the range. The lower half 0 … 511 spreads
// over 0 … 32767, the upper 511 … 1023 over 32767 … 65535, each rounded to the nearest
// unit, halves up. So 0 → 0, 511 → 32767, 512 → 32831, 1023 → 65535.
std::int32_t ToWordRange(std::int32_t value) {
  if (value <= 511) return (2 * value * 32767 + 511) / (2 * 511);
  return 32767 + (2 * (value - 511) * 32768 + 512) / (2 * 512);
}

// DirectInput's, and so winmm's, state before the first report: every axis at its own
// centre, no button.
bool AtWordRangeCentre(const InterfaceState& state) {
  for (std::int32_t axis : state.axes) {
    if (axis != 32767) return false;
  }
  for (bool pressed : state.buttons) {
    if (pressed) return false;
  }
  return true;
}

// ---- HID ----

// The usages of axis 1 … 6 in the report descriptor.
constexpr USAGE kAxisUsages[kAxes] = {0x30, 0x31, 0x32, 0x33, 0x35, 0x36};  // X Y Z Rx Rz Slider

HANDLE OpenHidIfOurs(const char* path, DWORD access, DWORD flags) {
  const HANDLE device =
      CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
  if (device == INVALID_HANDLE_VALUE) return device;
  HIDD_ATTRIBUTES attributes = {};
  attributes.Size = sizeof attributes;
  if (HidD_GetAttributes(device, &attributes) && attributes.VendorID == kVendorId &&
      attributes.ProductID == kProductId) {
    return device;
  }
  CloseHandle(device);
  return INVALID_HANDLE_VALUE;
}

// Opens the first present HID device with the Corvane ids.
HANDLE OpenOurHidDevice(DWORD access, DWORD flags) {
  GUID hidClass;
  HidD_GetHidGuid(&hidClass);
  const HDEVINFO set =
      SetupDiGetClassDevsA(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  HANDLE found = INVALID_HANDLE_VALUE;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof data;
  for (DWORD i = 0;
       found == INVALID_HANDLE_VALUE && SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, i, &data); ++i) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) continue;
    std::vector<char> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (SetupDiGetDeviceInterfaceDetailA(set, &data, detail, size, nullptr, nullptr)) {
      found = OpenHidIfOurs(detail->DevicePath, access, flags);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

class HidInterface : public GameInterface {
 public:
  ~HidInterface() override {
    if (device_ != INVALID_HANDLE_VALUE) {
      CancelIo(device_);
      CloseHandle(device_);
    }
    if (preparsed_ != nullptr) HidD_FreePreparsedData(preparsed_);
    if (overlapped_.hEvent != nullptr) CloseHandle(overlapped_.hEvent);
  }

  bool Find() override {
    device_ = OpenOurHidDevice(GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED);
    if (device_ == INVALID_HANDLE_VALUE) return false;
    HIDP_CAPS caps = {};
    if (!HidD_GetPreparsedData(device_, &preparsed_) ||
        HidP_GetCaps(preparsed_, &caps) != HIDP_STATUS_SUCCESS) {
      return false;
    }
    report_.resize(caps.InputReportByteLength);
    overlapped_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return true;
  }

  ReadResult Read(InterfaceState& state, int waitMs) override {
    if (first_) {
      // The state as it stands (HidD_GetInputReport); after it, each new input report.
      first_ = false;
      report_.assign(report_.size(), 0);
      if (!HidD_GetInputReport(device_, report_.data(), static_cast<ULONG>(report_.size())))
        return ReadResult::kGone;
      return Parse(state) ? ReadResult::kState : ReadResult::kGone;
    }
    if (!pending_) {
      ResetEvent(overlapped_.hEvent);
      if (!ReadFile(device_, report_.data(), static_cast<DWORD>(report_.size()), nullptr, &overlapped_) &&
          GetLastError() != ERROR_IO_PENDING) {
        return ReadResult::kGone;
      }
      pending_ = true;
    }
    if (WaitForSingleObject(overlapped_.hEvent, static_cast<DWORD>(waitMs)) == WAIT_TIMEOUT) {
      return ReadResult::kNothingNew;
    }
    pending_ = false;
    DWORD bytes = 0;
    if (!GetOverlappedResult(device_, &overlapped_, &bytes, FALSE)) return ReadResult::kGone;
    return Parse(state) ? ReadResult::kState : ReadResult::kGone;
  }

  bool Present() override {
    const HANDLE device = OpenOurHidDevice(0, 0);
    if (device == INVALID_HANDLE_VALUE) return false;
    CloseHandle(device);
    return true;
  }

  InterfaceState ToInterface(const SentState& sent) const override {
    return InterfaceState{sent.axes, sent.buttons};  // logical values 0 … 1023 as sent
  }

  std::string Describe() const override {
    return "HID input report: usages X Y Z Rx Rz Slider (0 ... 1023 as sent), buttons 1 ... 10";
  }

 private:
  bool Parse(InterfaceState& state) {
    auto* report = report_.data();
    const auto length = static_cast<ULONG>(report_.size());
    for (int axis = 0; axis < kAxes; ++axis) {
      ULONG value = 0;
      if (HidP_GetUsageValue(HidP_Input, 0x01, 0, kAxisUsages[axis], &value, preparsed_, report, length) !=
          HIDP_STATUS_SUCCESS) {
        return false;
      }
      state.axes[axis] = static_cast<std::int32_t>(value);
    }
    USAGE pressed[kButtons] = {};
    ULONG count = kButtons;
    if (HidP_GetUsages(HidP_Input, 0x09, 0, pressed, &count, preparsed_, report, length) !=
        HIDP_STATUS_SUCCESS) {
      return false;
    }
    state.buttons.fill(false);
    for (ULONG i = 0; i < count; ++i) {
      if (pressed[i] >= 1 && pressed[i] <= kButtons) state.buttons[pressed[i] - 1] = true;
    }
    return true;
  }

  HANDLE device_ = INVALID_HANDLE_VALUE;
  PHIDP_PREPARSED_DATA preparsed_ = nullptr;
  std::vector<char> report_;
  OVERLAPPED overlapped_ = {};
  bool first_ = true;
  bool pending_ = false;
};

// The two interfaces that show an axis in Wine's 0 … 65535 (ToWordRange).
class WordRangeInterface : public GameInterface {
 public:
  InterfaceState ToInterface(const SentState& sent) const override {
    InterfaceState shown{{}, sent.buttons};
    for (int axis = 0; axis < kAxes; ++axis) shown.axes[axis] = ToWordRange(sent.axes[axis]);
    return shown;
  }

  bool AtRest(const InterfaceState& state) const override {
    return GameInterface::AtRest(state) || AtWordRangeCentre(state);
  }
};

// ---- winmm ----

class WinmmInterface : public WordRangeInterface {
 public:
  bool Find() override {
    const UINT count = joyGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
      JOYCAPSA caps = {};
      if (joyGetDevCapsA(id, &caps, sizeof caps) == JOYERR_NOERROR && caps.wMid == kVendorId &&
          caps.wPid == kProductId) {
        id_ = id;
        return true;
      }
    }
    return false;
  }

  ReadResult Read(InterfaceState& state, int) override {
    JOYINFOEX info = {};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    if (joyGetPosEx(id_, &info) != JOYERR_NOERROR) return ReadResult::kGone;
    // Wine's winmm fills X, Y, Z, R, U, V from the axes X, Y, Z, Rz, Slider, Rx.
    state.axes = {static_cast<std::int32_t>(info.dwXpos), static_cast<std::int32_t>(info.dwYpos),
                  static_cast<std::int32_t>(info.dwZpos), static_cast<std::int32_t>(info.dwVpos),
                  static_cast<std::int32_t>(info.dwRpos), static_cast<std::int32_t>(info.dwUpos)};
    for (int button = 0; button < kButtons; ++button) state.buttons[button] = (info.dwButtons >> button) & 1;
    return ReadResult::kState;
  }

  bool Present() override { return Find(); }

  std::string Describe() const override {
    return "JOYINFOEX: dwXpos dwYpos dwZpos dwVpos dwRpos dwUpos (0 ... 65535 about 511 -> 32767), dwButtons "
           "bits 0 ... 9";
  }

 private:
  UINT id_ = 0;
};

// ---- DirectInput ----

class DirectInputInterface : public WordRangeInterface {
 public:
  ~DirectInputInterface() override {
    if (device_ != nullptr) {
      device_->Unacquire();
      device_->Release();
    }
    if (input_ != nullptr) input_->Release();
  }

  bool Find() override {
    GUID instance;
    if (!FindInstance(instance)) return false;
    if (FAILED(input_->CreateDevice(instance, &device_, nullptr))) return false;
    return SUCCEEDED(device_->SetDataFormat(&c_dfDIJoystick2)) && SUCCEEDED(device_->Acquire());
  }

  ReadResult Read(InterfaceState& state, int) override {
    DIJOYSTATE2 js = {};
    device_->Poll();
    if (FAILED(device_->GetDeviceState(sizeof js, &js)) &&
        (FAILED(device_->Acquire()) || FAILED(device_->GetDeviceState(sizeof js, &js)))) {
      return ReadResult::kGone;
    }
    state.axes = {js.lX, js.lY, js.lZ, js.lRx, js.lRz, js.rglSlider[0]};
    for (int button = 0; button < kButtons; ++button)
      state.buttons[button] = (js.rgbButtons[button] & 0x80) != 0;
    return ReadResult::kState;
  }

  bool Present() override {
    GUID instance;
    return FindInstance(instance);
  }

  std::string Describe() const override {
    return "DIJOYSTATE2: lX lY lZ lRx lRz rglSlider[0] (0 ... 65535 about 511 -> 32767), rgbButtons[0 ... 9] "
           "(0x80 pressed)";
  }

 private:
  struct Search {
    GUID instance;
    bool found;
  };

  static BOOL CALLBACK OnDevice(const DIDEVICEINSTANCEA* device, void* context) {
    auto* search = static_cast<Search*>(context);
    // DirectInput's product GUID starts with the product id above the vendor id.
    if (device->guidProduct.Data1 == MAKELONG(kVendorId, kProductId)) {
      search->instance = device->guidInstance;
      search->found = true;
      return DIENUM_STOP;
    }
    return DIENUM_CONTINUE;
  }

  bool FindInstance(GUID& instance) {
    if (input_ == nullptr &&
        FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                  reinterpret_cast<void**>(&input_), nullptr))) {
      return false;
    }
    Search search = {};
    if (FAILED(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, OnDevice, &search, DIEDFL_ATTACHEDONLY)) ||
        !search.found) {
      return false;
    }
    instance = search.instance;
    return true;
  }

  IDirectInput8A* input_ = nullptr;
  IDirectInputDevice8A* device_ = nullptr;
};

}  // namespace

std::unique_ptr<GameInterface> MakeGameInterface(const std::string& name) {
  if (name == "hid") return std::make_unique<HidInterface>();
  if (name == "winmm") return std::make_unique<WinmmInterface>();
  if (name == "dinput") return std::make_unique<DirectInputInterface>();
  return nullptr;
}

}  // namespace corvane::joycheck
