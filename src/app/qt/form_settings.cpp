// Loading and storing the settings of the property window.

#include <QCheckBox>
#include <QComboBox>
#include <span>

#include "app/qt/form_window.h"
#include "app/registry.h"
#include "app/qt/slider.h"
#include "audio/mixer.h"

namespace corvane {

namespace {

// The store takes the key path without its leading backslash.
constexpr std::string_view kSettingsSubkey = kSettingsKey.substr(1);

std::int32_t IntegerOr(RegistryKey& key, std::string_view name, std::int32_t fallback) {
  return key.ValueExists(name) ? key.ReadInteger(name) : fallback;
}

}  // namespace

void TFormWindow::WriteSetting() {
  RegistryKey key(store_);
  key.OpenForWriting(kSettingsRoot, kSettingsSubkey);  // a failed open fails the first write
  key.WriteInteger("InputDevice", ComboBoxDevice->currentIndex());
  key.WriteInteger("InputPort", ComboBoxPort->currentIndex());
  key.WriteInteger("InputVolume", SliderVolume->value());
  key.WriteInteger("InputAutoStart", CheckBoxAutoStart->isChecked() ? 1 : 0);
  key.WriteInteger("InputMode", ComboBoxMode->currentIndex());
  key.WriteBinary("Mapping", map_);
}

// Loads the settings into the controls and puts them in force: lists and selects the
// source on the mixer, applies level, mode and map, and presses Start when auto-start
// is stored. Stored indices go to the lists unchecked; every later step reads the index
// back from its list, so an index a list does not hold reads as -1.
void TFormWindow::ReadSetting() {
  RegistryKey key(store_);
  key.OpenForReading(kSettingsRoot, kSettingsSubkey);  // no key: every value takes its default

  std::vector<std::string> names;
  ComboBoxDevice->clear();
  ListInputDevices(mixer_, names);
  AddItems(ComboBoxDevice, names);
  ComboBoxDevice->setCurrentIndex(IntegerOr(key, "InputDevice", 0));

  names.clear();
  ComboBoxPort->clear();
  ListInputPorts(mixer_, ComboBoxDevice->currentIndex(), names);
  AddItems(ComboBoxPort, names);
  ComboBoxPort->setCurrentIndex(IntegerOr(key, "InputPort", 0));

  SelectSource(*receiver_, mixer_, ComboBoxDevice->currentIndex(), ComboBoxPort->currentIndex());
  // The slider clamps to 0 … 65535; a change of its position applies the mixer too.
  SliderVolume->setValue(IntegerOr(key, "InputVolume", 0));
  ApplyMixer(*receiver_, mixer_, SliderVolume->value());

  ComboBoxMode->setCurrentIndex(IntegerOr(key, "InputMode", 0));
  receiver_->Mode = ComboBoxMode->currentIndex();

  if (key.ValueExists("Mapping")) {
    key.ReadBinary("Mapping", std::span(map_));  // a shorter value replaces only its leading bytes
  } else {
    map_ = kDefaultChannelMap;
  }
  for (std::size_t i = 0; i < mapBoxes_.size(); ++i) mapBoxes_[i]->setCurrentIndex(map_[i]);
  // A box whose state changes writes 0 or 1 into its map byte; one that stays writes nothing.
  CheckBoxM1->setChecked(map_[8] != 0);
  CheckBoxM2->setChecked(map_[9] != 0);

  CheckBoxAutoStart->setChecked(IntegerOr(key, "InputAutoStart", 0) != 0);
  if (CheckBoxAutoStart->isChecked()) ButtonStartClick();
}

}  // namespace corvane
