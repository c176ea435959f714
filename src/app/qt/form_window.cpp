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
#include <QSystemTrayIcon>
#include <QTimer>
#include <exception>

#include "app/qt/monitor_box.h"
#include "app/monitor_math.h"
#include "app/qt/slider.h"
#include "app/qt/task_icon.h"
#include "app/wave_in_data.h"
#include "audio/capture.h"
#include "audio/destroy_input_control.h"
#include "audio/mixer.h"

namespace corvane {

TFormWindow::TFormWindow(const FormPlatform& platform, QWidget* parent)
    : QWidget(parent), audio_(platform.audio), mixer_(platform.mixer), bus_(platform.bus),
      store_(platform.store) {
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
  TrayIcon->setIcon(LoadTaskIcon());
  ConnectHandlers();
}

TFormWindow::~TFormWindow() { FormDestroy(); }

template <class Handler>
void TFormWindow::Guarded(Handler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  }
}

void TFormWindow::ConnectHandlers() {
  auto on = [this](auto* sender, auto signal, void (TFormWindow::*handler)()) {
    connect(sender, signal, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on(ButtonStart, &QPushButton::clicked, &TFormWindow::ButtonStartClick);
  on(ButtonOK, &QPushButton::clicked, &TFormWindow::ButtonOKClick);
  on(ButtonCancel, &QPushButton::clicked, &TFormWindow::ButtonCancelClick);
  on(ButtonApply, &QPushButton::clicked, &TFormWindow::ButtonApplyClick);
  // Lists react to the user's choice only: an index set from code runs no handler.
  on(ComboBoxDevice, &QComboBox::activated, &TFormWindow::ComboBoxDeviceChange);
  on(ComboBoxPort, &QComboBox::activated, &TFormWindow::ComboBoxPortChange);
  on(ComboBoxMode, &QComboBox::activated, &TFormWindow::ComboBoxModeChange);
  // The slider and the check boxes react to every change, also one made from code.
  on(SliderVolume, &QSlider::valueChanged, &TFormWindow::VolumeChange);
  for (QComboBox* box : mapBoxes_) {
    connect(box, &QComboBox::activated, this, [this, box] { Guarded([&] { MapBoxChange(box); }); });
  }
  for (QCheckBox* box : {CheckBoxM1, CheckBoxM2}) {
    connect(box, &QCheckBox::toggled, this, [this, box] { Guarded([&] { CheckBoxMapClick(box); }); });
  }
  const QList<QAction*> items = PopupMenu->actions();
  on(items.front(), &QAction::triggered, &TFormWindow::PropertyClick);
  on(items.back(), &QAction::triggered, &TFormWindow::ExitClick);
  connect(TrayIcon, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) { OnTaskIconMessage(reason); });
  connect(Timer, &QTimer::timeout, this, &TFormWindow::OnTimer);
}

void TFormWindow::FormCreate() {
  joystick_ = std::make_unique<TKestrovan>(bus_);
  receiver_ = CreateInputControl();
  PaintBox->SetSamples(receiver_->Samples, kSampleCopySize);
  // Item k of a map list stands for channel position k, whatever the lists held before.
  for (QComboBox* box : mapBoxes_) {
    box->clear();
    for (int channel = 1; channel <= 8; ++channel) box->addItem(QStringLiteral("Ch.%1").arg(channel));
    box->setCurrentIndex(-1);
  }
  OpenJoystick();
  try {
    ReadSetting();
  } catch (const std::exception& error) {
    // The program runs on without its tray icon; a second start shows the window.
    ShowError(QString::fromUtf8(error.what()));
    return;
  }
  AddTaskIcon();
}

void TFormWindow::FormDestroy() {
  // The joystick goes first (removed, its device closed), then the receiver (input
  // stopped, the mixer given back what it held before).
  joystick_.reset();
  DestroyInputControl(receiver_, audio_, mixer_);
}

void TFormWindow::OpenJoystick() {
  // Neither failure is reported: without a joystick the program runs on, and reports go
  // out whenever the device is open, also when exposing failed.
  if (joystick_->Open()) joystick_->Expose();
}

void TFormWindow::ShowError(const QString& message) {
  QMessageBox::critical(this, QStringLiteral("Corvane"), message);
}

// Tray icon and its menu.

void TFormWindow::AddTaskIcon() { TrayIcon->show(); }

void TFormWindow::DelTaskIcon() { TrayIcon->hide(); }

void TFormWindow::OnTaskIconMessage(int reason) {
  // Only the context request (a right button press) opens the menu; left clicks and
  // double clicks do nothing.
  if (reason != QSystemTrayIcon::Context) return;
  PopupMenu->popup(QCursor::pos());
}

void TFormWindow::PropertyClick() {
  show();
  raise();
  activateWindow();
}

void TFormWindow::ExitClick() {
  hide();
  close();
}

// Closing only hides a visible window; closing the hidden window ends the program.
void TFormWindow::closeEvent(QCloseEvent* event) {
  if (isVisible()) {
    hide();
    event->ignore();
    return;
  }
  event->accept();
  FormClose();
}

void TFormWindow::FormClose() {
  DelTaskIcon();
  Timer->stop();
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

// Buttons.

void TFormWindow::ButtonStartClick() {
  if (receiver_->Running) {
    StopInput(*receiver_, audio_);
    Timer->stop();
    ButtonStart->setText(QStringLiteral("Start"));
  } else {
    StartInput(*receiver_, audio_, this);
    Timer->start();
    ButtonStart->setText(QStringLiteral("Stop"));
  }
}

void TFormWindow::ButtonOKClick() {
  WriteSetting();
  close();
}

void TFormWindow::ButtonCancelClick() {
  ReadSetting();
  close();
}

void TFormWindow::ButtonApplyClick() { WriteSetting(); }

// Input page: the device chooses whose mixer is driven, the port its recording source.

void TFormWindow::ComboBoxDeviceChange() {
  ComboBoxPort->clear();
  std::vector<std::string> names;
  ListInputPorts(mixer_, ComboBoxDevice->currentIndex(), names);
  AddItems(ComboBoxPort, names);
  ComboBoxPort->setCurrentIndex(0);
  ComboBoxPortChange();
}

void TFormWindow::ComboBoxPortChange() {
  SelectSource(*receiver_, mixer_, ComboBoxDevice->currentIndex(), ComboBoxPort->currentIndex());
  // The slider clamps: no volume control (-1) puts it at 0. A change of position applies
  // the mixer through VolumeChange, and the mixer is applied once more in any case.
  SliderVolume->setValue(ReadVolume(*receiver_, mixer_));
  ApplyMixer(*receiver_, mixer_, SliderVolume->value());
}

void TFormWindow::VolumeChange() { ApplyMixer(*receiver_, mixer_, SliderVolume->value()); }

void TFormWindow::AddItems(QComboBox* list, const std::vector<std::string>& names) {
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
}

// TX and Mapping pages.

void TFormWindow::ComboBoxModeChange() { receiver_->Mode = ComboBoxMode->currentIndex(); }

void TFormWindow::MapBoxChange(QComboBox* sender) {
  map_[sender->property("Tag").toInt()] = static_cast<std::uint8_t>(sender->currentIndex());
}

void TFormWindow::CheckBoxMapClick(QCheckBox* sender) {
  map_[sender->property("Tag").toInt()] = sender->isChecked() ? 1 : 0;
}

// Buffers and the monitor.

void TFormWindow::OnWaveInData(WaveHeader* header) {
  corvane::OnWaveInData(*receiver_, audio_, path_, *joystick_, map_, header);
}

void TFormWindow::OnTimer() {
  tick_ = NextTick(tick_);
  if (MonitorRepaintDue(tick_)) PaintBox->update();
  for (int i = 0; i < 8; ++i) bars_[i]->setValue(BarValue(receiver_->Channels.positions[i]));
}

}  // namespace corvane
