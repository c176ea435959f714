// --capture on Windows: the default wave-in device through the program's capture path,
// on this thread's message loop, until Ctrl+C, the console's close or the time limit.
#include <chrono>
#include <cstdio>

#include "audio/capture.h"
#include "corvane-decode/buffer_handler.h"
#include "corvane-decode/capture_run.h"
#include "corvane-decode/capture_watch.h"
#include "corvane-decode/stats_report.h"
#include "platform/platform.h"
#include "platform/win32/message_loop.h"

namespace corvane::tool {

namespace {

using Clock = std::chrono::steady_clock;

// How often the loop looks for a stop and the time limit.
constexpr std::chrono::milliseconds kTick{10};

}  // namespace

bool RunCapture(const DecodeOptions& options, TInputControl& receiver, SignalPath& path,
                SignalStatsCollector* stats, std::span<ReportSink* const> sinks, DecodeSummary& summary,
                std::string& error) {
  const auto captureDevice = CreateAudioDevice();
  SystemAudioDevice& device = *captureDevice;
  BufferHandler handler(receiver, device, path, options.map, sinks);

  StartInput(receiver, device, &handler);
  const std::string told = device.LastError();
  const bool opened = told.empty();
  if (!opened && !options.wait) {
    error = told + " (--wait keeps trying)";
  } else {
    if (!opened) std::fprintf(stderr, "corvane-decode: %s; trying again every 1.5 s\n", told.c_str());
    const Clock::time_point start = Clock::now();
    const auto limit = std::chrono::duration<double>(options.seconds);
    CaptureWatch watcher(told, start);
    // --stats: what the last seconds carried, while the user changes cable or level.
    const auto statsEvery = std::chrono::milliseconds(kStatsLineMilliseconds);
    Clock::time_point lastStats = start;
    RunMessageLoop(kTick, [&] {
      const Clock::time_point now = Clock::now();
      if (StopRequested() || (options.seconds > 0 && now - start >= limit)) return false;
      if (stats != nullptr && now - lastStats >= statsEvery) {
        lastStats = now;
        PrintStatsLine(stderr, stats->TakeInterval(), receiver.Mode);
      }
      const CaptureWatch::Step step = watcher.Look(device.LastError(), now);
      if (!step.tell.empty()) std::fprintf(stderr, "%s\n", step.tell.c_str());
      if (step.retry) {
        // The device did not open or went away: a new start opens it anew.
        StopInput(receiver, device);
        StartInput(receiver, device, &handler);
      }
      return true;
    });
  }

  // The buffers handed back by the stop are freed here; their messages, never handled
  // now, go with the device's window.
  StopInput(receiver, device);
  ReleasePendingBuffers(receiver);
  summary = handler.Summary();
  return opened || options.wait;
}

}  // namespace corvane::tool
