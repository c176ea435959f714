#pragma once
// The identifiers of the property window's controls and of the tray menu's items, as
// WM_COMMAND and WM_NOTIFY carry them. The window tests find controls by them too.

#include <string_view>

#include "app/form_layout.h"

namespace corvane {

// The controls the form addresses are numbered after their FormControl.
inline constexpr int kFirstFormControlId = 1100;
constexpr int ControlId(FormControl control) {
  return kFirstFormControlId + static_cast<int>(control);
}

// The window's buttons: OK and Cancel take the dialog identifiers that Enter and Escape
// press (IDOK, IDCANCEL).
inline constexpr int kButtonOKId = 1;
inline constexpr int kButtonCancelId = 2;
inline constexpr int kButtonApplyId = 1001;

inline constexpr int kPageControlId = 1002;
inline constexpr int kTabSheetInputId = 1003;
inline constexpr int kTabSheetTXId = 1004;
inline constexpr int kTabSheetMapId = 1005;
inline constexpr int kPanelId = 1006;
// Labels take no input; they share one identifier.
inline constexpr int kLabelId = 1007;

// The identifier of a row's control: a FormControl's own, kLabelId for every label, and
// for the others the one named above.
constexpr int LayoutControlId(const ControlLayout& row) {
  if (row.control) return ControlId(*row.control);
  if (row.kind == ControlKind::kLabel) return kLabelId;
  constexpr struct {
    std::string_view name;
    int id;
  } kNamed[] = {{"ButtonOK", kButtonOKId},           {"ButtonCancel", kButtonCancelId},
                {"ButtonApply", kButtonApplyId},     {"PageControl", kPageControlId},
                {"TabSheetInput", kTabSheetInputId}, {"TabSheetTX", kTabSheetTXId},
                {"TabSheetMap", kTabSheetMapId},     {"Panel", kPanelId}};
  for (const auto& named : kNamed) {
    if (named.name == row.name) return named.id;
  }
  return -1;
}
static_assert(
    [] {
      for (const ControlLayout& row : kFormLayout) {
        if (LayoutControlId(row) < 0) return false;
      }
      return true;
    }(),
    "every control of the layout has its identifier");

// The row of the control with that identifier, or nullptr; none for the labels' shared one.
constexpr const ControlLayout* LayoutOfId(int id) {
  if (id == kLabelId) return nullptr;
  for (const ControlLayout& row : kFormLayout) {
    if (LayoutControlId(row) == id) return &row;
  }
  return nullptr;
}

// The tray menu's items. Distinct from every control's identifier: a menu choice arrives
// as a WM_COMMAND too.
inline constexpr int kMenuPropertyId = 2001;
inline constexpr int kMenuExitId = 2002;

}  // namespace corvane
