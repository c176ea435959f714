// Measures the program's CPU load while it captures and decodes: the property window
// shown on a page, a generated PCM1024 signal arriving in 1000-sample buffers at the
// real rate of 48 000 samples a second, the 10 ms timer and the monitor's repaints
// running. Prints the CPU time as a share of one core.
//
//   corvane_cpu_load [SECONDS] [PAGE] [SWEEP]
//   PAGE 0 = Input with the monitor, 1 = TX with the bars; SWEEP 1 moves every channel
//   through its travel, 0 holds them still.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "siggen/signal_generator.h"
#include "window/form_rig.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  const int page = argc > 2 ? std::atoi(argv[2]) : 0;
  const bool sweep = argc > 3 && std::atoi(argv[3]) != 0;

  corvane::Rig rig;
  rig.bus.interfaces = {{"/dev/joystick-bus"}};
  rig.form.FormCreate();
  rig.form.PropertyClick();
  rig.Find<QTabWidget>("PageControl")->setCurrentIndex(page);
  QTest::mouseClick(rig.Button("ButtonStart"), Qt::LeftButton);

  corvane::siggen::Pcm1024Settings signal;
  signal.sweep = sweep;
  signal.positions = {100, 200, 300, 400, 600, 700, 800, 900};
  corvane::siggen::Impairments impairments;
  impairments.snrDb = 30;
  corvane::siggen::SignalGenerator generator(signal, impairments);
  std::int16_t samples[1000];

  QElapsedTimer clock;
  clock.start();
  long buffers = 0;
  QTimer feed;
  feed.setTimerType(Qt::PreciseTimer);
  // One buffer every 1000/48 ms: catch up with the clock at every tick.
  QObject::connect(&feed, &QTimer::timeout, [&] {
    while (buffers * 1000 < clock.nsecsElapsed() * 48 / 1'000'000) {
      generator.Generate(samples, 1000);
      rig.form.Form().OnWaveInData(rig.device.Fill(samples, sizeof samples));
      ++buffers;
    }
  });
  feed.start(20);  // about as often as a capture device wakes the program
  QTimer::singleShot(500, [&] {  // past start-up: measure the steady state only
    const double cpu0 = CpuSeconds();
    const qint64 wall0 = clock.nsecsElapsed();
    const long buffers0 = buffers;
    QTimer::singleShot(static_cast<int>(seconds * 1000), [&, cpu0, wall0, buffers0] {
      const double cpu = CpuSeconds() - cpu0;
      const double wall = static_cast<double>(clock.nsecsElapsed() - wall0) / 1e9;
      std::printf("%s page, %s, %.1f s: %ld buffers (%.1f/s), %ld reports, CPU %.3f s = %.2f %% of one core\n",
                  page == 0 ? "Input" : "TX", sweep ? "channels sweeping" : "channels still", wall, buffers - buffers0,
                  static_cast<double>(buffers - buffers0) / wall,
                  static_cast<long>(rig.bus.requests.size()), cpu, 100.0 * cpu / wall);
      app.quit();
    });
  });
  return app.exec();
}
