#pragma once
// A window without a toolkit: holds what the real window's controls would hold, starts
// as the designed window does, and records every call that changes something, in order.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_corvane.h"
#include "app/form_view.h"
#include "decode/signal_formats.h"

namespace corvane::testing {

class FakeFormView : public FormView {
 public:
  struct List {
    std::vector<std::string> items;
    int index = -1;
  };

  FakeFormView() {
    lists[FormControl::ComboBoxDevice] = {{"Not selected"}, 0};
    List& modes = lists[FormControl::ComboBoxMode];
    for (const SignalFormat& format : TrayFormats()) modes.items.emplace_back(format.caption);
    modes.index = 0;
  }

  // The form a close request asks.
  TFormCorvane* form = nullptr;

  std::vector<std::string> calls;  // "clear ComboBoxPort", "add ComboBoxPort Mic", "index …", …
  std::map<FormControl, List> lists;
  std::map<FormControl, bool> checks;
  int slider = 32768;  // the designed position
  std::string startCaption = "Start";
  std::array<int, 8> bars{};
  bool visible = false;
  bool trayAvailable = true;
  bool trayIcon = false;
  bool timer = false;
  bool ended = false;  // the event loop was told to end
  std::vector<std::string> errors;

  void ClearItems(FormControl list) override {
    Log("clear " + std::string(ControlName(list)));
    lists[list] = {};
  }
  void AddItem(FormControl list, std::string_view text) override {
    Log("add " + std::string(ControlName(list)) + " " + std::string(text));
    lists[list].items.emplace_back(text);
  }
  int ItemIndex(FormControl list) const override {
    const auto it = lists.find(list);
    return it == lists.end() ? -1 : it->second.index;
  }
  void SetItemIndex(FormControl list, int index) override {
    Log("index " + std::string(ControlName(list)) + " " + std::to_string(index));
    List& l = lists[list];
    l.index = index >= 0 && index < static_cast<int>(l.items.size()) ? index : -1;
  }
  bool Checked(FormControl box) const override {
    const auto it = checks.find(box);
    return it != checks.end() && it->second;
  }
  void SetChecked(FormControl box, bool checked) override {
    Log("check " + std::string(ControlName(box)) + " " + (checked ? "1" : "0"));
    checks[box] = checked;
  }
  int SliderPosition() const override { return slider; }
  void SetSliderPosition(int position) override {
    Log("slider " + std::to_string(position));
    slider = position;
  }
  void SetCaption(FormControl button, std::string_view caption) override {
    Log("caption " + std::string(ControlName(button)) + " " + std::string(caption));
    if (button == FormControl::ButtonStart) startCaption = caption;
  }
  void SetBarPosition(FormControl bar, int position) override {
    bars[static_cast<std::size_t>(static_cast<int>(bar) - static_cast<int>(FormControl::ProgressBar1))] = position;
  }
  void RepaintMonitor() override { Log("repaint"); }
  bool WindowVisible() const override { return visible; }
  void ShowWindow() override {
    Log("show");
    visible = true;
  }
  void HideWindow() override {
    Log("hide");
    visible = false;
  }
  void CloseWindow() override {
    Log("close");
    if (form != nullptr && form->FormCloseQuery()) {
      form->FormClose();
      ended = true;
    }
  }
  bool TrayAvailable() const override { return trayAvailable; }
  void AddTaskIcon() override {
    Log("tray add");
    trayIcon = true;
  }
  void DelTaskIcon() override {
    Log("tray delete");
    trayIcon = false;
  }
  void PopupMenu() override { Log("menu"); }
  void EnableTimer(bool enabled) override {
    Log(enabled ? "timer on" : "timer off");
    timer = enabled;
  }
  void ShowError(std::string_view message) override {
    Log("error " + std::string(message));
    errors.emplace_back(message);
  }

  // The calls so far; the log starts again empty.
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
  }

 private:
  void Log(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace corvane::testing
