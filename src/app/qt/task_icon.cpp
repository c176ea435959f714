#include "app/qt/task_icon.h"

#include <QApplication>
#include <QStyle>
#include <cstdio>

namespace corvane {

QIcon LoadTaskIcon() {
  QIcon icon(QStringLiteral(":/corvane/corvane.svg"));
  if (!icon.pixmap(22, 22).isNull()) return icon;
  std::fputs("corvane: cannot render the SVG tray icon (is Qt's SVG plugin, libqt6svg6, "
             "installed?); using a standard icon\n",
             stderr);
  return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

}  // namespace corvane
