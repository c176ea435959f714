#pragma once
// What the property window's handlers touch, without a toolkit: its lists, check boxes,
// slider, Start button, channel bars, monitor, the window itself, the tray icon, the
// 10 ms timer and the error box. A window toolkit implements it once (the Qt window on
// Linux, a native window on Windows); the tests implement it with a fake that records
// every call.
//
// Calls from the handlers into the view never call back into the handlers: a list, a
// check box or the slider changed from here runs no change handler, so the handlers
// decide every order themselves. The view calls the handlers of TFormCorvane for what
// the user does (a list chosen, a box clicked, the slider moved, a button pressed, a
// menu item chosen, a close request) and for the timer and the monitor's repaint, all
// on the one thread that runs the window.

#include <cstdint>
#include <string_view>

#include "app/form_layout.h"  // FormControl

namespace corvane {

// The monitor's drawing surface while it paints. Coordinates are pixels from the box's
// top left corner; colours are 0x00BBGGRR (green is 0x00FF00).
class MonitorCanvas {
 public:
  virtual void FillRect(int left, int top, int width, int height, std::uint32_t colour) = 0;
  virtual void SetPenColour(std::uint32_t colour) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;

 protected:
  ~MonitorCanvas() = default;
};

class FormView {
 public:
  // Drop-down lists: ComboBoxDevice, ComboBoxPort, ComboBoxMode, MapBox1 … MapBox8.
  // Clearing leaves no item selected, and adding an item keeps the selection as it was.
  virtual void ClearItems(FormControl list) = 0;
  virtual void AddItem(FormControl list, std::string_view text) = 0;
  // The selected item's index, -1 when none is selected.
  virtual int ItemIndex(FormControl list) const = 0;
  // Selects item `index`; an index the list does not hold (-1 among them) leaves it
  // without a selection.
  virtual void SetItemIndex(FormControl list, int index) = 0;

  // Check boxes: CheckBoxAutoStart, CheckBoxM1, CheckBoxM2.
  virtual bool Checked(FormControl box) const = 0;
  virtual void SetChecked(FormControl box, bool checked) = 0;

  // SliderVolume's position, 0 … 65535; the handlers clamp before they set it.
  virtual int SliderPosition() const = 0;
  virtual void SetSliderPosition(int position) = 0;

  // A button's caption (ButtonStart: "Start" or "Stop").
  virtual void SetCaption(FormControl button, std::string_view caption) = 0;

  // ProgressBar1 … ProgressBar8, range 0 … 1024.
  virtual void SetBarPosition(FormControl bar, int position) = 0;

  // Asks PaintBox to repaint soon; the view then calls TFormCorvane::OnPaintMonitor.
  virtual void RepaintMonitor() = 0;

  // The window: shown (and brought to the front), hidden, and whether it is shown.
  virtual bool WindowVisible() const = 0;
  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  // Asks the window to close, as its close box does: the view asks
  // TFormCorvane::FormCloseQuery and, when that allows the close, calls
  // TFormCorvane::FormClose and ends the event loop.
  virtual void CloseWindow() = 0;

  // Whether the desktop shows tray icons at all.
  virtual bool TrayAvailable() const = 0;
  // The tray icon (identifier 100, tip "Corvane") and its pop-up menu ("Property", "-",
  // "Exit"), opened at the cursor with the window brought to the foreground.
  virtual void AddTaskIcon() = 0;
  virtual void DelTaskIcon() = 0;
  virtual void PopupMenu() = 0;

  // The 10 ms timer; while enabled, the view calls TFormCorvane::OnTimer on every tick.
  virtual void EnableTimer(bool enabled) = 0;

  // The standard error box with `message` (UTF-8); returns when the user has closed it.
  virtual void ShowError(std::string_view message) = 0;

 protected:
  ~FormView() = default;
};

}  // namespace corvane
