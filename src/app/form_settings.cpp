// Loading and storing the settings of the property window.

#include <span>
#include <string>
#include <vector>

#include "app/form_corvane.h"
#include "app/registry.h"
#include "audio/mixer.h"

namespace corvane {

namespace {

// The store takes the key path without its leading backslash.
constexpr std::string_view kSettingsSubkey = kSettingsKey.substr(1);

std::int32_t IntegerOr(RegistryKey& key, std::string_view name, std::int32_t fallback) {
  return key.ValueExists(name) ? key.ReadInteger(name) : fallback;
}

void AddItems(FormView& view, FormControl list, const std::vector<std::string>& names) {
  for (const std::string& name : names) view.AddItem(list, name);
}

}  // namespace

void TFormCorvane::WriteSetting() {
  RegistryKey key(store_);
  key.OpenForWriting(kSettingsRoot, kSettingsSubkey);  // a failed open fails the first write
  key.WriteInteger("InputDevice", view_.ItemIndex(FormControl::ComboBoxDevice));
  key.WriteInteger("InputPort", view_.ItemIndex(FormControl::ComboBoxPort));
  key.WriteInteger("InputVolume", view_.SliderPosition());
  key.WriteInteger("InputAutoStart", view_.Checked(FormControl::CheckBoxAutoStart) ? 1 : 0);
  key.WriteInteger("InputMode", view_.ItemIndex(FormControl::ComboBoxMode));
  key.WriteBinary("Mapping", map_);
}

// Loads the settings into the controls and puts them in force: lists and selects the
// source on the mixer, applies level, mode and map, and presses Start when auto-start
// is stored. Stored indices go to the lists unchecked; every later step reads the index
// back from its list, so an index a list does not hold reads as -1.
void TFormCorvane::ReadSetting() {
  RegistryKey key(store_);
  key.OpenForReading(kSettingsRoot, kSettingsSubkey);  // no key: every value takes its default

  std::vector<std::string> names;
  view_.ClearItems(FormControl::ComboBoxDevice);
  ListInputDevices(mixer_, names);
  AddItems(view_, FormControl::ComboBoxDevice, names);
  view_.SetItemIndex(FormControl::ComboBoxDevice, IntegerOr(key, "InputDevice", 0));

  names.clear();
  view_.ClearItems(FormControl::ComboBoxPort);
  ListInputPorts(mixer_, view_.ItemIndex(FormControl::ComboBoxDevice), names);
  AddItems(view_, FormControl::ComboBoxPort, names);
  view_.SetItemIndex(FormControl::ComboBoxPort, IntegerOr(key, "InputPort", 0));

  SelectSource(*receiver_, mixer_, view_.ItemIndex(FormControl::ComboBoxDevice),
               view_.ItemIndex(FormControl::ComboBoxPort));
  // The slider clamps to 0 … 65535; a change of its position applies the mixer too.
  SetSliderFromCode(IntegerOr(key, "InputVolume", 0));
  ApplyMixer(*receiver_, mixer_, view_.SliderPosition());

  view_.SetItemIndex(FormControl::ComboBoxMode, IntegerOr(key, "InputMode", 0));
  receiver_->Mode = view_.ItemIndex(FormControl::ComboBoxMode);

  if (key.ValueExists("Mapping")) {
    key.ReadBinary("Mapping", std::span(map_));  // a shorter value replaces only its leading bytes
  } else {
    map_ = kDefaultChannelMap;
  }
  // Through the ten map controls: the lists take their bytes; a check box whose state
  // changes writes 0 or 1 into its byte, one that stays writes nothing.
  for (std::size_t i = 0; i < 8; ++i) view_.SetItemIndex(kMapControls[i], map_[i]);
  for (std::size_t i = 8; i < kMapControls.size(); ++i) SetMapCheckFromCode(kMapControls[i], map_[i] != 0);

  view_.SetChecked(FormControl::CheckBoxAutoStart, IntegerOr(key, "InputAutoStart", 0) != 0);
  if (view_.Checked(FormControl::CheckBoxAutoStart)) ButtonStartClick();
}

}  // namespace corvane
