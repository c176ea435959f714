#include "corvane-decode/capture_run.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cmath>
#include <cstdio>

#include "audio/capture.h"
#include "corvane-decode/buffer_handler.h"
#include "platform/platform.h"

namespace corvane::tool {

namespace {

// How often a change of the device's state (lost, back) is looked for, to tell the user.
constexpr int kWatchMilliseconds = 500;

}  // namespace

bool RunCapture(const DecodeOptions& options, TInputControl& receiver, SignalPath& path,
                std::span<ReportSink* const> sinks, DecodeSummary& summary, std::string& error) {
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
  std::string told = device.LastError();
  const bool opened = told.empty();
  if (!opened && !options.wait) {
    error = told + " (--wait keeps trying)";
  } else {
    if (!opened) std::fprintf(stderr, "corvane-decode: %s; trying again every 1.5 s\n", told.c_str());
    // Tell once when the device goes away or comes back; the backend reopens it by itself.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
      const std::string now = device.LastError();
      if (now == told) return;
      if (now.empty()) {
        std::fputs("corvane-decode: recording\n", stderr);
      } else {
        std::fprintf(stderr, "corvane-decode: %s\n", now.c_str());
      }
      told = now;
    });
    watch.start(kWatchMilliseconds);
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
