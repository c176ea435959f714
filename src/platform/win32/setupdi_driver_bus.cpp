#include "platform/win32/setupdi_driver_bus.h"

#include <windows.h>

#include <setupapi.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace corvane {

namespace {

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;  // 0x12

// The detail record is its size field followed by the path's characters.
constexpr std::size_t kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);

GUID ToGuid(const InterfaceClass& cls) {
  GUID guid;
  guid.Data1 = cls.data1;
  guid.Data2 = cls.data2;
  guid.Data3 = cls.data3;
  std::memcpy(guid.Data4, cls.data4, sizeof guid.Data4);
  return guid;
}

// Kernel handles fit in 32 bits, also in 64-bit processes (that is what lets 32- and
// 64-bit processes share them); INVALID_HANDLE_VALUE becomes -1, kInvalidDevice.
DeviceHandle ToDevice(HANDLE handle) { return HandleToLong(handle); }
HANDLE ToHandle(DeviceHandle device) { return LongToHandle(device); }

}  // namespace

struct SetupDiDriverBus::Listing {
  HDEVINFO set;
  GUID cls;
  // The interface last enumerated, so that its detail is asked for without enumerating
  // it again.
  bool haveInterface = false;
  std::uint32_t index = 0;
  SP_DEVICE_INTERFACE_DATA data{};

  const SP_DEVICE_INTERFACE_DATA* Interface(std::uint32_t wanted) {
    if (haveInterface && index == wanted) return &data;
    haveInterface = false;
    data = {};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &cls, wanted, &data)) return nullptr;
    haveInterface = true;
    index = wanted;
    return &data;
  }
};

SetupDiDriverBus::SetupDiDriverBus() = default;

SetupDiDriverBus::~SetupDiDriverBus() {
  for (auto& [number, listing] : listings_) SetupDiDestroyDeviceInfoList(listing->set);
}

SetupDiDriverBus::Listing* SetupDiDriverBus::Find(InterfaceSet set) {
  const auto found = listings_.find(set);
  return found == listings_.end() ? nullptr : found->second.get();
}

InterfaceSet SetupDiDriverBus::GetInterfaces(const InterfaceClass& cls) {
  const GUID guid = ToGuid(cls);
  const HDEVINFO set = SetupDiGetClassDevsA(&guid, nullptr, nullptr, kPresentInterfaces);
  if (set == INVALID_HANDLE_VALUE) return kInvalidInterfaceSet;
  const InterfaceSet number = nextSet_++;
  listings_[number] = std::make_unique<Listing>(Listing{set, guid});
  return number;
}

EnumResult SetupDiDriverBus::EnumInterface(InterfaceSet set, std::uint32_t index) {
  Listing* listing = Find(set);
  if (!listing) return EnumResult::kFailed;
  listing->haveInterface = false;  // always asked again: the caller wants this answer
  if (listing->Interface(index)) return EnumResult::kFound;
  return GetLastError() == ERROR_NO_MORE_ITEMS ? EnumResult::kNoMoreItems : EnumResult::kFailed;
}

std::size_t SetupDiDriverBus::InterfacePathSize(InterfaceSet set, std::uint32_t index) {
  Listing* listing = Find(set);
  const SP_DEVICE_INTERFACE_DATA* data = listing ? listing->Interface(index) : nullptr;
  if (!data) return 0;
  // Without a buffer this fails with ERROR_INSUFFICIENT_BUFFER and gives the size of the
  // whole detail record; the caller judges the size.
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailA(listing->set, const_cast<SP_DEVICE_INTERFACE_DATA*>(data),
                                   nullptr, 0, &required, nullptr);
  return required > kPathOffset ? required - kPathOffset : 0;
}

bool SetupDiDriverBus::InterfacePath(InterfaceSet set, std::uint32_t index, char* path,
                                     std::size_t size) {
  Listing* listing = Find(set);
  const SP_DEVICE_INTERFACE_DATA* data = listing ? listing->Interface(index) : nullptr;
  if (!data || size == 0) return false;
  // The record of the size the first request gave, aligned for its size field.
  const std::size_t recordSize = kPathOffset + size;
  std::vector<DWORD> storage((recordSize + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
  // The size of the record's fixed part, as the installer checks it: 8 in a 64-bit
  // process, 5 in a 32-bit one.
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(listing->set, const_cast<SP_DEVICE_INTERFACE_DATA*>(data),
                                        detail, static_cast<DWORD>(recordSize), nullptr, nullptr)) {
    return false;
  }
  const std::size_t length = strnlen(detail->DevicePath, size);
  if (length == size) return false;  // no terminator inside the record
  std::memcpy(path, detail->DevicePath, length + 1);
  return true;
}

void SetupDiDriverBus::ReleaseInterfaces(InterfaceSet set) {
  const auto found = listings_.find(set);
  if (found == listings_.end()) return;
  SetupDiDestroyDeviceInfoList(found->second->set);
  listings_.erase(found);
}

DeviceHandle SetupDiDriverBus::OpenDevice(const char* path) {
  const HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
  return handle == INVALID_HANDLE_VALUE ? kInvalidDevice : ToDevice(handle);
}

bool SetupDiDriverBus::Request(DeviceHandle device, std::uint32_t code, std::uint8_t* buffer,
                               std::uint32_t length) {
  DWORD returned = 0;
  return DeviceIoControl(ToHandle(device), code, buffer, length, buffer, length, &returned,
                         nullptr) != 0;
}

bool SetupDiDriverBus::CloseDevice(DeviceHandle device) { return CloseHandle(ToHandle(device)) != 0; }

}  // namespace corvane
