// The property window under an offscreen display, with the platform faked.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/qt/form_window.h"
#include "app/monitor_math.h"
#include "platform/linux/local_single_instance.h"
#include "window/form_rig.h"

namespace corvane {
namespace {

using Calls = std::vector<std::string>;

// The rows of the monitor image that hold green pixels, column by column.
std::vector<int> TraceRows(QWidget* box) {
  const QImage image = box->grab().toImage();
  std::vector<int> rows;
  for (int x = 0; x < image.width(); ++x) {
    int row = -1;
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixel(x, y) == qRgb(0, 255, 0)) row = y;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

class FormTest : public QObject {
  Q_OBJECT

 private slots:
  void ControlTable() {
    Rig rig;
    // Design-time values, which loading the settings at start replaces.
    QCOMPARE(rig.Find<QComboBox>("ComboBoxDevice")->itemText(0), QStringLiteral("Not selected"));
    QCOMPARE(rig.Find<QSlider>("SliderVolume")->value(), 32768);
    rig.form.FormCreate();
    TFormWindow& form = rig.form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Corvane Propaties"));
    QCOMPARE(form.minimumSize(), QSize(472, 420));
    QCOMPARE(form.maximumSize(), QSize(472, 420));
    QCOMPARE(form.pos(), QPoint(749, 463));
    QCOMPARE(form.font().family(), QStringLiteral("Verdana"));
    QCOMPARE(form.font().pixelSize(), 12);
    QVERIFY(!form.isVisible());

    struct Row {
      const char* name;
      QRect geometry;
      const char* text;  // button, check box or label text; nullptr for none
    };
    const Row rows[] = {
        {"PageControl", {8, 8, 457, 377}, nullptr},
        {"ComboBoxDevice", {144, 48, 225, 20}, nullptr},
        {"ComboBoxPort", {144, 88, 225, 20}, nullptr},
        {"SliderVolume", {137, 134, 239, 45}, nullptr},
        {"Panel", {144, 207, 225, 49}, nullptr},
        {"PaintBox", {1, 1, 223, 47}, nullptr},
        {"ButtonStart", {144, 292, 89, 20}, "Start"},
        {"CheckBoxAutoStart", {256, 294, 169, 17}, "Automatically start input"},
        {"ComboBoxMode", {88, 40, 209, 20}, nullptr},
        {"ButtonOK", {184, 392, 89, 20}, "OK"},
        {"ButtonCancel", {280, 392, 89, 20}, "Cancel"},
        {"ButtonApply", {376, 392, 89, 20}, "Apply(&A)"},
    };
    for (const Row& row : rows) {
      QWidget* control = rig.Find(row.name);
      QVERIFY2(control->geometry() == row.geometry, row.name);
      if (row.text) QCOMPARE(control->property("text").toString(), QString::fromUtf8(row.text));
    }
    // Labels sit at their left and top; their size follows the text.
    struct LabelRow {
      QString name;
      QPoint at;
      QString text;
    };
    std::vector<LabelRow> labels = {{"LabelI1", {72, 52}, "Device"},
                                    {"LabelI2", {72, 92}, "Port"},
                                    {"LabelI3", {72, 146}, "Volume"},
                                    {"LabelI4", {72, 223}, "Monitor"},
                                    {"LabelT1", {32, 43}, "TX Type"}};
    const char* mapNames[] = {"Axis 1", "Axis 2", "Axis 3", "Axis 4",
                              "Axis 5", "Axis 6", "Button 1", "Button 2"};
    for (int i = 0; i < 8; ++i) {
      labels.push_back({QStringLiteral("LabelT%1").arg(i + 2), {32, 115 + 24 * i},
                        QStringLiteral("Ch.%1").arg(i + 1)});
      labels.push_back({QStringLiteral("LabelM%1").arg(i + 1), {72, 51 + 32 * i},
                        QString::fromLatin1(mapNames[i])});
    }
    for (const LabelRow& row : labels) {
      auto* label = form.findChild<QLabel*>(row.name);
      QVERIFY2(label != nullptr, qPrintable(row.name));
      QCOMPARE(label->pos(), row.at);
      QCOMPARE(label->text(), row.text);
    }

    auto* pages = rig.Find<QTabWidget>("PageControl");
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->currentIndex(), 0);
    const char* pageNames[] = {"TabSheetInput", "TabSheetTX", "TabSheetMap"};
    const char* captions[] = {"Input", "TX", "Mapping"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(pages->widget(i)->objectName(), QString::fromLatin1(pageNames[i]));
      QCOMPARE(pages->tabText(i), QString::fromLatin1(captions[i]));
    }

    auto items = [](QComboBox* box) {
      QStringList texts;
      for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
      return texts;
    };
    QCOMPARE(items(rig.Find<QComboBox>("ComboBoxDevice")), QStringList{"USB Audio"});
    auto* mode = rig.Find<QComboBox>("ComboBoxMode");
    QCOMPARE(items(mode), (QStringList{"PCM1024 (Futaba)", "SPCM (JR)"}));
    QCOMPARE(mode->currentIndex(), 0);

    auto* slider = rig.Find<QSlider>("SliderVolume");
    QCOMPARE(slider->orientation(), Qt::Horizontal);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 65535);
    QCOMPARE(slider->tickInterval(), 4096);
    QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
    QCOMPARE(slider->value(), 0);  // first run: no stored volume

    for (int i = 0; i < 8; ++i) {
      auto* bar = form.findChild<QProgressBar*>(QStringLiteral("ProgressBar%1").arg(i + 1));
      QVERIFY(bar != nullptr);
      QCOMPARE(bar->geometry(), QRect(88, 112 + 24 * i, 308, 16));
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 1024);
      QVERIFY(!bar->isTextVisible());

      auto* box = form.findChild<QComboBox*>(QStringLiteral("MapBox%1").arg(i + 1));
      QVERIFY(box != nullptr);
      QCOMPARE(box->geometry(), QRect(152, 48 + 32 * i, 145, 20));
      QCOMPARE(box->property("Tag").toInt(), i);
      QCOMPARE(items(box), (QStringList{"Ch.1", "Ch.2", "Ch.3", "Ch.4", "Ch.5", "Ch.6", "Ch.7",
                                        "Ch.8"}));
    }
    const int advancedTops[] = {243, 275};
    for (int i = 0; i < 2; ++i) {
      auto* box = form.findChild<QCheckBox*>(QStringLiteral("CheckBoxM%1").arg(i + 1));
      QVERIFY(box != nullptr);
      QCOMPARE(box->pos(), QPoint(312, advancedTops[i]));
      QCOMPARE(box->text(), QStringLiteral("Advanced"));
      QCOMPARE(box->property("Tag").toInt(), 8 + i);
    }

