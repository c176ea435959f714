#include "app/qt/form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/qt/monitor_box.h"
#include "app/qt/slider.h"
#include "app/qt/task_icon.h"

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
  PaintBox->SetForm(&form_);
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
  connect(ButtonStart, &QPushButton::clicked, this, [&form] { form.ButtonStartClick(); });
  connect(ButtonOK, &QPushButton::clicked, this, [&form] { form.ButtonOKClick(); });
  connect(ButtonCancel, &QPushButton::clicked, this, [&form] { form.ButtonCancelClick(); });
  connect(ButtonApply, &QPushButton::clicked, this, [&form] { form.ButtonApplyClick(); });
  connect(ComboBoxDevice, &QComboBox::activated, this, [&form] { form.ComboBoxDeviceChange(); });
  connect(ComboBoxPort, &QComboBox::activated, this, [&form] { form.ComboBoxPortChange(); });
  connect(ComboBoxMode, &QComboBox::activated, this, [&form] { form.ComboBoxModeChange(); });
  connect(SliderVolume, &QSlider::valueChanged, this, [&form] { form.VolumeChange(); });
  for (std::size_t i = 0; i < mapBoxes_.size(); ++i) {
    const FormControl box = TFormCorvane::kMapControls[i];
    connect(mapBoxes_[i], &QComboBox::activated, this, [&form, box] { form.MapBoxChange(box); });
  }
  connect(CheckBoxM1, &QCheckBox::toggled, this, [&form] { form.CheckBoxMapClick(FormControl::CheckBoxM1); });
  connect(CheckBoxM2, &QCheckBox::toggled, this, [&form] { form.CheckBoxMapClick(FormControl::CheckBoxM2); });
  const QList<QAction*> items = popupMenu_->actions();
  connect(items.front(), &QAction::triggered, this, [&form] { form.PropertyClick(); });
  connect(items.back(), &QAction::triggered, this, [&form] { form.ExitClick(); });
  // The context request is the right button's press; a left click or a double click
  // carries another message, which opens nothing.
  connect(TrayIcon, &QSystemTrayIcon::activated, this, [&form](QSystemTrayIcon::ActivationReason reason) {
    form.OnTaskIconMessage(reason == QSystemTrayIcon::Context ? kTrayRightButtonDown : 0);
  });
  connect(Timer, &QTimer::timeout, this, [&form] { form.OnTimer(); });
}

QComboBox* TFormWindow::List(FormControl list) const {
  switch (list) {
    case FormControl::ComboBoxDevice:
      return ComboBoxDevice;
    case FormControl::ComboBoxPort:
      return ComboBoxPort;
    case FormControl::ComboBoxMode:
      return ComboBoxMode;
    default:
      break;
  }
  const int map = static_cast<int>(list) - static_cast<int>(FormControl::MapBox1);
  return map >= 0 && map < static_cast<int>(mapBoxes_.size()) ? mapBoxes_[map] : nullptr;
}

QCheckBox* TFormWindow::CheckBox(FormControl box) const {
  switch (box) {
    case FormControl::CheckBoxAutoStart:
      return CheckBoxAutoStart;
    case FormControl::CheckBoxM1:
      return CheckBoxM1;
    case FormControl::CheckBoxM2:
      return CheckBoxM2;
    default:
      return nullptr;
  }
}

// Lists.

void TFormWindow::ClearItems(FormControl list) {
  if (QComboBox* box = List(list)) box->clear();
}

void TFormWindow::AddItem(FormControl list, std::string_view text) {
  QComboBox* box = List(list);
  if (box == nullptr) return;
  // A combo box selects the first item added to it; a list keeps its selection.
  const int selected = box->currentIndex();
  box->addItem(FromUtf8(text));
  box->setCurrentIndex(selected);
}

int TFormWindow::ItemIndex(FormControl list) const {
  const QComboBox* box = List(list);
  return box != nullptr ? box->currentIndex() : -1;
}

void TFormWindow::SetItemIndex(FormControl list, int index) {
  // An index the list does not hold leaves it without a selection.
  if (QComboBox* box = List(list)) box->setCurrentIndex(index);
}

// Check boxes and the slider.

bool TFormWindow::Checked(FormControl box) const {
  const QCheckBox* check = CheckBox(box);
  return check != nullptr && check->isChecked();
}

void TFormWindow::SetChecked(FormControl box, bool checked) {
  QCheckBox* check = CheckBox(box);
  if (check == nullptr) return;
  const QSignalBlocker quiet(check);
  check->setChecked(checked);
}

int TFormWindow::SliderPosition() const { return SliderVolume->value(); }

void TFormWindow::SetSliderPosition(int position) {
  const QSignalBlocker quiet(SliderVolume);
  SliderVolume->setValue(position);
}

// Start button, bars and monitor.

void TFormWindow::SetCaption(FormControl button, std::string_view caption) {
  if (button == FormControl::ButtonStart) ButtonStart->setText(FromUtf8(caption));
}

void TFormWindow::SetBarPosition(FormControl bar, int position) {
  const int index = static_cast<int>(bar) - static_cast<int>(FormControl::ProgressBar1);
  if (index >= 0 && index < static_cast<int>(bars_.size())) bars_[index]->setValue(position);
}

void TFormWindow::RepaintMonitor() { PaintBox->update(); }

// The window, the tray icon, the timer and the error box.

bool TFormWindow::WindowVisible() const { return isVisible(); }

void TFormWindow::ShowWindow() {
  show();
  raise();
  activateWindow();
}

void TFormWindow::HideWindow() { hide(); }

void TFormWindow::CloseWindow() { close(); }

// The window hides when closed and the tray icon brings it back.
bool TFormWindow::TrayAvailable() const { return true; }

void TFormWindow::AddTaskIcon() { TrayIcon->show(); }

void TFormWindow::DelTaskIcon() { TrayIcon->hide(); }

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

// Enter presses OK and Escape presses Cancel, wherever the focus is.
void TFormWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ButtonOK->click();
      return;
    case Qt::Key_Escape:
      ButtonCancel->click();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace corvane
