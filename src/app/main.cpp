// Process entry of the tray program: one instance per user, raised priority, the
// property window created hidden, then the event loop until "Exit".

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/form_corvane.h"
#include "app/process_priority.h"
#include "app/single_instance.h"
#include "platform/linux/alsa_audio_device.h"
#include "platform/linux/alsa_mixer_device.h"
#include "platform/linux/file_key_store.h"
#include "platform/linux/stop_signals.h"
#include "platform/linux/uinput_access.h"
#include "platform/linux/uinput_bus.h"
#include "version/version_option.h"

namespace {

int Run(QApplication& app) {
  // Before anything opens a device: a second start only shows the first one's window.
  corvane::SingleInstance instance(
      QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
  if (!instance.Claim()) {
    if (instance.AskRunningToShow()) return 0;
    std::fputs("corvane: another instance holds the lock but does not answer\n", stderr);
    return 1;
  }

  // The window only hides when closed; the program ends with "Exit", not when the last
  // window (an error box, say) closes.
  app.setQuitOnLastWindowClosed(false);

  // The devices outlive the window, which stops and closes them as it goes.
  corvane::AlsaAudioDevice audio;
  corvane::AlsaMixerDevice mixer;
  corvane::UinputBus bus;
  corvane::FileKeyStore store(corvane::DefaultRegistryFilePath());
  corvane::CheckUinputAccess();  // one line on stderr when there can be no joystick
  corvane::TFormCorvane form(corvane::FormPlatform{audio, mixer, bus, store});
  QObject::connect(&instance, &corvane::SingleInstance::ShowRequested, &form,
                   &corvane::TFormCorvane::PropertyClick);
  QObject::connect(&form, &corvane::TFormCorvane::Ended, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  // SIGINT and SIGTERM (a session ending, say) end the program as "Exit" does: the
  // joystick removed and the mixer given back what it held before.
  std::unique_ptr<QSocketNotifier> stopSignal;
  if (std::string error; corvane::InstallStopSignals(error)) {
    stopSignal = std::make_unique<QSocketNotifier>(corvane::StopSignalFd(), QSocketNotifier::Read);
    QObject::connect(stopSignal.get(), &QSocketNotifier::activated, &form,
                     &corvane::TFormCorvane::ExitClick);
  } else {
    std::fprintf(stderr, "corvane: %s\n", error.c_str());
  }
  form.FormCreate();
  return app.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before Qt, which needs a display.
  if (corvane::PrintVersionIfAsked("corvane", argc, argv)) return 0;
  corvane::RaiseProcessPriority();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("corvane"));
  try {
    return Run(app);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "corvane: %s\n", error.what());
    QMessageBox::critical(nullptr, QStringLiteral("Corvane"), QString::fromUtf8(error.what()));
    return 1;
  }
}
