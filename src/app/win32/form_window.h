#pragma once
// The property window as a native Win32 dialog: the view that the toolkit-free form
// (app/form_corvane.h) drives. It builds the three pages and their controls, turns the
// user's actions, the 10 ms timer, the tray icon's messages and the capture device's
// buffer messages into calls of the form's handlers, and carries the form's calls out on
// the controls. Everything runs on the thread that runs the message loop.

#include <windows.h>

#include <array>
#include <iterator>
#include <memory>
#include <string_view>

#include "app/form_corvane.h"
#include "app/form_view.h"
#include "app/win32/monitor_box.h"
#include "app/win32/task_icon.h"
#include "platform/win32/wave_in_audio_device.h"

namespace corvane {

class TFormWindow final : public FormView {
 public:
  // Builds the window hidden, with its controls.
  explicit TFormWindow(HINSTANCE instance);
  // The form goes first (joystick removed, input stopped, mixer restored), then the window.
  ~TFormWindow();
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  // Creates the form over the window, with a capture device of the window's own: the
  // device sends its buffer messages (MM_WIM_DATA) here, and the window hands them back to
  // it for the form's OnWaveInData. FormCreate is the caller's next step. The other
  // devices outlive the window.
  void CreateForm(MixerDevice& mixer, DriverBus& bus, KeyStore& store);

  HWND Handle() const { return window_; }
  TFormCorvane& Form() { return *form_; }

  // The dialog keys, for the message loop to offer every message first: Tab and
  // Shift+Tab move between controls, Ctrl+Tab between pages, Enter presses the focused
  // push button and elsewhere OK, Escape presses Cancel, Alt+A presses Apply. True when
  // the message was taken.
  bool TakeDialogKey(MSG& message);

  // FormView.
  void ClearItems(FormControl list) override;
  void AddItem(FormControl list, std::string_view text) override;
  int ItemIndex(FormControl list) const override;
  void SetItemIndex(FormControl list, int index) override;
  bool Checked(FormControl box) const override;
  void SetChecked(FormControl box, bool checked) override;
  int SliderPosition() const override;
  void SetSliderPosition(int position) override;
  void SetCaption(FormControl button, std::string_view caption) override;
  void SetBarPosition(FormControl bar, int position) override;
  void RepaintMonitor() override;
  bool WindowVisible() const override;
  void ShowWindow() override;
  void HideWindow() override;
  void CloseWindow() override;
  bool TrayAvailable() const override;
  void AddTaskIcon() override;
  void DelTaskIcon() override;
  void PopupMenu() override;
  void EnableTimer(bool enabled) override;
  void ShowError(std::string_view message) override;

 private:
  // Creates the pages and controls at their places (form_controls.cpp).
  void BuildControls();
  // The designed position, moved onto the screen's work area where the window would not fit.
  void PlaceWindow();
  // Destroys the form (joystick removed, input stopped, mixer restored), then the capture
  // device; from then on the window hands its messages to the system's default handling.
  void EndForm();

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // True when the message was handled.
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void OnSliderScroll();
  void ShowPage(int index);
  void PressButton(HWND button);

  HWND Control(FormControl control) const { return rows_[RowIndex(LayoutOf(control))]; }
  HWND Named(std::string_view name) const { return rows_[RowIndex(*FindLayout(name))]; }

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND pageControl_ = nullptr;
  std::array<HWND, 3> pages_{};  // TabSheetInput, TabSheetTX, TabSheetMap
  std::array<HWND, std::size(kFormLayout)> rows_{};  // each row's control, in kFormLayout's order
  HWND buttonOK_ = nullptr;
  HWND buttonCancel_ = nullptr;
  HWND buttonApply_ = nullptr;
  std::unique_ptr<MonitorBox> monitor_;
  std::unique_ptr<TaskIcon> taskIcon_;
  // The slider's position as the form last knew it: VolumeChange runs only for a change.
  int sliderPosition_ = 0;
  std::unique_ptr<WaveInAudioDevice> capture_;
  std::unique_ptr<TFormCorvane> form_;
};

}  // namespace corvane
