// Exits with 0 once Qt sees a system tray on the display, so a test can wait for the tray
// host before it starts the program.

#include <QApplication>
#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  return QSystemTrayIcon::isSystemTrayAvailable() ? 0 : 1;
}
