// The property window's pages and controls, made by walking kFormLayout
// (app/form_layout.h) in its order; what a kind of control needs beyond its row is set
// here.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>

#include "app/qt/form_window.h"
#include "app/qt/monitor_box.h"
#include "app/qt/slider.h"
#include "decode/signal_formats.h"

namespace corvane {

namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFrame* MakePanel(QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setAutoFillBackground(true);
  QPalette black = panel->palette();
  black.setColor(QPalette::Window, Qt::black);
  panel->setPalette(black);
  return panel;
}

QComboBox* MakeList(const ControlLayout& row, QWidget* parent) {
  auto* list = new QComboBox(parent);
  if (row.items == ListItems::kText) list->addItem(FromView(row.text));
  if (row.items == ListItems::kTrayFormats) {
    for (const SignalFormat& format : TrayFormats()) list->addItem(FromView(format.caption));
    list->setCurrentIndex(0);
  }
  return list;
}

QPushButton* MakeButton(const ControlLayout& row, QWidget* parent) {
  auto* button = new QPushButton(FromView(row.text), parent);
  button->setDefault(row.kind == ControlKind::kDefaultButton);
  return button;
}

QProgressBar* MakeBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, 1024);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

// The control of a row, without its name and place; nullptr for a page.
QWidget* Make(const ControlLayout& row, QWidget* parent) {
  switch (row.kind) {
    case ControlKind::kPageControl:
      return new QTabWidget(parent);
    case ControlKind::kPage:
      return nullptr;
    case ControlKind::kLabel:
      return new QLabel(FromView(row.text), parent);
    case ControlKind::kDropDownList:
      return MakeList(row, parent);
    case ControlKind::kSlider:
      return new TSlider(parent);
    case ControlKind::kPanel:
      return MakePanel(parent);
    case ControlKind::kPaintBox:
      return new TMonitorBox(parent);
    case ControlKind::kButton:
    case ControlKind::kDefaultButton:
      return MakeButton(row, parent);
    case ControlKind::kCheckBox:
      return new QCheckBox(FromView(row.text), parent);
    case ControlKind::kProgressBar:
      return MakeBar(parent);
  }
  return nullptr;
}

}  // namespace

void TFormWindow::BuildControls() {
  for (std::size_t i = 0; i < std::size(kFormLayout); ++i) {
    const ControlLayout& row = kFormLayout[i];
    QWidget* parent = row.parent.empty() ? this : rows_[RowIndex(*FindLayout(row.parent))];
    QWidget* control;
    if (row.kind == ControlKind::kPage) {
      control = new QWidget;
      qobject_cast<QTabWidget*>(parent)->addTab(control, FromView(row.text));
    } else {
      control = Make(row, parent);
      // Sized by the toolkit where the row gives no size.
      if (row.kind == ControlKind::kLabel || row.place.width == 0) {
        control->move(row.place.left, row.place.top);
        control->adjustSize();
      } else {
        control->setGeometry(row.place.left, row.place.top, row.place.width, row.place.height);
      }
    }
    control->setObjectName(FromView(row.name));
    if (row.tag >= 0) control->setProperty("Tag", row.tag);
    rows_[i] = control;
  }
  Find<QTabWidget>("PageControl")->setCurrentIndex(0);

  // Tray menu and monitor timer.
  popupMenu_ = new QMenu(this);
  popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
  popupMenu_->addAction(QStringLiteral("Property"))->setObjectName(QStringLiteral("Property"));
  popupMenu_->addSeparator();
  popupMenu_->addAction(QStringLiteral("Exit"))->setObjectName(QStringLiteral("Exit"));
  TrayIcon = new QSystemTrayIcon(this);
  TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
  TrayIcon->setToolTip(QStringLiteral("Corvane"));
  TrayIcon->setContextMenu(popupMenu_);
  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setInterval(10);
}

}  // namespace corvane
