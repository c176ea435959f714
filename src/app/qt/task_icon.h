#pragma once
// The tray icon's picture.

#include <QIcon>

namespace corvane {

// The program's own icon (an SVG resource). Where SVG cannot be rendered (the Qt SVG
// plugin is missing) it says so on standard error and returns a standard icon, so the
// tray entry stays visible.
QIcon LoadTaskIcon();

}  // namespace corvane
