// The property window's pages and controls, with the texts, ranges, positions and sizes
// the window is laid out in (left, top, width, height, relative to the page).

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

template <class Control>
Control* Place(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new Control(parent);
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(left, top, width, height);
  return control;
}

// A label takes the size of its text, as an auto-sized label does.
QLabel* PlaceLabel(QWidget* parent, const QString& name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QWidget* AddPage(QTabWidget* pages, const char* name, const char* caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  pages->addTab(page, QString::fromLatin1(caption));
  return page;
}

QString Numbered(const char* stem, int n) { return QString::fromLatin1(stem) + QString::number(n); }

}  // namespace

void TFormWindow::BuildControls() {
  PageControl = Place<QTabWidget>(this, "PageControl", 8, 8, 457, 377);

  // Input page.
  TabSheetInput = AddPage(PageControl, "TabSheetInput", "Input");
  const char* inputLabels[] = {"Device", "Port", "Volume", "Monitor"};
  const int inputLabelTops[] = {52, 92, 146, 223};
  for (int i = 0; i < 4; ++i) {
    PlaceLabel(TabSheetInput, Numbered("LabelI", i + 1), QString::fromLatin1(inputLabels[i]), 72,
               inputLabelTops[i]);
  }
  ComboBoxDevice = Place<QComboBox>(TabSheetInput, "ComboBoxDevice", 144, 48, 225, 20);
  ComboBoxDevice->addItem(QStringLiteral("Not selected"));
  ComboBoxPort = Place<QComboBox>(TabSheetInput, "ComboBoxPort", 144, 88, 225, 20);
  SliderVolume = Place<TSlider>(TabSheetInput, "SliderVolume", 137, 134, 239, 45);
  Panel = Place<QFrame>(TabSheetInput, "Panel", 144, 207, 225, 49);
  Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel->setLineWidth(1);
  Panel->setAutoFillBackground(true);
  QPalette black = Panel->palette();
  black.setColor(QPalette::Window, Qt::black);
  Panel->setPalette(black);
  PaintBox = Place<TMonitorBox>(Panel, "PaintBox", 1, 1, 223, 47);
  ButtonStart = Place<QPushButton>(TabSheetInput, "ButtonStart", 144, 292, 89, 20);
  ButtonStart->setText(QStringLiteral("Start"));
  CheckBoxAutoStart = Place<QCheckBox>(TabSheetInput, "CheckBoxAutoStart", 256, 294, 169, 17);
  CheckBoxAutoStart->setText(QStringLiteral("Automatically start input"));

  // TX page.
  TabSheetTX = AddPage(PageControl, "TabSheetTX", "TX");
  PlaceLabel(TabSheetTX, QStringLiteral("LabelT1"), QStringLiteral("TX Type"), 32, 43);
  ComboBoxMode = Place<QComboBox>(TabSheetTX, "ComboBoxMode", 88, 40, 209, 20);
  for (const SignalFormat& format : TrayFormats()) {
    ComboBoxMode->addItem(QString::fromLatin1(format.caption.data(), static_cast<qsizetype>(format.caption.size())));
  }
  ComboBoxMode->setCurrentIndex(0);
  for (int i = 0; i < 8; ++i) {
    PlaceLabel(TabSheetTX, Numbered("LabelT", i + 2), Numbered("Ch.", i + 1), 32, 115 + 24 * i);
    auto* bar = new QProgressBar(TabSheetTX);
    bar->setObjectName(Numbered("ProgressBar", i + 1));
    bar->setGeometry(88, 112 + 24 * i, 308, 16);
    bar->setRange(0, 1024);
    bar->setValue(0);
    bar->setTextVisible(false);
    bars_[i] = bar;
  }

  // Mapping page. Each control's Tag is the byte of the channel map it edits.
  TabSheetMap = AddPage(PageControl, "TabSheetMap", "Mapping");
  const char* mapLabels[] = {"Axis 1", "Axis 2", "Axis 3", "Axis 4",
                             "Axis 5", "Axis 6", "Button 1", "Button 2"};
  for (int i = 0; i < 8; ++i) {
    PlaceLabel(TabSheetMap, Numbered("LabelM", i + 1), QString::fromLatin1(mapLabels[i]), 72,
               51 + 32 * i);
    auto* box = new QComboBox(TabSheetMap);
    box->setObjectName(Numbered("MapBox", i + 1));
    box->setGeometry(152, 48 + 32 * i, 145, 20);
    box->setProperty("Tag", i);
    mapBoxes_[i] = box;
  }
  CheckBoxM1 = new QCheckBox(QStringLiteral("Advanced"), TabSheetMap);
  CheckBoxM2 = new QCheckBox(QStringLiteral("Advanced"), TabSheetMap);
  const int advancedTops[] = {243, 275};
  for (int i = 0; i < 2; ++i) {
    QCheckBox* advanced = i == 0 ? CheckBoxM1 : CheckBoxM2;
    advanced->setObjectName(Numbered("CheckBoxM", i + 1));
    advanced->move(312, advancedTops[i]);
    advanced->adjustSize();
    advanced->setProperty("Tag", 8 + i);
  }

  PageControl->setCurrentIndex(0);

  // Window buttons.
  ButtonOK = Place<QPushButton>(this, "ButtonOK", 184, 392, 89, 20);
  ButtonOK->setText(QStringLiteral("OK"));
  ButtonOK->setDefault(true);
  ButtonCancel = Place<QPushButton>(this, "ButtonCancel", 280, 392, 89, 20);
  ButtonCancel->setText(QStringLiteral("Cancel"));
  ButtonApply = Place<QPushButton>(this, "ButtonApply", 376, 392, 89, 20);
  ButtonApply->setText(QStringLiteral("Apply(&A)"));

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
