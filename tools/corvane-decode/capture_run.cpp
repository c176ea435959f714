#include "corvane-decode/capture_run.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cmath>
#include <cstdio>

#include "audio/capture.h"
#include "corvane-decode/buffer_handler.h"
#include "corvane-decode/capture_watch.h"
#include "corvane-decode/stats_report.h"
#include "platform/platform.h"

namespace corvane::tool {

namespace {

// How often a change of the device's state (lost, back) is looked for, to tell the user.
constexpr int kWatchMilliseconds = 500;

}  // namespace

bool RunCapture(const DecodeOptions& options, TInputControl& receiver, SignalPath& path,
                SignalStatsCollector* stats, std::span<ReportSink* const> sinks, DecodeSummary& summary,
                std::string& error) {
  int argc = 1;
  char name[] = "corvane-decode";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);

  const auto captureDevice = CreateAudioDevice();
  SystemAudioDevice& device = *captureDevice;
  BufferHandler handler(receiver, device, path, options.map, sinks);
  auto end = [&] {
    StopInput(receiver, device);
    app.quit();
  };

  QSocketNotifier stopSignal(StopSignalFd(), QSocketNotifier::Read);
  QObject::connect(&stopSignal, &QSocketNotifier::activated, &app, [&] {
    stopSignal.setEnabled(false);  // the byte stays in the pipe: once is enough
    end();
  });
  QTimer limit;
  if (options.seconds > 0) {
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    limit.setInterval(static_cast<int>(std::lround(options.seconds * 1000)));
    QObject::connect(&limit, &QTimer::timeout, &app, end);
  }

  StartInput(receiver, device, &handler);
  const std::string told = device.LastError();
  const bool opened = told.empty();
  if (!opened && !options.wait) {
    error = told + " (--wait keeps trying)";
  } else {
    if (!opened) std::fprintf(stderr, "corvane-decode: %s; trying again every 1.5 s\n", told.c_str());
    // Tell once when the device goes away or comes back. The ALSA backend opens a missing
    // card again by itself at the same interval, so the watch's retries are left to it.
    CaptureWatch watcher(told, CaptureWatch::Clock::now());
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
      const CaptureWatch::Step step = watcher.Look(device.LastError(), CaptureWatch::Clock::now());
      if (!step.tell.empty()) std::fprintf(stderr, "%s\n", step.tell.c_str());
    });
    watch.start(kWatchMilliseconds);
    // --stats: what the last seconds carried, while the user changes cable or level.
    QTimer statsLine;
    QObject::connect(&statsLine, &QTimer::timeout, &app,
                     [&] { PrintStatsLine(stderr, stats->TakeInterval(), receiver.Mode); });
    if (stats != nullptr) statsLine.start(kStatsLineMilliseconds);
    if (options.seconds > 0) limit.start();
    app.exec();
  }

  // The buffers handed back by the stop are freed here; their announcements, never
  // handled now, go with the device.
  StopInput(receiver, device);
  ReleasePendingBuffers(receiver);
  summary = handler.Summary();
  return opened || options.wait;
}

}  // namespace corvane::tool
