// The Read/Write tab against the virtual PC's chip: selection, bit digits,
// write boxes, pointer box, standby, one-shot, continuous reading, the alert
// clear on both media, and failing handlers.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QButtonGroup>
#include <QGuiApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>

#include "MainMenuForm.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/Process.h"
#include "support/BusDecode.h"
#include "support/ModalBoxes.h"

namespace {

constexpr std::uint8_t kChipAddressByte = 0x98;  // the board's chip at 0x4C
constexpr std::uint8_t kOnBoardChip = 0x4E;

// A fresh run of the program on a virtual PC whose clock moves only with the
// machine's work, linked to a chip at fixed temperatures, with the main
// window on the Read/Write tab.
class Run : public sim::PortObserver {
 public:
  explicit Run(const std::string& options = "", bool onBoard = false) : onBoard_(onBoard) {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual" + options));
    platform::StartProcess(machine_->StartProcess("QtsEval"));
    if (onBoard)
      LinkNewComPort::LinkOnBoardSMBus(kOnBoardChip);
    else
      LinkNewComPort::LinkPrinterPort(0, comport::kTrue, kChipAddressByte);
    Chip().SetLocalTemperature(25);
    Chip().SetRemoteTemperature(40.25);
    Convert();
    machine_->Ports().SetObserver(this);
    form = std::make_unique<MainMenuForm>();
    form->show();
    form->MainTab->setCurrentIndex(MainMenuForm::kReadWriteTab);
  }
  ~Run() override {
    form.reset();
    machine_->Ports().SetObserver(nullptr);
  }

  sim::Machine& Machine() { return *machine_; }
  sim::Qts5460& Chip() { return onBoard_ ? machine_->OnBoard().Chip() : machine_->Board()->Chip(); }
  void Convert() { machine_->GetClock().Advance(1'000'000'000); }
  void Select(int code) { QTest::mouseClick(form->RegisterRibbons->button(code), Qt::LeftButton); }
  void Type(controls::TextBox* box, const char* text) {
    box->clear();
    QTest::keyClicks(box, text);
  }
  QString Digits() {
    QString bits;
    for (int k = 7; k >= 0; --k) bits += Additional_functions::BitDigit(*form, k)->text();
    return bits;
  }

  void Accessed(const sim::PortAccess&) override {
    ++accesses;
    if (onAccess) onAccess();
  }

  std::unique_ptr<MainMenuForm> form;
  int accesses = 0;
  std::function<void()> onAccess;

 private:
  bool onBoard_;
  std::shared_ptr<sim::Machine> machine_;
};

const QString kOverflow = QStringLiteral("Run-time error '6':\n\nOverflow");

}  // namespace

class ReadWriteTest : public QObject {
  Q_OBJECT

