#pragma once
// The property window in Qt 6 Widgets: the controls of the three pages, the tray icon
// with its menu, the 10 ms timer and the error box, as one view of TFormCorvane, whose
// handlers do all the work. Everything runs on the GUI thread.

#include <QWidget>
#include <array>

#include "app/form_corvane.h"
#include "app/form_view.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;

namespace corvane {

class TMonitorBox;
class TSlider;

class TFormWindow : public QWidget, public FormView {
  Q_OBJECT

 public:
  explicit TFormWindow(const FormPlatform& platform, QWidget* parent = nullptr);
  ~TFormWindow() override;

  // Runs the form's FormCreate once, after construction.
  void FormCreate() { form_.FormCreate(); }
  void PropertyClick() { form_.PropertyClick(); }
  void ExitClick() { form_.ExitClick(); }
  TFormCorvane& Form() { return form_; }

  // FormView.
  void ClearItems(FormControl list) override;
  void AddItem(FormControl list, std::string_view text) override;
  int ItemIndex(FormControl list) const override;
  void SetItemIndex(FormControl list, int index) override;
  bool Checked(FormControl box) const override;
  void SetChecked(FormControl box, bool checked) override;
  int SliderPosition() const override;
  void SetSliderPosition(int position) override;
  void SetCaption(FormControl button, std::string_view caption) override;
  void SetBarPosition(FormControl bar, int position) override;
  void RepaintMonitor() override;
  bool WindowVisible() const override;
  void ShowWindow() override;
  void HideWindow() override;
  void CloseWindow() override;
  bool TrayAvailable() const override;
  void AddTaskIcon() override;
  void DelTaskIcon() override;
  void PopupMenu() override;
  void EnableTimer(bool enabled) override;
  void ShowError(std::string_view message) override;

 signals:
  // The window has closed for good ("Exit"): the event loop should end.
  void Ended();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Builds the pages and their controls (form_controls.cpp).
  void BuildControls();
  void ConnectHandlers();
  QComboBox* List(FormControl list) const;
  QCheckBox* CheckBox(FormControl box) const;

  TFormCorvane form_;

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
  QPushButton* ButtonOK = nullptr;
  QPushButton* ButtonCancel = nullptr;
  QPushButton* ButtonApply = nullptr;
  QMenu* popupMenu_ = nullptr;  // PopupMenu
  QSystemTrayIcon* TrayIcon = nullptr;
  QTimer* Timer = nullptr;
};

}  // namespace corvane
