#pragma once
// Where the result of each buffer goes: printed as a table or as JSON lines (and, as
// others are added, sent to a joystick).

#include <cstdint>
#include <cstdio>

#include "decode/input_control.h"
#include "joystick/joystick_report.h"

namespace corvane::tool {

// A buffer after which the frame-decoded flag was set.
struct DecodedBuffer {
  std::uint64_t index;      // 0-based number of the 2000-byte buffer
  double endSeconds;        // time at the end of the buffer
  const ChannelTable& table;  // as the whole buffer left it
  const JoystickReport& report;
};

struct DecodeSummary {
  std::uint64_t buffers = 0;         // buffers with at least one byte
  std::uint64_t decodedBuffers = 0;  // of those, buffers with a decoded frame
};

class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void OnDecodedBuffer(const DecodedBuffer& buffer) = 0;
  virtual void OnEnd(const DecodeSummary& summary) = 0;
};

// A readable table: time, channels 1 … 8, the report's axes and buttons; then a summary.
class TableSink : public ReportSink {
 public:
  TableSink(std::FILE* out, bool flushEachLine) : out_(out), flush_(flushEachLine) {}
  void OnDecodedBuffer(const DecodedBuffer& buffer) override;
  void OnEnd(const DecodeSummary& summary) override;

 private:
  std::FILE* out_;
  bool flush_;
  bool headerPrinted_ = false;
};

// One JSON object per line: buffer, positions, seconds, flags, report (hex).
class JsonSink : public ReportSink {
 public:
  JsonSink(std::FILE* out, bool flushEachLine) : out_(out), flush_(flushEachLine) {}
  void OnDecodedBuffer(const DecodedBuffer& buffer) override;
  void OnEnd(const DecodeSummary&) override {}

 private:
  std::FILE* out_;
  bool flush_;
};

}  // namespace corvane::tool