 private slots:
  void selectingARegister_data();
  void selectingARegister();
  void bitDigits_data();
  void bitDigits();
  void writeBoxes_data();
  void writeBoxes();
  void failedWriteLeavesTheSelectionAtItsReadCode();
  void pointerBoxTakesAWriteCode();
  void editingTurnsButtonsRed();
  void standbyAndOneShot();
  void continuousReading();
  void alertClear_data();
  void alertClear();
  void tabEntryShowsTheHourglassAndSurvivesAFailure();
  void controlsSpeakTheirNamesAndValues();
};

void ReadWriteTest::selectingARegister_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<bool>("writable");
  QTest::addColumn<QString>("written");  // "Previous value written" afterwards
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("bit6");
  QTest::addColumn<QString>("value");  // hex; empty: not checked
  QTest::newRow("local temperature") << 0x00 << false << "X" << "Local Temperature" << "Bit 6" << "19";
  QTest::newRow("status") << 0x02 << false << "X" << "Status" << "Local High" << "";
  QTest::newRow("configuration") << 0x03 << true << "X" << "Configuration" << "Op. Mode" << "0";
  QTest::newRow("conversion rate") << 0x04 << true << "X" << "Conversion Rate" << "Unused" << "7";
  QTest::newRow("local high limit") << 0x05 << true << "X" << "Local Temp. High Limit" << "Bit 6" << "2A";
  QTest::newRow("one-shot") << 0x0F << true << "X" << "One-Shot" << "Bit 6" << "FF";
  QTest::newRow("manufacturer") << 0xFE << false << "X" << "Manufacturers ID" << "Bit 6" << "41";
  QTest::newRow("remote low byte keeps names and written value")
      << 0x10 << false << "2A" << "Remote Temperature Value (Low Byte)" << "Local High" << "40";
  QTest::newRow("remote offset keeps names and written value")
      << 0x11 << true << "2A" << "Remote Temperature Offset (High Byte)" << "Local High" << "0";
}

void ReadWriteTest::selectingARegister() {
  QFETCH(int, code);
  QFETCH(bool, writable);
  QFETCH(QString, written);
  QFETCH(QString, name);
  QFETCH(QString, bit6);
  QFETCH(QString, value);
  Run run;
  MainMenuForm& form = *run.form;
  // A write leaves a previous value; the status register's names stay on the
  // digits for registers without names of their own.
  run.Select(0x05);
  form.Text6->setText(QStringLiteral("2A"));
  QTest::mouseClick(form.Command4, Qt::LeftButton);
  run.Select(0x02);

  run.Select(code);
  QCOMPARE(form.RegisterRibbons->checkedId(), code);
  for (QWidget* control : {static_cast<QWidget*>(form.Text6), static_cast<QWidget*>(form.Text7),
                           static_cast<QWidget*>(form.Command4), static_cast<QWidget*>(form.Command5)})
    QCOMPARE(control->isEnabled(), writable);
  QCOMPARE(form.Label12->text(), written);
  QCOMPARE(form.Label9->text(), QString::number(code, 16).toUpper());
  QCOMPARE(form.Text2->text(), QString::number(code, 16).toUpper());
  QCOMPARE(form.Label6->text(), name);
  QCOMPARE(form.bitname.at(6)->text(), bit6);
  if (!value.isEmpty()) {
    QCOMPARE(form.Label16->text(), value);
    QCOMPARE(form.Label2->text(), QString::number(value.toInt(nullptr, 16)));
    QCOMPARE(run.Digits(), QStringLiteral("%1").arg(value.toInt(nullptr, 16), 8, 2, QLatin1Char('0')));
  }
}

void ReadWriteTest::bitDigits_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<int>("before");  // the chip's value after the panel read it
  QTest::addColumn<int>("bit");
  QTest::addColumn<QString>("gesture");
  QTest::addColumn<int>("after");  // -1: nothing may reach the bus
  QTest::newRow("set a limit bit") << 0x06 << 0x00 << 4 << "click" << 0x10;
  QTest::newRow("clear a limit bit") << 0x05 << 0x55 << 0 << "click" << 0x54;
  QTest::newRow("shown 1 clears, other bits from a fresh read") << 0x05 << 0x54 << 0 << "click" << 0x54;
  QTest::newRow("shown 0 sets, other bits from a fresh read") << 0x06 << 0x03 << 1 << "click" << 0x03;
  QTest::newRow("a double click toggles twice") << 0x11 << 0x00 << 7 << "click, double click" << 0x80;
  QTest::newRow("keyboard") << 0x12 << 0x00 << 5 << "space" << 0x20;
  QTest::newRow("press dragged off") << 0x06 << 0x00 << 4 << "drag off" << 0x00;
  QTest::newRow("read-only register") << 0x00 << 0x19 << 3 << "click" << -1;
}

void ReadWriteTest::bitDigits() {
  QFETCH(int, code);
  QFETCH(int, before);
  QFETCH(int, bit);
  QFETCH(QString, gesture);
  QFETCH(int, after);
  Run run;
  run.Select(code);
  // The chip may change behind the panel's back; the digits keep what was shown.
  const QString shown = run.Digits();
  if (code >= 0x05 && code <= 0x08)
    run.Chip().WriteRegister(static_cast<std::uint8_t>(code + 6), static_cast<std::uint8_t>(before));
  controls::ClickLabel* digit = Additional_functions::BitDigit(*run.form, bit);
  run.accesses = 0;
  if (gesture == "click") {
    QTest::mouseClick(digit, Qt::LeftButton);
  } else if (gesture == "click, double click") {
    QTest::mouseClick(digit, Qt::LeftButton);
    QCOMPARE(run.Chip().ReadRegister(static_cast<std::uint8_t>(code)), before ^ (1 << bit));
    QTest::mouseClick(digit, Qt::LeftButton);
    QTest::mouseDClick(digit, Qt::LeftButton);
    QTest::mouseRelease(digit, Qt::LeftButton);
  } else if (gesture == "space") {
    digit->setFocus();
    QTest::keyClick(digit, Qt::Key_Space);
  } else {
    QTest::mousePress(digit, Qt::LeftButton);
    QTest::mouseRelease(digit, Qt::LeftButton, {}, QPoint(-4, -4));
  }
  if (after < 0) {
    QCOMPARE(run.accesses, 0);
    QCOMPARE(run.Digits(), shown);
    return;
  }
  QCOMPARE(run.Chip().ReadRegister(static_cast<std::uint8_t>(code)), after);
  QCOMPARE(run.Digits(), QStringLiteral("%1").arg(after, 8, 2, QLatin1Char('0')));
  QCOMPARE(run.form->Label9->text(), QString::number(code, 16).toUpper());
}

