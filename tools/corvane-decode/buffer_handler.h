#pragma once
// The program's buffer handler without the window: every announced buffer goes through
// ProcessBuffer, and a buffer that decoded a frame becomes one report for the sinks.

#include <cstdint>
#include <memory>
#include <span>

#include "audio/capture.h"
#include "corvane-decode/report_sink.h"
#include "decode/signal_path.h"
#include "joystick/joystick_report.h"
#include "platform/audio_device.h"

namespace corvane::tool {

class BufferHandler : public WaveInListener {
 public:
  BufferHandler(TInputControl& receiver, AudioDevice& device, SignalPath& path, const ChannelMap& map,
                std::span<ReportSink* const> sinks)
      : receiver_(receiver), device_(device), path_(path), map_(map), sinks_(sinks) {}

  void OnWaveInData(WaveHeader* header) override;
  const DecodeSummary& Summary() const { return summary_; }

 private:
  TInputControl& receiver_;
  AudioDevice& device_;
  SignalPath& path_;
  const ChannelMap& map_;
  std::span<ReportSink* const> sinks_;
  DecodeSummary summary_;
  std::uint64_t samples_ = 0;
};

}  // namespace corvane::tool
