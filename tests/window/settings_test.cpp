// Loading and storing the settings through the property window, and one run of the
// window end to end: a generated signal in, joystick reports out through the map.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

#include "platform/linux/file_key_store.h"
#include "siggen/signal_generator.h"
#include "window/form_rig.h"

namespace corvane {

using testing::kLineVolume;
using testing::kMicMute;
using testing::kMicVolume;
using testing::kMux;

namespace {

std::vector<std::uint32_t> U(std::initializer_list<std::uint32_t> v) { return v; }

std::int32_t AxisOf(const std::vector<std::uint8_t>& report, int axis) {
  std::uint32_t v = 0;
  for (int b = 3; b >= 0; --b) v = v << 8 | report[static_cast<std::size_t>(4 * axis + b)];
  return static_cast<std::int32_t>(v);
}

// Picks an item the way the user does, so the list's handler runs.
void Choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void FirstRunTakesEveryDefault() {
    Rig rig;
    rig.form.FormCreate();
    auto* device = rig.Find<QComboBox>("ComboBoxDevice");
    auto* port = rig.Find<QComboBox>("ComboBoxPort");
    QCOMPARE(device->count(), 1);
    QCOMPARE(device->currentText(), QStringLiteral("USB Audio"));
    QCOMPARE(port->count(), 3);
    QCOMPARE(port->currentText(), QStringLiteral("Mic"));
    QCOMPARE(rig.Find<QSlider>("SliderVolume")->value(), 0);
    QCOMPARE(rig.mixer.ValuesOf(kMicVolume), U({0}));  // volume 0 applied to the source
    QCOMPARE(rig.mixer.ValuesOf(kMicMute), U({1}));    // its playback namesake muted
    QCOMPARE(rig.Find<QComboBox>("ComboBoxMode")->currentIndex(), 0);
    QCOMPARE(rig.form.Form().Receiver().Mode, 0);
    QCOMPARE(rig.form.Form().Map(), kDefaultChannelMap);
    for (int box = 1; box <= 8; ++box) {
      QCOMPARE(rig.form.findChild<QComboBox*>(QStringLiteral("MapBox%1").arg(box))->currentIndex(), box - 1);
    }
    QVERIFY(!rig.Find<QCheckBox>("CheckBoxM1")->isChecked());
    QVERIFY(!rig.Find<QCheckBox>("CheckBoxAutoStart")->isChecked());
    QVERIFY(!rig.form.Form().Receiver().Running);
    QVERIFY(rig.form.errors.isEmpty());
  }

