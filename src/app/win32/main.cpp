// Process entry of the tray program on Windows: one instance per user, the property window
// created hidden at above-normal priority, then the message loop until "Exit".

#include <windows.h>

#include <exception>

#include "app/win32/form_window.h"
#include "app/win32/wide_text.h"
#include "platform/platform.h"

namespace {

int Run(HINSTANCE instance) {
  // Before anything opens a device: a second start only shows the first one's window.
  corvane::TFormWindow* shown = nullptr;
  const auto instanceGuard = corvane::CreateSingleInstance([&shown] {
    if (shown != nullptr) shown->Form().PropertyClick();
  });
  if (!instanceGuard->Claim()) {
    instanceGuard->AskRunningToShow();
    return 0;
  }

  // The devices outlive the window, which stops and closes them as it goes. The window
  // makes its capture device itself: capture reports each buffer to it by a message.
  const auto mixer = corvane::CreateMixerDevice();
  const auto bus = corvane::CreateDriverBus(corvane::DefaultJoystickDevice());
  const auto store = corvane::CreateKeyStore();
  corvane::TFormWindow window(instance);
  window.CreateForm(*mixer, *bus, *store);
  shown = &window;
  // As the form's constructor does once the window is built.
  corvane::RaiseProcessPriority();
  window.Form().FormCreate();

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.TakeDialogKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  shown = nullptr;
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // An error that escapes start-up or the loop is shown in the standard box; the entry
  // returns 0 all the same.
  try {
    return Run(instance);
  } catch (const std::exception& error) {
    MessageBoxW(nullptr, corvane::Widen(error.what()).c_str(), L"Corvane", MB_OK | MB_ICONERROR);
    return 0;
  }
}
