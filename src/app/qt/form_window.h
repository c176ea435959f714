#pragma once
// The property window in Qt 6 Widgets: the controls of the three pages, the tray icon
// with its menu, the 10 ms timer and the error box, as one view of TFormCorvane, whose
// handlers do all the work. Everything runs on the GUI thread.

#include <QWidget>
#include <array>
#include <iterator>
#include <string_view>

#include "app/form_corvane.h"
#include "app/form_view.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace corvane {

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
  // Whether the desktop shows tray icons now.
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
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Builds the pages and their controls (form_controls.cpp).
  void BuildControls();
  void ConnectHandlers();
  // Moves the window the least that puts it wholly on its screen's free area.
  void PlaceOnScreen();

  TFormCorvane form_;
  bool placeWhenExposed_ = false;  // shown, and its frame not yet measured on screen

  // Each row's control, in kFormLayout's order; its objectName is the row's name.
  std::array<QWidget*, std::size(kFormLayout)> rows_{};
  QWidget* Widget(FormControl control) const { return rows_[RowIndex(LayoutOf(control))]; }
  template <class Control>
  Control* Find(std::string_view name) const {
    return qobject_cast<Control*>(rows_[RowIndex(*FindLayout(name))]);
  }
  QMenu* popupMenu_ = nullptr;  // PopupMenu
  QSystemTrayIcon* TrayIcon = nullptr;
  QTimer* Timer = nullptr;
};

}  // namespace corvane