void ReadWriteTest::writeBoxes_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("written");  // -1: nothing written
  QTest::addColumn<QString>("other");  // the other box afterwards
  QTest::addColumn<QString>("message");
  QTest::newRow("hex") << "hex" << "2A" << 0x2A << "42" << "";
  QTest::newRow("hex, empty box writes 0") << "hex" << "" << 0 << "0" << "";
  QTest::newRow("hex above a byte") << "hex" << "1FF" << -1 << "" << kOverflow;
  QTest::newRow("hex FFFF is -1") << "hex" << "FFFF" << -1 << "" << kOverflow;
  QTest::newRow("hex above 16 bits") << "hex" << "10000" << -1 << "" << kOverflow;
  QTest::newRow("dec") << "dec" << "100" << 100 << "64" << "";
  QTest::newRow("dec with exponent") << "dec" << "1E2" << 100 << "64" << "";
  QTest::newRow("dec above a byte") << "dec" << "300" << -1 << "" << kOverflow;
  QTest::newRow("dec negative") << "dec" << "-1" << -1 << "" << kOverflow;
  QTest::newRow("dec not a number") << "dec" << "1A" << -1 << ""
                                    << "\"1A\" is not a decimal number. Nothing was written.";
  QTest::newRow("dec empty") << "dec" << "" << -1 << "" << "The Dec box is empty. Nothing was written.";
}

void ReadWriteTest::writeBoxes() {
  QFETCH(QString, box);
  QFETCH(QString, text);
  QFETCH(int, written);
  QFETCH(QString, other);
  QFETCH(QString, message);
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x07);  // remote high limit, written at 0x0D
  const bool hex = box == "hex";
  (hex ? form.Text6 : form.Text7)->setText(text);
  QPushButton* button = hex ? form.Command4 : form.Command5;
  ModalBoxes boxes;
  run.accesses = 0;
  QTest::mouseClick(button, Qt::LeftButton);
  if (written < 0) {
    QCOMPARE(boxes.Seen().size(), std::size_t{1});
    QCOMPARE(boxes.Seen()[0].text, message);
    QCOMPARE(run.accesses, 0);
    QCOMPARE(run.Chip().ReadRegister(0x07), 0x55);
    QVERIFY(button->styleSheet().contains(QStringLiteral("#FF0000")));
    return;
  }
  QVERIFY(boxes.Seen().empty());
  QCOMPARE(run.Chip().ReadRegister(0x07), written);
  QCOMPARE((hex ? form.Text7 : form.Text6)->text(), other);
  QCOMPARE(form.Label20->text(), QString::number(written));
  // The digits show what was written; the read value is the one read before.
  QCOMPARE(run.Digits(), QStringLiteral("%1").arg(written, 8, 2, QLatin1Char('0')));
  QCOMPARE(form.Label16->text(), QStringLiteral("55"));
  QCOMPARE(form.Label9->text(), QStringLiteral("7"));
  for (QPushButton* b : {form.Command4, form.Command5}) QVERIFY(b->styleSheet().contains(QStringLiteral("#00FF00")));
}