    QVERIFY(rig.Button("ButtonOK")->isDefault());
    QStringList menu;
    for (QAction* item : rig.Find<QMenu>("PopupMenu")->actions()) {
      menu << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(menu, (QStringList{"Property", "-", "Exit"}));
    QCOMPARE(rig.Tray()->toolTip(), QStringLiteral("Corvane"));
    QVERIFY(!rig.Tray()->icon().isNull());
    QCOMPARE(rig.Timer()->interval(), 10);
    QVERIFY(!rig.Timer()->isActive());
  }

  void StartTogglesInputTimerAndCaption() {
    Rig rig;
    rig.form.FormCreate();
    QPushButton* start = rig.Button("ButtonStart");
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QStringLiteral("Stop"));
    QVERIFY(rig.Timer()->isActive());
    QVERIFY(rig.form.Form().Receiver().Running);
    QCOMPARE(rig.device.calls, (Calls{"open", "prepare", "prepare", "add", "add", "start"}));
    QCOMPARE(rig.device.listener, static_cast<WaveInListener*>(&rig.form.Form()));

    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QStringLiteral("Start"));
    QVERIFY(!rig.Timer()->isActive());
    QVERIFY(!rig.form.Form().Receiver().Running);
    const Calls tail(rig.device.calls.end() - 3, rig.device.calls.end());
    QCOMPARE(tail, (Calls{"stop", "reset", "close"}));

