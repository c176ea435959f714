#pragma once
// The property window: the application's main form. It owns the receiver, hosts the
// Input, TX and Mapping pages, the tray icon with its menu and the 10 ms monitor timer,
// and handles every captured buffer. Everything runs on the GUI thread.

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/form_corvane.h"
#include "decode/input_control.h"
#include "decode/signal_path.h"
#include "joystick/joystick_report.h"
#include "joystick/kestrovan.h"
#include "platform/audio_device.h"
#include "platform/driver_bus.h"
#include "platform/key_store.h"
#include "platform/mixer_device.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;

namespace corvane {

class TMonitorBox;
class TSlider;


class TFormWindow : public QWidget, public WaveInListener {
  Q_OBJECT

 public:
  explicit TFormWindow(const FormPlatform& platform, QWidget* parent = nullptr);
  ~TFormWindow() override;

  // Creates the receiver, fills the map lists, loads the settings and adds the tray
  // icon. Runs once, after construction.
  void FormCreate();

  void OnWaveInData(WaveHeader* header) override;
  void OnTimer();
  void PropertyClick();
  void ExitClick();

  TInputControl& Receiver() { return *receiver_; }
  const ChannelMap& Map() const { return map_; }

 signals:
  // The window has closed for good ("Exit"): the event loop should end.
  void Ended();

 protected:
  // Load and store the settings. An error raised here reaches the user in an error box.
  void ReadSetting();
  void WriteSetting();
  virtual void ShowError(const QString& message);

  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Builds the pages and their controls (form_controls.cpp).
  void BuildControls();
  void ConnectHandlers();

  void FormClose();
  void FormDestroy();
  void AddTaskIcon();
  void DelTaskIcon();
  void OnTaskIconMessage(int reason);
  void OpenJoystick();
  // Appends what a mixer listing gave to a list, keeping its order.
  static void AddItems(QComboBox* list, const std::vector<std::string>& names);

  void ButtonStartClick();
  void ButtonOKClick();
  void ButtonCancelClick();
  void ButtonApplyClick();
  void ComboBoxDeviceChange();
  void ComboBoxPortChange();
  void VolumeChange();
  void ComboBoxModeChange();
  void MapBoxChange(QComboBox* sender);
  void CheckBoxMapClick(QCheckBox* sender);

  // Runs a handler; an error it raises is shown and the program goes on.
  template <class Handler>
  void Guarded(Handler handler);

  AudioDevice& audio_;
  MixerDevice& mixer_;
  DriverBus& bus_;
  KeyStore& store_;
  std::unique_ptr<TKestrovan> joystick_;
  std::unique_ptr<TInputControl> receiver_;
  SignalPath path_;  // slicer and decoders: one instance for the life of the program
  ChannelMap map_ = kDefaultChannelMap;
  std::int32_t tick_ = 0;

  // The controls; each one's objectName is its member name.
  QTabWidget* PageControl = nullptr;
  QWidget* TabSheetInput = nullptr;
  QWidget* TabSheetTX = nullptr;
  QWidget* TabSheetMap = nullptr;
  QComboBox* ComboBoxDevice = nullptr;
  QComboBox* ComboBoxPort = nullptr;
  TSlider* SliderVolume = nullptr;
  QFrame* Panel = nullptr;
  TMonitorBox* PaintBox = nullptr;
  QPushButton* ButtonStart = nullptr;
  QCheckBox* CheckBoxAutoStart = nullptr;
  QComboBox* ComboBoxMode = nullptr;
  std::array<QProgressBar*, 8> bars_{};    // ProgressBar1 … ProgressBar8
  std::array<QComboBox*, 8> mapBoxes_{};  // MapBox1 … MapBox8
  QCheckBox* CheckBoxM1 = nullptr;
  QCheckBox* CheckBoxM2 = nullptr;
  std::array<QWidget*, 10> mapControls_{};  // MapBox1 … MapBox8, CheckBoxM1, CheckBoxM2
  QPushButton* ButtonOK = nullptr;
  QPushButton* ButtonCancel = nullptr;
  QPushButton* ButtonApply = nullptr;
  QMenu* PopupMenu = nullptr;
  QSystemTrayIcon* TrayIcon = nullptr;
  QTimer* Timer = nullptr;
};

}  // namespace corvane
