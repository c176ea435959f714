// Measures how long after its last sample was recorded each capture buffer is announced,
// from ALSA's status (a card's timestamps, a sound server's delay estimate), and how often
// the capture wakes and how much of a core its thread takes, while the program's capture
// path records the default device. On a card that records in real time, in the VM:
//   tests/system/run-in-vm -q -audiodev -q none,id=snd0 -q -device -q AC97,audiodev=snd0
//     -m snd-intel8x0 -- build/tests/system/corvane_capture_delay [SECONDS [PERIOD_FRAMES [LIMIT_MS]]]
// or through a sound server of tests/support/sound_servers.sh. With LIMIT_MS it is a test:
// it fails when the 95th percentile of the delays passes LIMIT_MS, or when the capture
// wakes more than twice for each period or buffer.
#include <QCoreApplication>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/capture.h"
#include "decode/signal_path.h"
#include "platform/linux/alsa_audio_device.h"

namespace {

using namespace corvane;

struct DelayRecorder : WaveInListener {
  TInputControl* receiver = nullptr;
  AlsaAudioDevice* device = nullptr;
  SignalPath path;
  std::vector<double> milliseconds;
  void OnWaveInData(WaveHeader* header) override {
    const auto delay = device->LastDelay().count();
    if (receiver->Running && header->bytesRecorded == header->bufferLength && delay >= 0) {
      milliseconds.push_back(static_cast<double>(delay) / 1000.0);
    }
    ProcessBuffer(*receiver, *device, path, header);
  }
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Percentile(const std::vector<double>& sorted, double p) {
  const auto index = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[index];
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
  const unsigned long period = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : AlsaAudioDevice::kPeriodFrames;
  const double limitMilliseconds = argc > 3 ? std::atof(argv[3]) : 0;
  QCoreApplication app(argc, argv);
  AlsaAudioDevice device("default", std::chrono::milliseconds(1500), period);
  device.MeasureDelays();
  auto receiver = CreateInputControl();
  DelayRecorder recorder;
  recorder.receiver = receiver.get();
  recorder.device = &device;
  StartInput(*receiver, device, &recorder);
  if (!device.LastError().empty()) {
    std::fprintf(stderr, "%s\n", device.LastError().c_str());
    return 1;
  }
  unsigned long grantedPeriod = 0, grantedBuffer = 0;
  device.Granted(grantedPeriod, grantedBuffer);
  const double threadCpuBefore = CpuSeconds(RUSAGE_THREAD);
  const double processCpuBefore = CpuSeconds(RUSAGE_SELF);
  const auto started = std::chrono::steady_clock::now();
  QTimer::singleShot(seconds * 1000, &app, [&] { app.quit(); });
  app.exec();
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const double threadCpu = CpuSeconds(RUSAGE_THREAD) - threadCpuBefore;
  const double processCpu = CpuSeconds(RUSAGE_SELF) - processCpuBefore;
  const AlsaAudioDevice::Wakeups wakeups = device.CountedWakeups();
  StopInput(*receiver, device);
  ReleasePendingBuffers(*receiver);

  std::vector<double> delays = recorder.milliseconds;
  std::sort(delays.begin(), delays.end());
  // A sound server's plugin may give no delay estimate for a while (PulseAudio before its
  // first latency update): the wake-ups are still worth reporting.
  if (delays.empty()) {
    std::printf("period %lu frames, buffer %lu frames asked %lu; no buffer's delay was measured in %d s\n",
                grantedPeriod, grantedBuffer, period, seconds);
  } else {
    std::printf(
        "period %lu frames, buffer %lu frames asked %lu; %zu buffers in %d s: delay p50 %.2f ms, "
        "p95 %.2f ms, max %.2f ms\n",
        grantedPeriod, grantedBuffer, period, delays.size(), seconds, Percentile(delays, 0.5),
        Percentile(delays, 0.95), delays.back());
  }
  std::printf(
      "wakeups %.1f/s (period rate %.1f/s), %lu of %lu empty, %lu by the fill timer; capture thread %.2f %% "
      "of a core, process %.2f %%\n",
      static_cast<double>(wakeups.all) / elapsed, 48000.0 / static_cast<double>(grantedPeriod), wakeups.empty,
      wakeups.all, wakeups.timed, 100 * threadCpu / elapsed, 100 * processCpu / elapsed);
  if (limitMilliseconds <= 0) return 0;
  const double announcements = std::max(48000.0 / static_cast<double>(grantedPeriod), 48.0) * elapsed;
  if (delays.empty() || Percentile(delays, 0.95) > limitMilliseconds) {
    std::printf("FAIL: the 95th percentile of the delays is over %.1f ms\n", limitMilliseconds);
    return 1;
  }
  if (static_cast<double>(wakeups.all) > 2 * announcements) {
    std::printf("FAIL: more than two wake-ups for each period or buffer\n");
    return 1;
  }
  return 0;
}