void ReadWriteTest::failedWriteLeavesTheSelectionAtItsReadCode() {
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x05);
  form.Text6->setText(QStringLiteral("1FF"));
  {
    ModalBoxes boxes;
    QTest::mouseClick(form.Command4, Qt::LeftButton);
    QCOMPARE(boxes.Seen().size(), std::size_t{1});
  }
  // The next refresh reads the limit at its read code and shows its bits, and
  // nothing that was never written.
  run.Chip().WriteRegister(0x0B, 0x33);
  QTest::mouseClick(form.SSRibbon5, Qt::LeftButton);
  QTRY_COMPARE(form.Label16->text(), QStringLiteral("33"));
  QCOMPARE(form.Label9->text(), QStringLiteral("5"));
  QCOMPARE(run.Digits(), QStringLiteral("00110011"));
  QCOMPARE(form.Label12->text(), QStringLiteral("0"));
  // The program goes on: the next write works.
  form.Text6->setText(QStringLiteral("3C"));
  QTest::mouseClick(form.Command4, Qt::LeftButton);
  QCOMPARE(run.Chip().ReadRegister(0x05), 0x3C);
}

void ReadWriteTest::pointerBoxTakesAWriteCode() {
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x02);
  run.Type(form.Text2, "0bg");
  QCOMPARE(form.Text2->text(), QStringLiteral("0B"));
  form.Text6->setText(QStringLiteral("FFFF"));
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  QCOMPARE(form.Label6->text(), QStringLiteral("Local Temp. High Limit"));
  QCOMPARE(form.bitname.at(6)->text(), QStringLiteral("Bit 6"));
  QCOMPARE(form.Label9->text(), QStringLiteral("B"));
  QCOMPARE(form.Text7->text(), QStringLiteral("-1"));
  QCOMPARE(form.Label12->text(), QStringLiteral("FFFF"));
  // The write frame stays as the status ribbon left it; a ribbon enables it,
  // and the pointer box then takes a write code again.
  QVERIFY(!form.Text6->isEnabled());
  run.Select(0x11);
  run.Type(form.Text2, "B");
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  form.Text6->setText(QStringLiteral("4B"));
  QTest::mouseClick(form.Command4, Qt::LeftButton);
  QCOMPARE(run.Chip().ReadRegister(0x05), 0x4B);
  QCOMPARE(form.Label9->text(), QStringLiteral("5"));
  // A code without a name keeps the name field.
  run.Type(form.Text2, "19");
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  QCOMPARE(form.Label9->text(), QStringLiteral("19"));
  QCOMPARE(form.Label6->text(), QStringLiteral("Local Temp. High Limit"));
}

void ReadWriteTest::editingTurnsButtonsRed() {
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x05);
  const QString red = QStringLiteral("#FF0000");
  run.Type(form.Text2, "g");
  QVERIFY(!form.Command3->styleSheet().contains(red));  // a dropped key changes nothing
  run.Type(form.Text7, "1a");
  QCOMPARE(form.Text7->text(), QStringLiteral("1A"));
  QVERIFY(form.Command5->styleSheet().contains(red));
  QVERIFY(!form.Command4->styleSheet().contains(red));
  run.Type(form.Text6, "f");
  run.Type(form.Text2, "5");
  QVERIFY(form.Command4->styleSheet().contains(red));
  QVERIFY(form.Command3->styleSheet().contains(red));
  QCOMPARE(form.Command3->accessibleDescription(), QStringLiteral("Changed since the last update"));
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  for (QPushButton* b : {form.Command3, form.Command4, form.Command5}) {
    QVERIFY(!b->styleSheet().contains(red));
    QVERIFY(b->accessibleDescription().isEmpty());
  }
}

