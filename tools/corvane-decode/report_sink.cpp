#include "corvane-decode/report_sink.h"

#include "platform/little_endian.h"

namespace corvane::tool {

namespace {

std::int32_t Axis(const JoystickReport& report, int axis) {
  const std::size_t at = static_cast<std::size_t>(4 * axis);
  return static_cast<std::int32_t>(GetLe32(&report[at]));
}

void PrintArray(std::FILE* out, const char* key, const std::int32_t (&values)[kChannelSlots]) {
  std::fprintf(out, ", \"%s\": [", key);
  for (int i = 0; i < kChannelSlots; ++i) std::fprintf(out, i == 0 ? "%d" : ", %d", values[i]);
  std::fputc(']', out);
}

}  // namespace

void TableSink::OnDecodedBuffer(const DecodedBuffer& b) {
  if (!headerPrinted_) {
    std::fprintf(out_, "%9s %5s %5s %5s %5s %5s %5s %5s %5s  %-35s %s\n", "time/s", "Ch.1", "Ch.2", "Ch.3",
                 "Ch.4", "Ch.5", "Ch.6", "Ch.7", "Ch.8", "axes 1-6", "buttons 1-10");
    headerPrinted_ = true;
  }
  std::fprintf(out_, "%9.3f", b.endSeconds);
  for (int i = 0; i < 8; ++i) std::fprintf(out_, " %5d", b.table.positions[i]);
  std::fputs(" ", out_);
  for (int axis = 0; axis < 6; ++axis) std::fprintf(out_, " %5d", Axis(b.report, axis));
  std::fputs("  ", out_);
  for (std::size_t button = 26; button < kJoystickReportSize; ++button) std::fputc('0' + (b.report[button] & 1), out_);
  std::fputc('\n', out_);
  if (flush_) std::fflush(out_);
}

void TableSink::OnEnd(const DecodeSummary& s) {
  std::fprintf(out_, "%llu buffers read, %llu with a decoded frame\n", static_cast<unsigned long long>(s.buffers),
               static_cast<unsigned long long>(s.decodedBuffers));
  std::fflush(out_);
}

void JsonSink::OnDecodedBuffer(const DecodedBuffer& b) {
  std::fprintf(out_, "{\"buffer\": %llu", static_cast<unsigned long long>(b.index));
  PrintArray(out_, "positions", b.table.positions);
  PrintArray(out_, "seconds", b.table.secondValues);
  PrintArray(out_, "flags", b.table.flags);
  std::fputs(", \"report\": \"", out_);
  for (std::uint8_t byte : b.report) std::fprintf(out_, "%02x", static_cast<unsigned>(byte));
  std::fputs("\"}\n", out_);
  if (flush_) std::fflush(out_);
}

}  // namespace corvane::tool
