// Records of any length and content, under any control code, as the uinput bus reads
// them: parsing never reads outside the record, and what it accepts is in range.
#include <cstdlib>
#include <cstring>

#include "fuzz_checks.h"
#include "platform/linux/uinput_requests.h"

namespace corvane::fuzz {

const char* CheckUinputRequest(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return nullptr;
  std::uint32_t code;
  std::memcpy(&code, data, 4);
  // Half of the inputs use one of the four real codes, so the parsers behind them are reached.
  static constexpr std::uint32_t kCodes[] = {0x2A0000, 0x2A0004, 0x2A0008, 0x2A2004};
  if (code & 0x80000000u) code = kCodes[code & 3];
  // A copy of exactly the record's length, so any read past it is caught.
  const std::size_t length = size - 4;
  auto* record = static_cast<std::uint8_t*>(std::malloc(length ? length : 1));
  if (length) std::memcpy(record, data + 4, length);
  const auto request = uinput::ParseRequest(code, record, length);
  std::free(record);
  using uinput::RequestKind;
  if (request.kind == RequestKind::kExpose) {
    if (request.axes < 0 || request.axes > 6 || request.buttons < 0 || request.buttons > 10) {
      return "an accepted expose request names at most 6 axes and 10 buttons";
    }
  }
  if (request.kind == RequestKind::kSetState) {
    input_event events[uinput::kMaxStateEvents];
    const int n = uinput::BuildStateEvents(request, 6, 10, events);
    if (n != uinput::kMaxStateEvents) return "a state request becomes every axis and button event";
    for (std::uint8_t b : request.buttonValues) {
      if (b > 1) return "button values are 0 or 1";
    }
  }
  return nullptr;
}

}  // namespace corvane::fuzz
