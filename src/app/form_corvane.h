#pragma once
// The property window's logic: the application's main form without a toolkit. It owns
// the joystick client and the receiver, holds the channel map and the monitor's tick
// counter, handles every captured buffer, and runs every handler of the window against
// a FormView. Everything runs on the thread that runs the window.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/form_view.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "joystick/joystick_report.h"
#include "joystick/kestrovan.h"
#include "platform/audio_device.h"
#include "platform/driver_bus.h"
#include "platform/key_store.h"
#include "platform/mixer_device.h"

namespace corvane {

// The platform objects the window drives. They belong to the caller and outlive the
// window.
struct FormPlatform {
  AudioDevice& audio;
  MixerDevice& mixer;
  DriverBus& bus;
  KeyStore& store;
};

// The Windows mouse message a tray notification carries when the right button goes down;
// only that one opens the pop-up menu.
inline constexpr std::uint32_t kTrayRightButtonDown = 0x204;

// Colours of the monitor (0x00BBGGRR).
inline constexpr std::uint32_t kMonitorBackground = 0x000000;
inline constexpr std::uint32_t kMonitorTrace = 0x00FF00;

class TFormCorvane : public WaveInListener {
 public:
  // `view` and the platform objects outlive the form.
  TFormCorvane(FormView& view, const FormPlatform& platform);
  // FormDestroy: the joystick removed and closed, then input stopped and the mixer
  // restored.
  ~TFormCorvane();
  TFormCorvane(const TFormCorvane&) = delete;
  TFormCorvane& operator=(const TFormCorvane&) = delete;

  // Creates the joystick client and the receiver, fills the map lists, opens and exposes
  // the joystick, loads the settings and adds the tray icon. Runs once, after the view
  // has built its controls. An error of the settings is shown and ends it early, before
  // the tray icon.
  void FormCreate();

  // Load and store the settings; a registry failure raises SettingsError.
  void ReadSetting();
  void WriteSetting();

  // Events of the window, called by the view. The buttons' handlers show an error the
  // settings raise in the error box and return.
  void OnWaveInData(WaveHeader* header) override;
  void OnTimer();
  // Draws the monitor, `width` × `height` pixels, from the receiver's sample copy.
  void OnPaintMonitor(MonitorCanvas& canvas, int width, int height) const;
  // `mouseMessage` is the mouse message the tray notification carries.
  void OnTaskIconMessage(std::uint32_t mouseMessage);
  void PropertyClick();
  void ExitClick();
  // Whether a close request may close the window; a visible window is hidden instead.
  bool FormCloseQuery();
  // The window closes for good: the tray icon removed and the timer stopped.
  void FormClose();

  void ButtonStartClick();
  void ButtonOKClick();
  void ButtonCancelClick();
  void ButtonApplyClick();
  void ComboBoxDeviceChange();
  void ComboBoxPortChange();
  void VolumeChange();
  void ComboBoxModeChange();
  // `sender` is one of MapBox1 … MapBox8, or CheckBoxM1 or CheckBoxM2.
  void MapBoxChange(FormControl sender);
  void CheckBoxMapClick(FormControl sender);
  // Runs the handler of a control's event, as its row of kFormLayout names it; the paint
  // box's is OnPaintMonitor, which the view calls with its canvas.
  void OnControlEvent(const ControlLayout& row);

  // The receiver exists from FormCreate on.
  TInputControl& Receiver() { return *receiver_; }
  const ChannelMap& Map() const { return map_; }

  // ProgressBar1 … ProgressBar8, in channel order.
  static constexpr std::array<FormControl, 8> kChannelBars = {
      FormControl::ProgressBar1, FormControl::ProgressBar2, FormControl::ProgressBar3,
      FormControl::ProgressBar4, FormControl::ProgressBar5, FormControl::ProgressBar6,
      FormControl::ProgressBar7, FormControl::ProgressBar8};
  // MapBox1 … MapBox8, CheckBoxM1, CheckBoxM2: control i edits byte i of the map.
  static constexpr std::array<FormControl, 10> kMapControls = {
      FormControl::MapBox1, FormControl::MapBox2, FormControl::MapBox3,
      FormControl::MapBox4, FormControl::MapBox5, FormControl::MapBox6,
      FormControl::MapBox7, FormControl::MapBox8, FormControl::CheckBoxM1,
      FormControl::CheckBoxM2};

 private:
  void FormDestroy();
  void OpenJoystick();
  // Sets the slider from code; when its position changes, VolumeChange runs.
  void SetSliderFromCode(std::int32_t position);
  // Sets a map check box from code; when its state changes, CheckBoxMapClick runs.
  void SetMapCheckFromCode(FormControl box, bool checked);
  // Runs a button's action; an error it raises goes to the error box.
  template <class Action>
  void Guarded(Action action);

  FormView& view_;
  AudioDevice& audio_;
  MixerDevice& mixer_;
  DriverBus& bus_;
  KeyStore& store_;
  std::unique_ptr<TKestrovan> joystick_;
  std::unique_ptr<TInputControl> receiver_;
  SignalPath path_;  // slicer and decoders: one instance for the life of the program
  ChannelMap map_ = kDefaultChannelMap;
  std::int32_t tick_ = 0;
};

}  // namespace corvane
