// Records of any length and content, under any control code, as the uinput bus reads
// them: parsing never reads outside the record, and what it accepts is in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/linux/uinput_requests.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t code;
  std::memcpy(&code, data, 4);
  // Half of the inputs use one of the four real codes, so the parsers behind them are reached.
  static constexpr std::uint32_t kCodes[] = {0x2A0000, 0x2A0004, 0x2A0008, 0x2A2004};
  if (code & 0x80000000u) code = kCodes[code & 3];
  // A copy of exactly the record's length, so any read past it is caught.
  const std::size_t length = size - 4;
  auto* record = static_cast<std::uint8_t*>(std::malloc(length ? length : 1));
  if (length) std::memcpy(record, data + 4, length);
  const auto request = corvane::uinput::ParseRequest(code, record, length);
  std::free(record);
  using corvane::uinput::RequestKind;
  if (request.kind == RequestKind::kExpose) {
    if (request.axes < 0 || request.axes > 6 || request.buttons < 0 || request.buttons > 10) std::abort();
  }
  if (request.kind == RequestKind::kSetState) {
    input_event events[corvane::uinput::kMaxStateEvents];
    const int n = corvane::uinput::BuildStateEvents(request, 6, 10, events);
    if (n != corvane::uinput::kMaxStateEvents) std::abort();
    for (std::uint8_t b : request.buttonValues) {
      if (b > 1) std::abort();
    }
  }
  return 0;
}
