// The property window under an offscreen display, with the platform faked.

#include <QAbstractButton>
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
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/form_layout.h"
#include "app/qt/form_window.h"
#include "app/monitor_math.h"
#include "decode/signal_formats.h"
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

// Every control value of a fake sound card, destination by destination.
std::vector<std::vector<std::uint32_t>> ControlValues(const testing::FakeMixerDevice::Device& card) {
  std::vector<std::vector<std::uint32_t>> values;
  for (const auto& destination : card.destinations) {
    for (const auto& control : destination.line.controls) values.push_back(control.values);
    for (const auto& source : destination.sources) {
      for (const auto& control : source.controls) values.push_back(control.values);
    }
  }
  return values;
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

    auto items = [](QComboBox* box) {
      QStringList texts;
      for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
      return texts;
    };
    // Every control of the layout table: its parent, place, size where the row gives one,
    // text and Tag, and the TX Type list's items.
    auto* pages = rig.Find<QTabWidget>("PageControl");
    int page = 0;
    for (const ControlLayout& row : kFormLayout) {
      const QString name = QString::fromLatin1(row.name.data(), static_cast<qsizetype>(row.name.size()));
      const QString text = QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size()));
      const QString parent =
          QString::fromLatin1(row.parent.data(), static_cast<qsizetype>(row.parent.size()));
      QWidget* control = rig.Find(row.name.data());
      if (row.kind == ControlKind::kPage) {
        QCOMPARE(pages->widget(page), control);
        QCOMPARE(pages->tabText(page++), text);
        continue;
      }
      QVERIFY2(control->parentWidget()->objectName() == (parent.isEmpty() ? "FormCorvane" : parent),
               qPrintable(name));
      const ControlPlace& place = row.place;
      if (row.kind == ControlKind::kLabel || place.width == 0) {
        QVERIFY2(control->pos() == QPoint(place.left, place.top), qPrintable(name));
      } else {
        QVERIFY2(control->geometry() == QRect(place.left, place.top, place.width, place.height),
                 qPrintable(name));
      }
      if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), text);
      if (auto* button = qobject_cast<QAbstractButton*>(control)) QCOMPARE(button->text(), text);
      QCOMPARE(control->property("Tag").isValid() ? control->property("Tag").toInt() : -1, row.tag);
      if (row.items == ListItems::kTrayFormats) {
        QStringList formats;
        for (const SignalFormat& format : TrayFormats()) {
          formats << QString::fromUtf8(format.caption.data(), static_cast<qsizetype>(format.caption.size()));
        }
        QCOMPARE(items(qobject_cast<QComboBox*>(control)), formats);
      }
    }
    QCOMPARE(page, pages->count());
    QCOMPARE(pages->count(), 3);
    QCOMPARE(pages->currentIndex(), 0);

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
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 1024);
      QVERIFY(!bar->isTextVisible());

      auto* box = form.findChild<QComboBox*>(QStringLiteral("MapBox%1").arg(i + 1));
      QVERIFY(box != nullptr);
      QCOMPARE(items(box), (QStringList{"Ch.1", "Ch.2", "Ch.3", "Ch.4", "Ch.5", "Ch.6", "Ch.7",
                                        "Ch.8"}));
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

  void TrayMenuIsTheIconsContextMenu() {
    Rig rig;
    rig.form.FormCreate();
    // The tray opens the context menu itself (XEmbed: on a right button press) or shows
    // it from D-Bus; no activation opens a menu of the window's own, not even a second
    // one on the context request.
    auto* menu = rig.Find<QMenu>("PopupMenu");
    QCOMPARE(rig.Tray()->contextMenu(), menu);
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Context}) {
      emit rig.Tray()->activated(reason);
      QVERIFY(!menu->isVisible());
      QVERIFY(!rig.form.isVisible());
    }
  }

  void WithoutATrayTheWindowIsTheProgram() {
    // The form alone is destroyed at the end, as the program's entry does once the event
    // loop has ended, so that the platform fakes can be read afterwards.
    Rig rig;
    auto form = std::make_unique<TestForm>(FormPlatform{rig.device, rig.mixer, rig.bus, rig.store});
    QSignalSpy ended(form.get(), &TFormWindow::Ended);
    form->trayAvailable = false;
    form->FormCreate();
    QVERIFY(form->isVisible());
    auto* tray = form->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    QVERIFY(tray->isVisible());  // docks once a tray appears
    form->findChild<QPushButton*>(QStringLiteral("ButtonStart"))->click();
    const auto mixerAtStart = ControlValues(testing::ExampleCard());
    QVERIFY(ControlValues(rig.mixer.devices[0]) != mixerAtStart);  // the source is selected
    form->close();  // the close box
    QCOMPARE(ended.count(), 1);
    QVERIFY(!form->isVisible());
    QVERIFY(!tray->isVisible());
    form.reset();
    QCOMPARE(ControlValues(rig.mixer.devices[0]), mixerAtStart);  // the mixer given back
    QCOMPARE(rig.device.calls.back(), std::string("close"));       // input stopped
    QVERIFY(rig.Stored().empty());                                // settings untouched

    // A tray that appears later brings back the ordinary behaviour: closing hides.
    Rig later;
    QSignalSpy laterEnded(&later.form, &TFormWindow::Ended);
    later.form.trayAvailable = false;
    later.form.FormCreate();
    later.form.trayAvailable = true;
    later.form.close();
    QVERIFY(!later.form.isVisible());
    QCOMPARE(laterEnded.count(), 0);
    QVERIFY(later.Tray()->isVisible());
  }

  void EnterPressesTheFocusedButtonOrOkAndEscapeCancel() {
    struct Case {
      const char* focus;
      Qt::Key key;
      const char* pressed;
    };
    const Case cases[] = {
        {"ButtonStart", Qt::Key_Return, "ButtonStart"},
        {"ButtonCancel", Qt::Key_Return, "ButtonCancel"},
        {"ButtonApply", Qt::Key_Enter, "ButtonApply"},
        {"ButtonOK", Qt::Key_Return, "ButtonOK"},
        {"ComboBoxDevice", Qt::Key_Return, "ButtonOK"},
        {"CheckBoxAutoStart", Qt::Key_Enter, "ButtonOK"},
        {"ButtonStart", Qt::Key_Escape, "ButtonCancel"},
        {"ButtonApply", Qt::Key_Escape, "ButtonCancel"},
        {"ButtonOK", Qt::Key_Escape, "ButtonCancel"},
        {"ComboBoxDevice", Qt::Key_Escape, "ButtonCancel"},
    };
    const char* buttons[] = {"ButtonStart", "ButtonOK", "ButtonCancel", "ButtonApply"};
    for (const Case& c : cases) {
      const QByteArray what = QByteArray(c.focus) + " " + QTest::toString(c.key) + " " + c.pressed;
      Rig rig;
      rig.form.FormCreate();
      rig.form.show();
      rig.form.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&rig.form));
      QWidget* focus = rig.Find(c.focus);
      focus->setFocus();
      QVERIFY2(focus->hasFocus(), what);
      std::vector<std::unique_ptr<QSignalSpy>> clicks;
      for (const char* name : buttons) {
        clicks.push_back(std::make_unique<QSignalSpy>(rig.Button(name), &QPushButton::clicked));
      }
      QTest::keyClick(focus, c.key);
      for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const int wanted = std::string_view(buttons[i]) == c.pressed ? 1 : 0;
        QVERIFY2(clicks[i]->count() == wanted, what + ": " + buttons[i]);
      }
      // What the user meant to throw away is not stored.
      const bool stores = std::string_view(c.pressed) == "ButtonOK" ||
                          std::string_view(c.pressed) == "ButtonApply";
      QVERIFY2(rig.Stored().empty() != stores, what);
    }
  }

  void PlacedAtItsPositionOrMovedOnScreen() {
    Rig rig;
    rig.form.FormCreate();
    rig.form.show();
    const QRect free = rig.form.screen()->availableGeometry();
    const QRect frame = rig.form.frameGeometry();
    QVERIFY2(free.contains(frame), qPrintable(QStringLiteral("offscreen area %1×%2")
                                                  .arg(free.width()).arg(free.height())));
    if (free.contains(QRect(QPoint(749, 463), frame.size()))) QCOMPARE(frame.topLeft(), QPoint(749, 463));
    // A window left partly off the screen comes back wholly on it when shown again.
    rig.form.hide();
    rig.form.move(free.right() - 100, free.bottom() - 100);
    rig.form.show();
    QVERIFY(free.contains(rig.form.frameGeometry()));
    QCOMPARE(rig.form.frameGeometry().bottomRight(), free.bottomRight());
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
