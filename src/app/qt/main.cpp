// Process entry of the tray program: one instance per user, raised priority, the
// property window created hidden, then the event loop until "Exit".

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/qt/form_window.h"
#include "platform/platform.h"
#include "version/version_option.h"

namespace {

int Run(QApplication& app) {
  // Before anything opens a device: a second start only shows the first one's window.
  corvane::TFormWindow* shown = nullptr;
  const auto instance = corvane::CreateSingleInstance([&shown] {
    if (shown != nullptr) shown->PropertyClick();
  });
  if (!instance->Claim()) {
    if (instance->AskRunningToShow()) return 0;
    std::fputs("corvane: another instance holds the lock but does not answer\n", stderr);
    return 1;
  }

  // The window only hides when closed; the program ends with "Exit", not when the last
  // window (an error box, say) closes.
  app.setQuitOnLastWindowClosed(false);

  // The devices outlive the window, which stops and closes them as it goes.
  const auto audio = corvane::CreateAudioDevice();
  const auto mixer = corvane::CreateMixerDevice();
  const std::string joystickDevice = corvane::DefaultJoystickDevice();
  const auto bus = corvane::CreateDriverBus(joystickDevice);
  const auto store = corvane::CreateKeyStore();
  // One line on stderr when there can be no joystick.
  corvane::CheckJoystickAccess(joystickDevice, stderr);
  corvane::TFormWindow form(corvane::FormPlatform{*audio, *mixer, *bus, *store});
  shown = &form;
  QObject::connect(&form, &corvane::TFormWindow::Ended, &app, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  // SIGINT and SIGTERM (a session ending, say) end the program as "Exit" does: the
  // joystick removed and the mixer given back what it held before.
  std::unique_ptr<QSocketNotifier> stopSignal;
  if (std::string error; corvane::InstallStopSignals(error)) {
    stopSignal = std::make_unique<QSocketNotifier>(corvane::StopSignalFd(), QSocketNotifier::Read);
    QObject::connect(stopSignal.get(), &QSocketNotifier::activated, &form,
                     &corvane::TFormWindow::ExitClick);
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
