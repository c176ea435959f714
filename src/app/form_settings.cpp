// Loading and storing the settings of the property window.

#include "app/form_corvane.h"

namespace corvane {

void TFormCorvane::ReadSetting() {
  // Filled in with the settings store: lists devices and ports, selects the source,
  // applies volume, mode and map, and starts input when auto-start is stored.
}

void TFormCorvane::WriteSetting() {
  // Filled in with the settings store: stores what the controls show.
}

}  // namespace corvane
