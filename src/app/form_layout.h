#pragma once
// The property window's layout, without a toolkit: every control with its kind, name,
// parent, place and size, text or items, the handler its event runs, and its Tag. The Qt
// window and the native Windows window build themselves by walking kFormLayout in its
// order, which is also the Tab order, and their tests check the live windows against it:
// a change of the layout is a change of this table alone.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

namespace corvane {

// The controls the handlers address, named as the window names them. Each has its row in
// kFormLayout, and the rows come in this order.
enum class FormControl : std::uint8_t {
  // Input page.
  ComboBoxDevice,
  ComboBoxPort,
  SliderVolume,
  PaintBox,
  ButtonStart,
  CheckBoxAutoStart,
  // TX page.
  ComboBoxMode,
  ProgressBar1,
  ProgressBar2,
  ProgressBar3,
  ProgressBar4,
  ProgressBar5,
  ProgressBar6,
  ProgressBar7,
  ProgressBar8,
  // Mapping page.
  MapBox1,
  MapBox2,
  MapBox3,
  MapBox4,
  MapBox5,
  MapBox6,
  MapBox7,
  MapBox8,
  CheckBoxM1,
  CheckBoxM2,
};

enum class ControlKind : std::uint8_t {
  kPageControl,    // tabbed pages: the kPage rows that name it as their parent
  kPage,           // fills the page control's display area; its text is its tab's
  kLabel,          // sized to its text
  kDropDownList,   // a list to choose from, not to type in
  kSlider,         // TSlider: 0 … 65535, ticks every 4096 on both sides, at 32768
  kPanel,          // a lowered bevel around black
  kPaintBox,       // the monitor, which the form draws
  kButton,         // a push button
  kDefaultButton,  // the push button Enter presses where the focus is on no other
  kCheckBox,       // without a width: the toolkit's size for its text
  kProgressBar,    // a smooth bar over 0 … 1024
};

// What a drop-down list holds when the window is built.
enum class ListItems : std::uint8_t {
  kNoItems,
  kText,         // the row's text, as its one design item
  kTrayFormats,  // the captions of TrayFormats() (decode/signal_formats.h), the first selected
};

// The handler of TFormCorvane that a control's event runs: a list's on the user's choice,
// a button's or check box's on a click, the slider's on a change of its position, the
// paint box's when it repaints.
enum class FormEvent : std::uint8_t {
  kNoEvent,
  kComboBoxDeviceChange,
  kComboBoxPortChange,
  kVolumeChange,
  kOnPaintMonitor,
  kButtonStartClick,
  kComboBoxModeChange,
  kMapBoxChange,
  kCheckBoxMapClick,
  kButtonOKClick,
  kButtonCancelClick,
  kButtonApplyClick,
};

// Pixels from the top left corner of the parent's client area. A label's size is its
// text's, and so is a check box's without a width; a page takes the page control's
// display area.
struct ControlPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ControlLayout {
  ControlKind kind;
  std::string_view name;
  std::string_view parent;  // the row of its page control, page or panel; empty: the window
  ControlPlace place;
  std::string_view text;  // caption, tab text, or a list's design item
  ListItems items = ListItems::kNoItems;
  FormEvent event = FormEvent::kNoEvent;
  std::optional<FormControl> control = std::nullopt;  // for the controls the handlers address
  // A map control's: the byte of the channel map it edits.
  int tag = -1;
};

namespace form_layout {

using enum ControlKind;
using enum ListItems;
using enum FormEvent;
using enum FormControl;

// In the order the controls are made, a parent before its children.
// clang-format off
inline constexpr ControlLayout kRows[] = {
    {kPageControl,   "PageControl",       "",              {8, 8, 457, 377},    ""},
    // Input page.
    {kPage,          "TabSheetInput",     "PageControl",   {},                  "Input"},
    {kLabel,         "LabelI1",           "TabSheetInput", {72, 52},            "Device"},
    {kLabel,         "LabelI2",           "TabSheetInput", {72, 92},            "Port"},
    {kLabel,         "LabelI3",           "TabSheetInput", {72, 146},           "Volume"},
    {kLabel,         "LabelI4",           "TabSheetInput", {72, 223},           "Monitor"},
    {kDropDownList,  "ComboBoxDevice",    "TabSheetInput", {144, 48, 225, 20},  "Not selected", kText, kComboBoxDeviceChange, ComboBoxDevice},
    {kDropDownList,  "ComboBoxPort",      "TabSheetInput", {144, 88, 225, 20},  "", kNoItems, kComboBoxPortChange, ComboBoxPort},
    {kSlider,        "SliderVolume",      "TabSheetInput", {137, 134, 239, 45}, "", kNoItems, kVolumeChange, SliderVolume},
    {kPanel,         "Panel",             "TabSheetInput", {144, 207, 225, 49}, ""},
    {kPaintBox,      "PaintBox",          "Panel",         {1, 1, 223, 47},     "", kNoItems, kOnPaintMonitor, PaintBox},
    {kButton,        "ButtonStart",       "TabSheetInput", {144, 292, 89, 20},  "Start", kNoItems, kButtonStartClick, ButtonStart},
    {kCheckBox,      "CheckBoxAutoStart", "TabSheetInput", {256, 294, 169, 17}, "Automatically start input", kNoItems, kNoEvent, CheckBoxAutoStart},
    // TX page.
    {kPage,          "TabSheetTX",        "PageControl",   {},                  "TX"},
    {kLabel,         "LabelT1",           "TabSheetTX",    {32, 43},            "TX Type"},
    {kDropDownList,  "ComboBoxMode",      "TabSheetTX",    {88, 40, 209, 20},   "", kTrayFormats, kComboBoxModeChange, ComboBoxMode},
    {kLabel,         "LabelT2",           "TabSheetTX",    {32, 115},           "Ch.1"},
    {kProgressBar,   "ProgressBar1",      "TabSheetTX",    {88, 112, 308, 16},  "", kNoItems, kNoEvent, ProgressBar1},
    {kLabel,         "LabelT3",           "TabSheetTX",    {32, 139},           "Ch.2"},
    {kProgressBar,   "ProgressBar2",      "TabSheetTX",    {88, 136, 308, 16},  "", kNoItems, kNoEvent, ProgressBar2},
    {kLabel,         "LabelT4",           "TabSheetTX",    {32, 163},           "Ch.3"},
    {kProgressBar,   "ProgressBar3",      "TabSheetTX",    {88, 160, 308, 16},  "", kNoItems, kNoEvent, ProgressBar3},
    {kLabel,         "LabelT5",           "TabSheetTX",    {32, 187},           "Ch.4"},
    {kProgressBar,   "ProgressBar4",      "TabSheetTX",    {88, 184, 308, 16},  "", kNoItems, kNoEvent, ProgressBar4},
    {kLabel,         "LabelT6",           "TabSheetTX",    {32, 211},           "Ch.5"},
    {kProgressBar,   "ProgressBar5",      "TabSheetTX",    {88, 208, 308, 16},  "", kNoItems, kNoEvent, ProgressBar5},
    {kLabel,         "LabelT7",           "TabSheetTX",    {32, 235},           "Ch.6"},
    {kProgressBar,   "ProgressBar6",      "TabSheetTX",    {88, 232, 308, 16},  "", kNoItems, kNoEvent, ProgressBar6},
    {kLabel,         "LabelT8",           "TabSheetTX",    {32, 259},           "Ch.7"},
    {kProgressBar,   "ProgressBar7",      "TabSheetTX",    {88, 256, 308, 16},  "", kNoItems, kNoEvent, ProgressBar7},
    {kLabel,         "LabelT9",           "TabSheetTX",    {32, 283},           "Ch.8"},
    {kProgressBar,   "ProgressBar8",      "TabSheetTX",    {88, 280, 308, 16},  "", kNoItems, kNoEvent, ProgressBar8},
    // Mapping page.
    {kPage,          "TabSheetMap",       "PageControl",   {},                  "Mapping"},
    {kLabel,         "LabelM1",           "TabSheetMap",   {72, 51},            "Axis 1"},
    {kDropDownList,  "MapBox1",           "TabSheetMap",   {152, 48, 145, 20},  "", kNoItems, kMapBoxChange, MapBox1, 0},
    {kLabel,         "LabelM2",           "TabSheetMap",   {72, 83},            "Axis 2"},
    {kDropDownList,  "MapBox2",           "TabSheetMap",   {152, 80, 145, 20},  "", kNoItems, kMapBoxChange, MapBox2, 1},
    {kLabel,         "LabelM3",           "TabSheetMap",   {72, 115},           "Axis 3"},
    {kDropDownList,  "MapBox3",           "TabSheetMap",   {152, 112, 145, 20}, "", kNoItems, kMapBoxChange, MapBox3, 2},
    {kLabel,         "LabelM4",           "TabSheetMap",   {72, 147},           "Axis 4"},
    {kDropDownList,  "MapBox4",           "TabSheetMap",   {152, 144, 145, 20}, "", kNoItems, kMapBoxChange, MapBox4, 3},
    {kLabel,         "LabelM5",           "TabSheetMap",   {72, 179},           "Axis 5"},
    {kDropDownList,  "MapBox5",           "TabSheetMap",   {152, 176, 145, 20}, "", kNoItems, kMapBoxChange, MapBox5, 4},
    {kLabel,         "LabelM6",           "TabSheetMap",   {72, 211},           "Axis 6"},
    {kDropDownList,  "MapBox6",           "TabSheetMap",   {152, 208, 145, 20}, "", kNoItems, kMapBoxChange, MapBox6, 5},
    {kLabel,         "LabelM7",           "TabSheetMap",   {72, 243},           "Button 1"},
    {kDropDownList,  "MapBox7",           "TabSheetMap",   {152, 240, 145, 20}, "", kNoItems, kMapBoxChange, MapBox7, 6},
    {kLabel,         "LabelM8",           "TabSheetMap",   {72, 275},           "Button 2"},
    {kDropDownList,  "MapBox8",           "TabSheetMap",   {152, 272, 145, 20}, "", kNoItems, kMapBoxChange, MapBox8, 7},
    {kCheckBox,      "CheckBoxM1",        "TabSheetMap",   {312, 243},          "Advanced", kNoItems, kCheckBoxMapClick, CheckBoxM1, 8},
    {kCheckBox,      "CheckBoxM2",        "TabSheetMap",   {312, 275},          "Advanced", kNoItems, kCheckBoxMapClick, CheckBoxM2, 9},
    // The window's buttons.
    {kDefaultButton, "ButtonOK",          "",              {184, 392, 89, 20},  "OK", kNoItems, kButtonOKClick},
    {kButton,        "ButtonCancel",      "",              {280, 392, 89, 20},  "Cancel", kNoItems, kButtonCancelClick},
    {kButton,        "ButtonApply",       "",              {376, 392, 89, 20},  "Apply(&A)", kNoItems, kButtonApplyClick},
};
// clang-format on

}  // namespace form_layout

inline constexpr auto& kFormLayout = form_layout::kRows;

// The number of FormControl values: the rows that name one.
inline constexpr std::size_t kFormControlCount = [] {
  std::size_t count = 0;
  for (const ControlLayout& row : kFormLayout) count += row.control.has_value() ? 1 : 0;
  return count;
}();

// A row's place in kFormLayout.
constexpr std::size_t RowIndex(const ControlLayout& row) {
  return static_cast<std::size_t>(&row - kFormLayout);
}

// A FormControl's row.
constexpr const ControlLayout& LayoutOf(FormControl control) {
  std::size_t i = 0;
  while (kFormLayout[i].control != control) ++i;  // every control has its row (checked below)
  return kFormLayout[i];
}

// The row of that name, or nullptr.
constexpr const ControlLayout* FindLayout(std::string_view name) {
  for (const ControlLayout& row : kFormLayout) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

// As the window names the control.
constexpr std::string_view ControlName(FormControl control) { return LayoutOf(control).name; }

namespace form_layout {

// The FormControl rows name 0, 1, 2 … in order, and a parent's row comes before its
// children's.
constexpr bool RowsInOrder() {
  std::size_t next = 0;
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (kRows[i].control && static_cast<std::size_t>(*kRows[i].control) != next++) return false;
    if (kRows[i].parent.empty()) continue;
    // By index: a sanitized build cannot compare the rows' addresses at compile time.
    std::size_t parent = 0;
    while (parent < i && kRows[parent].name != kRows[i].parent) ++parent;
    if (parent == i) return false;
  }
  return true;
}
static_assert(RowsInOrder(), "each FormControl has one row, in the enum's order, after its parent's");
static_assert(kFormControlCount == static_cast<std::size_t>(CheckBoxM2) + 1);

}  // namespace form_layout

}  // namespace corvane
