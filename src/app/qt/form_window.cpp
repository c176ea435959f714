#include "app/qt/form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "app/qt/monitor_box.h"
#include "app/qt/slider.h"
#include "app/qt/task_icon.h"
#include "app/window_placement.h"

namespace corvane {

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TFormWindow::TFormWindow(const FormPlatform& platform, QWidget* parent)
    : QWidget(parent), form_(*this, platform) {
  setObjectName(QStringLiteral("FormCorvane"));
  setWindowTitle(QStringLiteral("Corvane Propaties"));
  // A fixed dialog: title bar with the close box only, never resized.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(472, 420);
  move(749, 463);
  QFont face(QStringLiteral("Verdana"));
  face.setPixelSize(12);
  setFont(face);
  BuildControls();
  static_cast<TMonitorBox*>(Widget(FormControl::PaintBox))->SetForm(&form_);
  TrayIcon->setIcon(LoadTaskIcon());
  ConnectHandlers();
}

// The form goes before the controls: it stops input and removes the joystick.
TFormWindow::~TFormWindow() = default;

// What the user does goes to the form's handlers. Lists react to the user's choice only:
// an index set from code runs no handler. The slider and the map check boxes react to
// every change made outside the form; the form sets them with their signals blocked and
// runs their handlers itself.
void TFormWindow::ConnectHandlers() {
  TFormCorvane& form = form_;
  for (std::size_t i = 0; i < std::size(kFormLayout); ++i) {
    const ControlLayout& row = kFormLayout[i];
    if (row.event == FormEvent::kNoEvent) continue;
    auto run = [&form, &row] { form.OnControlEvent(row); };
    if (auto* button = qobject_cast<QPushButton*>(rows_[i]))
      connect(button, &QPushButton::clicked, this, run);
    if (auto* list = qobject_cast<QComboBox*>(rows_[i])) connect(list, &QComboBox::activated, this, run);
    if (auto* slider = qobject_cast<QSlider*>(rows_[i])) connect(slider, &QSlider::valueChanged, this, run);
    if (auto* box = qobject_cast<QCheckBox*>(rows_[i])) connect(box, &QCheckBox::toggled, this, run);
  }
  const QList<QAction*> items = popupMenu_->actions();
  connect(items.front(), &QAction::triggered, this, [&form] { form.PropertyClick(); });
  connect(items.back(), &QAction::triggered, this, [&form] { form.ExitClick(); });
  connect(Timer, &QTimer::timeout, this, [&form] { form.OnTimer(); });
}

// Lists.

void TFormWindow::ClearItems(FormControl list) {
  if (auto* box = qobject_cast<QComboBox*>(Widget(list))) box->clear();
}

void TFormWindow::AddItem(FormControl list, std::string_view text) {
  auto* box = qobject_cast<QComboBox*>(Widget(list));
  if (box == nullptr) return;
  // A combo box selects the first item added to it; a list keeps its selection.
  const int selected = box->currentIndex();
  box->addItem(FromUtf8(text));
  box->setCurrentIndex(selected);
}

int TFormWindow::ItemIndex(FormControl list) const {
  const auto* box = qobject_cast<const QComboBox*>(Widget(list));
  return box != nullptr ? box->currentIndex() : -1;
}

void TFormWindow::SetItemIndex(FormControl list, int index) {
  // An index the list does not hold leaves it without a selection.
  if (auto* box = qobject_cast<QComboBox*>(Widget(list))) box->setCurrentIndex(index);
}

// Check boxes and the slider.

bool TFormWindow::Checked(FormControl box) const {
  const auto* check = qobject_cast<const QCheckBox*>(Widget(box));
  return check != nullptr && check->isChecked();
}

void TFormWindow::SetChecked(FormControl box, bool checked) {
  auto* check = qobject_cast<QCheckBox*>(Widget(box));
  if (check == nullptr) return;
  const QSignalBlocker quiet(check);
  check->setChecked(checked);
}

int TFormWindow::SliderPosition() const { return Find<QSlider>("SliderVolume")->value(); }

void TFormWindow::SetSliderPosition(int position) {
  auto* slider = Find<QSlider>("SliderVolume");
  const QSignalBlocker quiet(slider);
  slider->setValue(position);
}

// Start button, bars and monitor.

void TFormWindow::SetCaption(FormControl button, std::string_view caption) {
  if (auto* push = qobject_cast<QPushButton*>(Widget(button))) push->setText(FromUtf8(caption));
}

void TFormWindow::SetBarPosition(FormControl bar, int position) {
  if (auto* progress = qobject_cast<QProgressBar*>(Widget(bar))) progress->setValue(position);
}

void TFormWindow::RepaintMonitor() { Widget(FormControl::PaintBox)->update(); }

// The window, the tray icon, the timer and the error box.

bool TFormWindow::WindowVisible() const { return isVisible(); }

void TFormWindow::ShowWindow() {
  show();
  raise();
  activateWindow();
}

void TFormWindow::HideWindow() { hide(); }

void TFormWindow::CloseWindow() { close(); }

// The menu is the icon's context menu: an XEmbed tray opens it on a right button press,
// a StatusNotifierItem host reads it over D-Bus and shows it itself. Left clicks and
// double clicks open nothing.

bool TFormWindow::TrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

// Shown also where no tray is: the icon docks as soon as a tray appears. Without a tray
// the window is the only way to the program: it opens at once, and closing it ends the
// program (FormCloseQuery).
void TFormWindow::AddTaskIcon() {
  TrayIcon->show();
  if (TrayAvailable()) return;
  std::fputs("corvane: the desktop shows no tray icons, so the window stays open and closing it "
             "ends Corvane; for a tray icon, add a system tray to the panel (GNOME: install "
             "gnome-shell-extension-appindicator and enable it in Extensions)\n",
             stderr);
  ShowWindow();
}

void TFormWindow::DelTaskIcon() { TrayIcon->hide(); }

// The tray's own context menu opens itself; this is for a tray that only reports the
// right button's press.
void TFormWindow::PopupMenu() { popupMenu_->popup(QCursor::pos()); }

void TFormWindow::EnableTimer(bool enabled) {
  if (enabled) {
    Timer->start();
  } else {
    Timer->stop();
  }
}

void TFormWindow::ShowError(std::string_view message) {
  QMessageBox::critical(this, QStringLiteral("Corvane"), FromUtf8(message));
}

// Every close request asks the form; a close it allows ends the program.
void TFormWindow::closeEvent(QCloseEvent* event) {
  if (!form_.FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  form_.FormClose();
  emit Ended();
}

// Keys the focused control leaves: Enter presses the push button that has the focus,
// and OK, the default button, anywhere else; Escape presses Cancel.
void TFormWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) {
        focused->click();
      } else {
        Find<QPushButton>("ButtonOK")->click();
      }
      return;
    case Qt::Key_Escape:
      Find<QPushButton>("ButtonCancel")->click();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

// Placement: the window keeps its position (749, 463 at first) wherever it lies wholly
// on the free area of its screen, and moves the least that puts it there otherwise.
// Until the window manager has framed the window its frame is unknown, so after every
// show the window is placed once more when it is exposed, frame included. Under Wayland
// the compositor places windows and the move does nothing.

void TFormWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  PlaceOnScreen();
  if (QWindow* window = windowHandle(); window != nullptr && !placeWhenExposed_) {
    window->installEventFilter(this);
    placeWhenExposed_ = true;
  }
}

bool TFormWindow::eventFilter(QObject* watched, QEvent* event) {
  if (placeWhenExposed_ && watched == windowHandle() && event->type() == QEvent::Expose &&
      windowHandle()->isExposed()) {
    placeWhenExposed_ = false;
    watched->removeEventFilter(this);
    PlaceOnScreen();
  }
  return QWidget::eventFilter(watched, event);
}

void TFormWindow::PlaceOnScreen() {
  const QRect frame = frameGeometry();
  QScreen* screen = QGuiApplication::screenAt(frame.topLeft());
  if (screen == nullptr) screen = this->screen();
  if (screen == nullptr) return;
  const QRect free = screen->availableGeometry();
  const ScreenPoint at = KeepOnScreen({frame.x(), frame.y(), frame.width(), frame.height()},
                                      {free.x(), free.y(), free.width(), free.height()});
  if (at.x != frame.x() || at.y != frame.y()) move(at.x, at.y);
}

}  // namespace corvane