    // With no recording device the toggle goes on all the same.
    rig.device.failOpen = true;
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(start->text(), QStringLiteral("Stop"));
    QVERIFY(rig.Timer()->isActive());
  }

  void ModeFollowsTheUsersChoiceWithoutRestartingInput() {
    Rig rig;
    rig.form.FormCreate();
    QTest::mouseClick(rig.Button("ButtonStart"), Qt::LeftButton);
    const Calls before = rig.device.calls;
    auto* mode = rig.Find<QComboBox>("ComboBoxMode");
    QTest::keyClick(mode, Qt::Key_Down);
    QCOMPARE(mode->currentIndex(), 1);
    QCOMPARE(rig.form.Form().Receiver().Mode, 1);
    QVERIFY(rig.form.Form().Receiver().Running);
    QCOMPARE(rig.device.calls, before);
    // An index set from code (as the settings do) runs no handler.
    mode->setCurrentIndex(0);
    QCOMPARE(rig.form.Form().Receiver().Mode, 1);
  }

  void MapControlsEditTheirMapByte() {
    Rig rig;
    rig.form.FormCreate();
    auto* box = rig.Find<QComboBox>("MapBox3");
    box->setCurrentIndex(4);
    QCOMPARE(rig.form.Form().Map()[2], 2);  // from code: no handler
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(rig.form.Form().Map()[2], 5);
    auto* advanced = rig.Find<QCheckBox>("CheckBoxM2");
    QTest::mouseClick(advanced, Qt::LeftButton);
    QCOMPARE(rig.form.Form().Map()[9], 1);
    advanced->setChecked(false);  // a check box runs its handler on any change
    QCOMPARE(rig.form.Form().Map()[9], 0);
    QCOMPARE(rig.form.Form().Map()[8], 0);
  }

  void CloseHidesAndExitEnds() {
    Rig rig;
    rig.form.FormCreate();
    QSignalSpy ended(&rig.form, &TFormWindow::Ended);
    QVERIFY(rig.Tray()->isVisible());
    rig.MenuItem("Property")->trigger();
    QVERIFY(rig.form.isVisible());
    QTest::mouseClick(rig.Button("ButtonStart"), Qt::LeftButton);

    rig.form.close();
    QVERIFY(!rig.form.isVisible());
    QCOMPARE(ended.count(), 0);
    QVERIFY(rig.Tray()->isVisible());
    QVERIFY(rig.Timer()->isActive());
    QVERIFY(rig.form.Form().Receiver().Running);

    rig.MenuItem("Property")->trigger();
    rig.MenuItem("Exit")->trigger();
    QVERIFY(!rig.form.isVisible());
    QCOMPARE(ended.count(), 1);
    QVERIFY(!rig.Tray()->isVisible());
    QVERIFY(!rig.Timer()->isActive());
  }

  void TrayMenuOpensOnTheContextRequestOnly() {
    Rig rig;
    rig.form.FormCreate();
    auto* menu = rig.Find<QMenu>("PopupMenu");
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                        QSystemTrayIcon::MiddleClick}) {
      emit rig.Tray()->activated(reason);
      QVERIFY(!menu->isVisible());
    }
    emit rig.Tray()->activated(QSystemTrayIcon::Context);
    QVERIFY(menu->isVisible());
    menu->hide();
  }

  void OkCancelApplyStoreReloadAndHide() {
    Rig rig;
    rig.form.FormCreate();
    rig.form.show();
    QTest::mouseClick(rig.Button("ButtonApply"), Qt::LeftButton);
    QCOMPARE(rig.Stored().size(), 6u);
    QVERIFY(rig.form.isVisible());
    QTest::mouseClick(rig.Button("ButtonOK"), Qt::LeftButton);
    QVERIFY(!rig.form.isVisible());

    // Without the right to write, OK shows the error for the first value, stores
    // nothing and leaves the window open.
    rig.form.show();
    rig.store.keys.clear();
    rig.store.failCreate = true;
    QTest::mouseClick(rig.Button("ButtonOK"), Qt::LeftButton);
    QVERIFY(rig.form.isVisible());
    QCOMPARE(rig.form.errors, QStringList{QStringLiteral("'InputDevice' の設定に失敗しました")});
    QVERIFY(rig.store.keys.empty());

    // A stored value of the wrong type stops Cancel with its error; the window stays.
    rig.store.failCreate = false;
    rig.Store("InputMode", kRegSz, {'1', 0});
    QTest::keyClick(&rig.form, Qt::Key_Escape);  // Escape presses Cancel
    QVERIFY(rig.form.isVisible());
    QCOMPARE(rig.form.errors.last(), QStringLiteral("'InputMode' のデータ型が不正です"));
    rig.Stored().erase("InputMode");
    QTest::keyClick(&rig.form, Qt::Key_Escape);
    QVERIFY(!rig.form.isVisible());
  }

  void SettingsErrorAtStartLeavesOutTheTrayIcon() {
    Rig rig;
    QSignalSpy ended(&rig.form, &TFormWindow::Ended);
    rig.Store("InputDevice", kRegSz, {'0', 0});
    rig.form.FormCreate();
    QCOMPARE(rig.form.errors, QStringList{QStringLiteral("'InputDevice' のデータ型が不正です")});
    QVERIFY(!rig.Tray()->isVisible());
    QVERIFY(!rig.form.isVisible());
    QCOMPARE(ended.count(), 0);
    QCOMPARE(rig.Find<QComboBox>("MapBox1")->count(), 8);
    // The device list was filled before the error; nothing after it was loaded.
    QCOMPARE(rig.Find<QComboBox>("ComboBoxDevice")->count(), 1);
    QCOMPARE(rig.Find<QComboBox>("ComboBoxPort")->count(), 0);
  }

  void MonitorRowsAndRepaintTicks() {
    QCOMPARE(MonitorRow(47, 32767), 0);
    QCOMPARE(MonitorRow(47, -32768), 46);
    QCOMPARE(MonitorRow(47, 0), 23);
    QCOMPARE(MonitorRow(47, 1394), 23);   // 47 × 1394 / 65535 truncates to 0
    QCOMPARE(MonitorRow(47, -1395), 24);  // and −1.0004… to −1
    for (std::int32_t tick : {4, 8, 12, 0}) QVERIFY(MonitorRepaintDue(tick));
    for (std::int32_t tick : {1, 2, 3, 5, -3}) QVERIFY(!MonitorRepaintDue(tick));
    QCOMPARE(NextTick(INT32_MAX), INT32_MIN);
    QVERIFY(MonitorRepaintDue(INT32_MIN));
  }

  void MonitorDrawsTheLatestBuffer() {
    Rig rig;
    auto* box = rig.Find("PaintBox");
    QCOMPARE(TraceRows(box), std::vector<int>(223, -1));  // no receiver yet: black
    rig.form.FormCreate();
    QCOMPARE(TraceRows(box), std::vector<int>(223, 23));  // cleared copy: flat middle line

    QTest::mouseClick(rig.Button("ButtonStart"), Qt::LeftButton);
    std::int16_t samples[1000];
    for (std::int16_t level : {std::int16_t{32767}, std::int16_t{-32768}}) {
      std::fill(std::begin(samples), std::end(samples), level);
      rig.form.Form().OnWaveInData(rig.device.Fill(samples, sizeof samples));
      QCOMPARE(TraceRows(box), std::vector<int>(223, MonitorRow(47, level)));
    }
  }

  void BarsFollowPositionsEveryTick() {
    Rig rig;
    rig.form.FormCreate();
    auto bar = [&](int n) {
      return rig.form.findChild<QProgressBar*>(QStringLiteral("ProgressBar%1").arg(n))->value();
    };
    rig.form.Form().OnTimer();
    for (int n = 1; n <= 8; ++n) QCOMPARE(bar(n), 512);
    const std::int32_t positions[8] = {0, 1, 100, 512, 1023, 1024, -7, 5000};
    const int shown[8] = {0, 1, 100, 512, 1023, 1024, 0, 1024};
    for (int i = 0; i < 8; ++i) rig.form.Form().Receiver().Channels.positions[i] = positions[i];
    rig.form.Form().OnTimer();
    for (int n = 1; n <= 8; ++n) QCOMPARE(bar(n), shown[n - 1]);
  }

  void SecondStartReachesTheFirst() {
    QTemporaryDir folder;
    LocalSingleInstance first(folder.path());
    LocalSingleInstance second(folder.path());
    QVERIFY(first.Claim());
    QSignalSpy shown(&first, &LocalSingleInstance::ShowRequested);
    QVERIFY(!second.Claim());
    QVERIFY(second.AskRunningToShow());
    QVERIFY(shown.wait(2000));
    // Where no lock can be made the program still runs.
    LocalSingleInstance unguarded(folder.path() + QStringLiteral("/missing"));
    QVERIFY(unguarded.Claim());
  }
};

}  // namespace corvane

QTEST_MAIN(corvane::FormTest)
#include "form_test.moc"
