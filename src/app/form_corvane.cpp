#include "app/form_corvane.h"

#include <exception>
#include <string>
#include <vector>

#include "app/wave_in_data.h"
#include "audio/capture.h"
#include "audio/destroy_input_control.h"
#include "audio/mixer.h"

namespace corvane {

namespace {

constexpr std::int32_t kSliderMinimum = 0;
constexpr std::int32_t kSliderMaximum = 65535;

// Appends what a mixer listing gave to a list, keeping its order.
void AddItems(FormView& view, FormControl list, const std::vector<std::string>& names) {
  for (const std::string& name : names) view.AddItem(list, name);
}

}  // namespace

TFormCorvane::TFormCorvane(FormView& view, const FormPlatform& platform)
    : view_(view), audio_(platform.audio), mixer_(platform.mixer), bus_(platform.bus),
      store_(platform.store) {}

TFormCorvane::~TFormCorvane() { FormDestroy(); }

template <class Action>
void TFormCorvane::Guarded(Action action) {
  try {
    action();
  } catch (const std::exception& error) {
    view_.ShowError(error.what());
  }
}

void TFormCorvane::FormCreate() {
  joystick_ = std::make_unique<TKestrovan>(bus_);
  receiver_ = CreateInputControl();
  // Item k of a map list stands for channel position k, whatever the lists held before.
  for (std::size_t i = 0; i < 8; ++i) {
    view_.ClearItems(kMapControls[i]);
    for (int channel = 1; channel <= 8; ++channel) {
      view_.AddItem(kMapControls[i], "Ch." + std::to_string(channel));
    }
  }
  OpenJoystick();
  try {
    ReadSetting();
  } catch (const std::exception& error) {
    // The program runs on without its tray icon; a second start shows the window.
    view_.ShowError(error.what());
    return;
  }
  view_.AddTaskIcon();
}

void TFormCorvane::FormDestroy() {
  // The joystick goes first (removed, its device closed), then the receiver (input
  // stopped, the mixer given back what it held before).
  joystick_.reset();
  DestroyInputControl(receiver_, audio_, mixer_);
}

void TFormCorvane::OpenJoystick() {
  // Neither failure is reported: without a joystick the program runs on, and reports go
  // out whenever the device is open, also when exposing failed.
  if (joystick_->Open()) joystick_->Expose();
}

// Tray icon, menu and closing.

void TFormCorvane::OnTaskIconMessage(std::uint32_t mouseMessage) {
  // Only the right button opens the menu; left clicks and double clicks do nothing.
  if (mouseMessage != kTrayRightButtonDown) return;
  view_.PopupMenu();
}

void TFormCorvane::PropertyClick() { view_.ShowWindow(); }

void TFormCorvane::ExitClick() {
  view_.HideWindow();
  view_.CloseWindow();
}

bool TFormCorvane::FormCloseQuery() {
  // A visible window only hides, as long as a tray icon can bring it back; closing the
  // hidden window ends the program.
  if (view_.WindowVisible() && view_.TrayAvailable()) {
    view_.HideWindow();
    return false;
  }
  return true;
}

void TFormCorvane::FormClose() {
  view_.DelTaskIcon();
  view_.EnableTimer(false);
}

// Buttons.

void TFormCorvane::ButtonStartClick() {
  // The caption and the timer follow the toggle whatever the device did.
  if (receiver_->Running) {
    StopInput(*receiver_, audio_);
    view_.EnableTimer(false);
    view_.SetCaption(FormControl::ButtonStart, "Start");
  } else {
    StartInput(*receiver_, audio_, this);
    view_.EnableTimer(true);
    view_.SetCaption(FormControl::ButtonStart, "Stop");
  }
}

// A failed store or load leaves the window open.
void TFormCorvane::ButtonOKClick() {
  Guarded([this] {
    WriteSetting();
    view_.CloseWindow();
  });
}

void TFormCorvane::ButtonCancelClick() {
  Guarded([this] {
    ReadSetting();
    view_.CloseWindow();
  });
}

void TFormCorvane::ButtonApplyClick() {
  Guarded([this] { WriteSetting(); });
}

// Input page: the device chooses whose mixer is driven, the port its recording source.

void TFormCorvane::ComboBoxDeviceChange() {
  view_.ClearItems(FormControl::ComboBoxPort);
  std::vector<std::string> names;
  ListInputPorts(mixer_, view_.ItemIndex(FormControl::ComboBoxDevice), names);
  AddItems(view_, FormControl::ComboBoxPort, names);
  view_.SetItemIndex(FormControl::ComboBoxPort, 0);
  ComboBoxPortChange();
}

void TFormCorvane::ComboBoxPortChange() {
  SelectSource(*receiver_, mixer_, view_.ItemIndex(FormControl::ComboBoxDevice),
               view_.ItemIndex(FormControl::ComboBoxPort));
  // No volume control (-1) puts the slider at 0. The mixer is applied once more in any
  // case, after the change handler of a moved slider.
  SetSliderFromCode(ReadVolume(*receiver_, mixer_));
  ApplyMixer(*receiver_, mixer_, view_.SliderPosition());
}

void TFormCorvane::VolumeChange() { ApplyMixer(*receiver_, mixer_, view_.SliderPosition()); }

void TFormCorvane::SetSliderFromCode(std::int32_t position) {
  const std::int32_t clamped =
      position < kSliderMinimum ? kSliderMinimum : (position > kSliderMaximum ? kSliderMaximum : position);
  const int before = view_.SliderPosition();
  view_.SetSliderPosition(clamped);
  if (view_.SliderPosition() != before) VolumeChange();
}

// TX and Mapping pages.

void TFormCorvane::ComboBoxModeChange() { receiver_->Mode = view_.ItemIndex(FormControl::ComboBoxMode); }

namespace {

// The map byte a map control edits: its place in kMapControls; the array's size for any
// other control.
std::size_t MapByte(FormControl control) {
  std::size_t i = 0;
  while (i < TFormCorvane::kMapControls.size() && TFormCorvane::kMapControls[i] != control) ++i;
  return i;
}

}  // namespace

void TFormCorvane::OnControlEvent(const ControlLayout& row) {
  switch (row.event) {
    case FormEvent::kComboBoxDeviceChange:
      ComboBoxDeviceChange();
      return;
    case FormEvent::kComboBoxPortChange:
      ComboBoxPortChange();
      return;
    case FormEvent::kVolumeChange:
      VolumeChange();
      return;
    case FormEvent::kButtonStartClick:
      ButtonStartClick();
      return;
    case FormEvent::kComboBoxModeChange:
      ComboBoxModeChange();
      return;
    case FormEvent::kMapBoxChange:
      MapBoxChange(*row.control);
      return;
    case FormEvent::kCheckBoxMapClick:
      CheckBoxMapClick(*row.control);
      return;
    case FormEvent::kButtonOKClick:
      ButtonOKClick();
      return;
    case FormEvent::kButtonCancelClick:
      ButtonCancelClick();
      return;
    case FormEvent::kButtonApplyClick:
      ButtonApplyClick();
      return;
    case FormEvent::kOnPaintMonitor:
    case FormEvent::kNoEvent:
      return;
  }
}

// A map control's Tag in the layout is its place in kMapControls.
static_assert([] {
  for (const ControlLayout& row : kFormLayout) {
    if (row.tag >= 0 && TFormCorvane::kMapControls.at(static_cast<std::size_t>(row.tag)) != row.control) {
      return false;
    }
  }
  return true;
}());

void TFormCorvane::MapBoxChange(FormControl sender) {
  const std::size_t byte = MapByte(sender);
  if (byte < map_.size()) map_[byte] = static_cast<std::uint8_t>(view_.ItemIndex(sender));
}

void TFormCorvane::CheckBoxMapClick(FormControl sender) {
  const std::size_t byte = MapByte(sender);
  if (byte < map_.size()) map_[byte] = view_.Checked(sender) ? 1 : 0;
}

void TFormCorvane::SetMapCheckFromCode(FormControl box, bool checked) {
  if (view_.Checked(box) == checked) return;
  view_.SetChecked(box, checked);
  CheckBoxMapClick(box);
}

// Buffers.

void TFormCorvane::OnWaveInData(WaveHeader* header) {
  corvane::OnWaveInData(*receiver_, audio_, path_, *joystick_, map_, header);
}

}  // namespace corvane
