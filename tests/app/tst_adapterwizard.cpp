// The search wizard on a virtual PC with a board behind a USB-to-SMBus
// bridge, whose adapter the machine offers as a Linux kernel would: the USB
// box, the search on the adapter, the entry that names it, Finish, and the
// main window reading the chip through it.
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "Startup.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"

using namespace LinkNewComPort;

class AdapterWizardTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();
  void theBridgeShowsTheUsbBoxOnlyWhereTheWindowsRulesAllow_data();
  void theBridgeShowsTheUsbBoxOnlyWhereTheWindowsRulesAllow();
  void theChipBehindTheBridgeIsFoundLinkedAndRead();
  void theBridgeLinkEndsWhenAnotherMediumIsChosen();

 private:
  InitForm* Start(const std::string& options) {
    machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual," + options));
    platform::StartProcess(machine_->StartProcess("QtsEval"));
    platform::Current().SetMessagePump(&controls::PumpMessages);
    wizard_ = app::OpenSearchWizard();
    return wizard_;
  }
  void Search(bool printerPort, bool onBoard, bool usb) {
    wizard_->NextCMD->click();
    wizard_->PPCheck->Value(printerPort ? 1 : 0);
    wizard_->SMBusCheck->Value(onBoard ? 1 : 0);
    wizard_->USBCheck->Value(usb ? 1 : 0);
    wizard_->NextCMD->click();
  }

  std::shared_ptr<sim::Machine> machine_;
  QPointer<InitForm> wizard_;
};

void AdapterWizardTest::cleanup() {
  if (wizard_) {
    delete wizard_->MainWindow();
    wizard_->WizardFinished = true;
    delete wizard_;
  }
  for (QWidget* window : QApplication::topLevelWidgets()) delete qobject_cast<MainMenuForm*>(window);
}

void AdapterWizardTest::theBridgeShowsTheUsbBoxOnlyWhereTheWindowsRulesAllow_data() {
  QTest::addColumn<QString>("options");
  QTest::addColumn<bool>("shown");
  QTest::addColumn<bool>("enabled");
  QTest::addColumn<QString>("description");
  QTest::newRow("98 SE, no bridge: hidden as specified") << "" << false << false << "";
  QTest::newRow("98 SE with the bridge") << "usb-bridge" << true << true
                                         << "A USB-to-SMBus bridge: i2c-9, CP2112 SMBus Bridge.";
  QTest::newRow("XP with the bridge: the on-board rule still stands")
      << "personality=xp,usb-bridge" << true << true << "A USB-to-SMBus bridge: i2c-9, CP2112 SMBus Bridge.";
  QTest::newRow("95 with the bridge: the 95 text stays")
      << "personality=95,usb-bridge" << true << false << "Sorry, USB communication is not supported on Windows 95.";
}

void AdapterWizardTest::theBridgeShowsTheUsbBoxOnlyWhereTheWindowsRulesAllow() {
  QFETCH(QString, options);
  QFETCH(bool, shown);
  QFETCH(bool, enabled);
  QFETCH(QString, description);
  Start(options.toStdString());
  wizard_->NextCMD->click();
  QCOMPARE(!wizard_->USBCheck->isHidden(), shown);
  QCOMPARE(!wizard_->USBSearchDescLBL->isHidden(), shown);
  QCOMPARE(wizard_->USBCheck->isEnabled(), enabled);
  QCOMPARE(wizard_->USBCheck->Value(), 0);
  if (shown) QCOMPARE(wizard_->USBSearchDescLBL->text(), description);
  // The personality's own rules are untouched by the bridge.
  const bool nt = options.contains(QStringLiteral("xp"));
  QCOMPARE(wizard_->SMBusCheck->isEnabled(), !nt);
}

void AdapterWizardTest::theChipBehindTheBridgeIsFoundLinkedAndRead() {
  Start("usb-bridge");
  Search(true, true, true);
  const QStringList expected{
      QStringLiteral("Found an QTS5460 at:4Ch, on printer port:378h") + QString(50, ' ') + QStringLiteral("Printer 1"),
      QStringLiteral("An QTS5460 was found at:4Eh, on the SMBus") + QString(98, ' ') + QStringLiteral("SMBus4E"),
      QStringLiteral("An QTS5460 was found at:4Ch, on USB adapter i2c-9, CP2112 SMBus Bridge") + QString(98, ' ') +
          QStringLiteral("I2C9:4C"),
  };
  QStringList entries;
  for (int i = 0; i < wizard_->SearchResultsLIST->ListCount(); ++i) entries << wizard_->SearchResultsLIST->List(i);
  QCOMPARE(entries, expected);

  // The bridge's chip reads other temperatures than the board's, so a read
  // that went to the wrong chip shows.
  machine_->Bridge()->Chip().SetLocalTemperature(31.25);
  machine_->Bridge()->Chip().SetRemoteTemperature(71.5);
  machine_->Board()->Chip().SetRemoteTemperature(40);
  machine_->OnBoard().Chip().SetRemoteTemperature(40);
  machine_->GetClock().Advance(2'000'000'000);

  wizard_->SearchResultsLIST->ListIndex(2);
  QPointer<MainMenuForm> main = wizard_->MainWindow();
  wizard_->FinishCMD->click();
  QTRY_VERIFY(wizard_.isNull());
  QVERIFY(main && main->isVisible());
  QCOMPARE(I2cAdapter, sim::UsbBridge::kAdapterNumber);
  QCOMPARE(UsePrinterPort, std::int16_t{0});
  QCOMPARE(CurrentDeviceAddress, std::int16_t{0x4C});

  main->MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  main->Check1->Value(1);
  main->Timer1_Timer();
  QCOMPARE(main->Percent2->Caption(), QStringLiteral("Remote T = +71.5C"));
  QCOMPARE(main->Percent1->Caption(), QStringLiteral("Local T = +31.25C"));

  // A limit written through the link lands in the bridge's chip, and the
  // alert response goes to the bridge's segment.
  RegisterPointer = registers::kRemoteHighLimit + registers::kWriteCodeOffset;
  WriteValue = 60;
  WriteDeviceRegister();
  RegisterPointer = registers::kRemoteHighLimit;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 60.0f);
  machine_->GetClock().Advance(2'000'000'000);
  RegisterPointer = registers::kStatus;
  ReadDeviceRegister();
  QVERIFY(static_cast<int>(ReadValue) & registers::kStatusRemoteHigh);
  QVERIFY(machine_->Bridge()->Chip().AlertAsserted());
  ReadAlertResponse();
  QVERIFY(!machine_->Bridge()->Chip().AlertAsserted());
  delete main;
}

// A later link over the printer port or the on-board SMBus must not keep
// reading through the bridge.
void AdapterWizardTest::theBridgeLinkEndsWhenAnotherMediumIsChosen() {
  Start("usb-bridge");
  LinkKernelAdapter(sim::UsbBridge::kAdapterNumber, 0x4C);
  QCOMPARE(I2cAdapter, sim::UsbBridge::kAdapterNumber);
  LinkOnBoardSMBus(0x4E);
  QCOMPARE(I2cAdapter, -1);
  machine_->OnBoard().Chip().SetRemoteTemperature(42);
  machine_->GetClock().Advance(2'000'000'000);
  RegisterPointer = registers::kRemoteTemperature;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 42.0f);
}

QTEST_MAIN(AdapterWizardTest)
#include "tst_adapterwizard.moc"