void ReadWriteTest::standbyAndOneShot() {
  Run run;
  MainMenuForm& form = *run.form;
  QVERIFY(!form.CommandButton1->isEnabled());
  run.Chip().WriteRegister(0x09, 0x80);  // ALERT masked
  QTest::mouseClick(form.SSRibbon3, Qt::LeftButton);
  QCOMPARE(run.Chip().ReadRegister(0x03), 0xC0);
  QCOMPARE(form.SSPanel2->Caption(), QStringLiteral("Standby Mode is On"));
  QVERIFY(form.CommandButton1->isEnabled());

  // In standby the chip measures only when asked, and the temperature found
  // is that of the measurement just made. (A conversion that ran when standby
  // began finishes first: the model works it out at its next access.)
  run.Convert();
  run.Chip().ReadRegister(0x03);
  run.Chip().SetRemoteTemperature(57);
  run.Convert();
  QTest::mouseClick(form.CommandButton1, Qt::LeftButton);
  QCOMPARE(form.Label1->text(), QStringLiteral("57C"));

  // Leaving standby keeps only the ALERT mask.
  QTest::mouseClick(form.SSRibbon3, Qt::LeftButton);
  QCOMPARE(run.Chip().ReadRegister(0x03), 0x80);
  QCOMPARE(form.SSPanel2->Caption(), QStringLiteral("Standby Mode is Off"));
  QVERIFY(!form.CommandButton1->isEnabled());

  // A bit click on the configuration's bit 6 enters standby, and the refresh
  // shows it whatever the standby ribbon said before.
  form.SSRibbon3->Value(true);
  run.Select(0x03);
  QVERIFY(!form.SSRibbon3->Value());
  QTest::mouseClick(form.bit6, Qt::LeftButton);
  QCOMPARE(run.Chip().ReadRegister(0x03), 0xC0);
  QCOMPARE(form.bitname.at(6)->text(), QStringLiteral("Op. Mode"));
  QVERIFY(form.SSRibbon3->Value());
  QCOMPARE(form.SSPanel2->Caption(), QStringLiteral("Standby Mode is On"));
  QVERIFY(form.CommandButton1->isEnabled());

  // A device that does not answer reads 0xFF: its busy bit never clears, and
  // the wait gives up after a second of the machine's time, then reads.
  LinkNewComPort::CurrentDeviceAddress = 0x9A;
  const std::uint64_t before = run.Machine().GetClock().Now();
  QTest::mouseClick(form.CommandButton1, Qt::LeftButton);
  const double waited = static_cast<double>(run.Machine().GetClock().Now() - before) * 1e-9;
  QVERIFY2(waited >= 1.0 && waited < 1.05, qPrintable(QString::number(waited)));
  QCOMPARE(form.Label1->text(), QStringLiteral("255C"));
}

void ReadWriteTest::continuousReading() {
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x06);
  QTest::mouseClick(form.SSRibbon5, Qt::LeftButton);
  QCOMPARE(form.SSPanel7->Caption(), QStringLiteral("Continuous Reading is On"));
  QCOMPARE(form.Timer3->Interval(), 5);
  run.Chip().WriteRegister(0x0C, 0x11);
  QTRY_COMPARE(form.Label16->text(), QStringLiteral("11"));

  // With the one-shot ribbon pressed the ticks read nothing, even when the
  // pointer box has selected another register since.
  run.Select(0x0F);
  run.Type(form.Text2, "6");
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  run.Chip().WriteRegister(0x0C, 0x22);
  QTest::qWait(100);
  QCOMPARE(form.Label16->text(), QStringLiteral("11"));
  run.Select(0x06);
  run.Chip().WriteRegister(0x0C, 0x33);
  QTRY_COMPARE(form.Label16->text(), QStringLiteral("33"));

  // A code that no read can take stops continuous reading; its failure is
  // shown, the ticks do not fail on and on.
  ModalBoxes boxes;
  run.Type(form.Text2, "100");
  QTest::mouseClick(form.Command3, Qt::LeftButton);
  QTRY_VERIFY(!form.Timer3->Enabled());
  QVERIFY(!form.SSRibbon5->Value());
  QCOMPARE(form.SSPanel7->Caption(), QStringLiteral("Continuous Reading is Off"));
  QTest::qWait(50);
  const std::size_t shown = boxes.Seen().size();
  QVERIFY(shown >= 1 && shown <= 2);
  QTest::qWait(50);
  QCOMPARE(boxes.Seen().size(), shown);

  // Entering the tab again leaves continuous reading off.
  run.Select(0x06);
  QTest::mouseClick(form.SSRibbon5, Qt::LeftButton);
  form.MainTab->setCurrentIndex(MainMenuForm::kMainTab);
  form.MainTab->setCurrentIndex(MainMenuForm::kReadWriteTab);
  QVERIFY(!form.SSRibbon5->Value());
  QCOMPARE(form.SSPanel7->Caption(), QStringLiteral("Continuous Reading is Off"));
}

void ReadWriteTest::alertClear_data() {
  QTest::addColumn<QString>("options");
  QTest::addColumn<bool>("onBoard");
  QTest::newRow("printer port") << "" << false;
  QTest::newRow("on-board, 0x8086 layout") << ",smbus=piix4" << true;
  QTest::newRow("on-board, 0x10B9 layout") << ",smbus=ali" << true;
}

