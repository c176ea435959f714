#pragma once
// The property window over faked platform objects: a scripted capture device, the
// example sound card, a recording driver bus and an in-memory settings key.

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <initializer_list>
#include <string>

#include "app/qt/form_window.h"
#include "app/registry.h"
#include "fakes/fake_audio_device.h"
#include "fakes/fake_driver_bus.h"
#include "fakes/fake_key_store.h"
#include "fakes/fake_mixer_device.h"

namespace corvane {

// Keeps the error boxes' texts instead of showing them.
class TestForm : public TFormWindow {
 public:
  using TFormWindow::TFormWindow;
  QStringList errors;

 public:
  void ShowError(std::string_view message) override {
    errors << QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  }
};

struct Rig {
  Rig() { mixer.devices = {testing::ExampleCard()}; }

  testing::FakeAudioDevice device;
  testing::FakeMixerDevice mixer;
  testing::FakeDriverBus bus;
  testing::FakeKeyStore store;
  TestForm form{FormPlatform{device, mixer, bus, store}};

  // The values stored under the settings key.
  testing::FakeKeyStore::Values& Stored() {
    return store.keys[testing::FakeKeyStore::Path(kSettingsRoot, kSettingsKey.substr(1))];
  }
  void Store(const std::string& name, ValueType type, std::initializer_list<std::uint8_t> data) {
    Stored()[name] = {type, data};
  }
  void StoreInteger(const std::string& name, std::uint32_t value) {
    Store(name, kRegDword,
          {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
           static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
  }

  template <class Control = QWidget>
  Control* Find(const char* name) {
    auto* control = form.findChild<Control*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("no control %s", name);
    return control;
  }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
  QSystemTrayIcon* Tray() { return Find<QSystemTrayIcon>("TrayIcon"); }
  QTimer* Timer() { return Find<QTimer>("Timer"); }
  QAction* MenuItem(const char* text) {
    for (QAction* item : Find<QMenu>("PopupMenu")->actions()) {
      if (item->text() == QLatin1String(text)) return item;
    }
    qFatal("no menu item %s", text);
  }
};

}  // namespace corvane