  void StoredValuesAreHandedOnUnchecked() {
    Rig rig;
    rig.StoreInteger("InputPort", 1);
    rig.StoreInteger("InputVolume", 70000);
    rig.StoreInteger("InputMode", 5);
    rig.form.FormCreate();
    QCOMPARE(rig.Find<QComboBox>("ComboBoxPort")->currentText(), QStringLiteral("Line In"));
    QCOMPARE(rig.mixer.ValuesOf(kMux), U({0, 0, 1, 0}));
    QCOMPARE(rig.Find<QSlider>("SliderVolume")->value(), 65535);  // clamped
    QCOMPARE(rig.mixer.ValuesOf(kLineVolume), U({65535}));
    QCOMPARE(rig.Find<QComboBox>("ComboBoxMode")->currentIndex(), -1);  // no item 5
    QCOMPARE(rig.form.Form().Receiver().Mode, -1);

    // Nothing selected in the device list is stored as -1 and read back as -1.
    rig.Find<QComboBox>("ComboBoxDevice")->setCurrentIndex(-1);
    QTest::mouseClick(rig.Button("ButtonApply"), Qt::LeftButton);
    QCOMPARE(rig.Stored()["InputDevice"].data, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    QTest::mouseClick(rig.Button("ButtonCancel"), Qt::LeftButton);
    QCOMPARE(rig.Find<QComboBox>("ComboBoxDevice")->currentIndex(), -1);
    QCOMPARE(rig.Find<QComboBox>("ComboBoxPort")->count(), 0);
  }

  void WriteStoresWhatTheControlsShow() {
    Rig rig;
    rig.form.FormCreate();
    Choose(rig.Find<QComboBox>("ComboBoxPort"), 1);
    rig.Find<QSlider>("SliderVolume")->setValue(0x1234);
    rig.Find<QCheckBox>("CheckBoxAutoStart")->setChecked(true);
    Choose(rig.Find<QComboBox>("ComboBoxMode"), 1);
    Choose(rig.Find<QComboBox>("MapBox1"), 7);
    rig.Find<QCheckBox>("CheckBoxM2")->setChecked(true);
    QTest::mouseClick(rig.Button("ButtonApply"), Qt::LeftButton);
    auto& stored = rig.Stored();
    using Bytes = std::vector<std::uint8_t>;
    QCOMPARE(stored["InputDevice"].data, (Bytes{0, 0, 0, 0}));
    QCOMPARE(stored["InputPort"].data, (Bytes{1, 0, 0, 0}));
    QCOMPARE(stored["InputVolume"].data, (Bytes{0x34, 0x12, 0, 0}));
    QCOMPARE(stored["InputAutoStart"].data, (Bytes{1, 0, 0, 0}));
    QCOMPARE(stored["InputMode"].data, (Bytes{1, 0, 0, 0}));
    QCOMPARE(stored["Mapping"].type, kRegBinary);
    QCOMPARE(stored["Mapping"].data, (Bytes{7, 1, 2, 3, 4, 5, 6, 7, 0, 1}));
  }

  void MappingOfTwelveBytesIsRefusedAndOfEightReplacesItsOwn() {
    Rig rig;
    rig.Store("Mapping", kRegBinary, {7, 6, 5, 4, 3, 2, 1, 0, 1, 1});
    rig.form.FormCreate();
    QCOMPARE(rig.form.Form().Map(), (ChannelMap{7, 6, 5, 4, 3, 2, 1, 0, 1, 1}));
    QVERIFY(rig.Find<QCheckBox>("CheckBoxM1")->isChecked());

    rig.Store("Mapping", kRegBinary, {0, 0, 0, 0, 0, 0, 0, 0});
    QTest::mouseClick(rig.Button("ButtonCancel"), Qt::LeftButton);
    QCOMPARE(rig.form.Form().Map(), (ChannelMap{0, 0, 0, 0, 0, 0, 0, 0, 1, 1}));

    rig.Store("Mapping", kRegBinary, {0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0});
    rig.StoreInteger("InputAutoStart", 1);
    QTest::mouseClick(rig.Button("ButtonCancel"), Qt::LeftButton);
    QCOMPARE(rig.form.errors, QStringList{QStringLiteral("'Mapping' のデータ型が不正です")});
    QVERIFY(!rig.form.Form().Receiver().Running);  // the steps after the map were skipped
  }

  void AutoStartPressesStartOnEveryLoad() {
    Rig rig;
    rig.StoreInteger("InputAutoStart", 1);
    rig.form.FormCreate();
    QVERIFY(rig.form.Form().Receiver().Running);
    QCOMPARE(rig.Button("ButtonStart")->text(), QStringLiteral("Stop"));
    rig.form.show();
    QTest::mouseClick(rig.Button("ButtonCancel"), Qt::LeftButton);  // while running: stops
    QVERIFY(!rig.form.Form().Receiver().Running);
    QTest::mouseClick(rig.Button("ButtonCancel"), Qt::LeftButton);  // while stopped: starts
    QVERIFY(rig.form.Form().Receiver().Running);
  }

  // The real settings file, a generated PCM1024 signal through the capture path, and a
  // recording joystick bus: the reports carry the signal's positions through the map.
  void SignalReachesTheJoystickThroughTheMap() {
    QTemporaryDir folder;
    FileKeyStore store(std::filesystem::path(folder.path().toStdString()) / "registry.reg");
    testing::FakeAudioDevice device;
    testing::FakeMixerDevice mixer;
    testing::FakeDriverBus bus;
    bus.interfaces = {{"/dev/joystick-bus"}};
    TestForm form{FormPlatform{device, mixer, bus, store}};
    form.FormCreate();
    QVERIFY(form.errors.isEmpty());

    Choose(form.findChild<QComboBox*>("MapBox1"), 2);  // Axis 1 ← Ch.3
    Choose(form.findChild<QComboBox*>("MapBox3"), 0);  // Axis 3 ← Ch.1
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonOK"), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QPushButton*>("ButtonStart"), Qt::LeftButton);

    siggen::Pcm1024Settings signal;
    signal.positions = {100, 200, 300, 400, 500, 600, 700, 800};
    siggen::Impairments impairments;
    impairments.snrDb = 30;
    siggen::SignalGenerator generator(signal, impairments);
    std::int16_t samples[1000];
    for (int buffer = 0; buffer < 50; ++buffer) {
      generator.Generate(samples, 1000);
      form.Form().OnWaveInData(device.Fill(samples, sizeof samples));
    }
    const auto& last = bus.requests.back();
    QCOMPARE(last.code, joybus::kSetState);
    const std::int32_t axes[6] = {300, 200, 100, 400, 500, 600};
    for (int axis = 0; axis < 6; ++axis) QCOMPARE(AxisOf(last.bytes, axis), axes[axis]);
    QVERIFY(bus.requests.size() > 40);  // about one report per buffer

    std::ifstream file(folder.filePath("registry.reg").toStdString());
    std::stringstream text;
    text << file.rdbuf();
    QVERIFY(text.str().find("\"Mapping\"=hex:02,01,00,03,04,05,06,07,00,00") != std::string::npos);
  }
};

}  // namespace corvane

QTEST_MAIN(corvane::SettingsTest)
#include "settings_test.moc"