void ReadWriteTest::alertClear() {
  QFETCH(QString, options);
  QFETCH(bool, onBoard);
  Run run(options.toStdString(), onBoard);
  MainMenuForm& form = *run.form;
  run.Chip().SetRemoteTemperature(100);
  run.Convert();
  // Standby keeps a later conversion from raising ALERT again.
  QTest::mouseClick(form.SSRibbon3, Qt::LeftButton);
  QVERIFY(run.Chip().AlertAsserted());
  if (!onBoard) run.Machine().Board()->StartTrace();
  QTest::mouseClick(form.Command2, Qt::LeftButton);
  QVERIFY(!run.Chip().AlertAsserted());
  if (!onBoard) {
    // The status register first, then the alert response: the chip answers
    // with its own address byte, not acknowledged by the master.
    const std::string wire = support::Decode(run.Machine().Board()->Trace()->Events());
    QVERIFY2(wire.starts_with("S 98a 02a ") && wire.ends_with(" P S 19a 98n P"), wire.c_str());
  }
}

void ReadWriteTest::tabEntryShowsTheHourglassAndSurvivesAFailure() {
  Run run;
  MainMenuForm& form = *run.form;
  form.MainTab->setCurrentIndex(MainMenuForm::kMainTab);
  Qt::CursorShape during = Qt::ArrowCursor;
  run.onAccess = [&] {
    if (QGuiApplication::overrideCursor() != nullptr) during = QGuiApplication::overrideCursor()->shape();
  };
  form.MainTab->setCurrentIndex(MainMenuForm::kReadWriteTab);
  QCOMPARE(during, Qt::WaitCursor);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);

  form.MainTab->setCurrentIndex(MainMenuForm::kMainTab);
  LinkNewComPort::CurrentDeviceAddress = 0x198;
  ModalBoxes boxes;
  form.MainTab->setCurrentIndex(MainMenuForm::kReadWriteTab);
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, kOverflow);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
  LinkNewComPort::CurrentDeviceAddress = kChipAddressByte;
  run.Select(0xFE);
  QCOMPARE(form.Label16->text(), QStringLiteral("41"));
}

void ReadWriteTest::controlsSpeakTheirNamesAndValues() {
  Run run;
  MainMenuForm& form = *run.form;
  run.Select(0x03);
  auto text = [](QObject* control, QAccessible::Text kind) {
    return QAccessible::queryAccessibleInterface(control)->text(kind);
  };
  QCOMPARE(text(form.SSRibbon4, QAccessible::Name), QStringLiteral("Local Temp Value"));
  QCOMPARE(text(form.SSRibbon19, QAccessible::Name), QStringLiteral("RemoteTempLowLimitLB"));
  QVERIFY(QAccessible::queryAccessibleInterface(form.SSRibbon9)->state().checked);
  QCOMPARE(text(form.bit6, QAccessible::Name), QStringLiteral("Bit 6, Op. Mode"));
  QCOMPARE(text(form.bit6, QAccessible::Value), QStringLiteral("0"));
  QCOMPARE(text(form.bit0, QAccessible::Name), QStringLiteral("Bit 0, Unused"));
  QCOMPARE(text(form.Command4, QAccessible::Name), QStringLiteral("Write hex value"));
  QCOMPARE(text(form.Command5, QAccessible::Name), QStringLiteral("Write decimal value"));
  QCOMPARE(text(form.Text7, QAccessible::Name), QStringLiteral("Decimal value"));
  QCOMPARE(text(form.Label16, QAccessible::Name), QStringLiteral("Value read (Hex)"));
  QCOMPARE(text(form.Label9, QAccessible::Description), QStringLiteral("3"));
  QCOMPARE(text(form.Label6, QAccessible::Description), QStringLiteral("Configuration"));
  QCOMPARE(text(form.SSRibbon3, QAccessible::Name), QStringLiteral("Standby Mode"));

  // A screen reader's press action on a digit toggles its bit.
  QAccessibleInterface* digit = QAccessible::queryAccessibleInterface(form.bit6);
  QCOMPARE(digit->role(), QAccessible::Button);
  digit->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QCOMPARE(run.Chip().ReadRegister(0x03), 0x40);
  QCOMPARE(text(form.bit6, QAccessible::Value), QStringLiteral("1"));
}

QTEST_MAIN(ReadWriteTest)
#include "tst_readwrite.moc"
