// The program's start-up: the command line, then the search wizard, or the
// main window on a device named with --device.
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <sstream>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "Startup.h"
#include "link/LinkNewComPort.h"
#include "registers/RegisterMap.h"

using namespace LinkNewComPort;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void helpAndVersionEndTheProgram();
  void badCommandLinesGiveOneLineAndCode2_data();
  void badCommandLinesGiveOneLineAndCode2();
  void theSearchWizardIsTheStartUpWindow();
  void aNamedDeviceOpensTheMainWindow_data();
  void aNamedDeviceOpensTheMainWindow();

 private:
  static std::optional<int> Start(std::vector<std::string> arguments, std::string* out = nullptr,
                                  std::string* err = nullptr, bool* deviceLinked = nullptr) {
    std::ostringstream outStream;
    std::ostringstream errStream;
    const app::StartChoice choice = app::StartFromCommandLine(arguments, outStream, errStream);
    if (out) *out = outStream.str();
    if (err) *err = errStream.str();
    if (deviceLinked) *deviceLinked = choice.deviceLinked;
    return choice.exitCode;
  }
};

void StartupTest::helpAndVersionEndTheProgram() {
  std::string out;
  QCOMPARE(Start({"--help"}, &out), std::optional<int>(0));
  QVERIFY(out.find("--machine") != std::string::npos);
  QVERIFY(out.find("personality=VALUE") != std::string::npos);
  QVERIFY(out.find("--device MEDIUM:ADDRESS") != std::string::npos);
  QCOMPARE(Start({"--version"}, &out), std::optional<int>(0));
  QCOMPARE(out, std::string("QtsEval 4.0.0\n"));
}

void StartupTest::badCommandLinesGiveOneLineAndCode2_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("named");
  QTest::newRow("unknown option") << QStringList{"--bogus"} << "--bogus";
  QTest::newRow("stray argument") << QStringList{"board"} << "board";
  QTest::newRow("unknown machine") << QStringList{"--machine", "vax"} << "vax";
  QTest::newRow("bad virtual PC option") << QStringList{"--sim", "ports=7"} << "\"ports=7\": out of range";
  QTest::newRow("malformed device") << QStringList{"--device", "lpt1"} << "device \"lpt1\": use lptN:ADDRESS";
  QTest::newRow("address out of range") << QStringList{"--device", "smbus:0x80"} << "outside 0x03..0x77";
  QTest::newRow("no chip at the address")
      << QStringList{"--device", "lpt1:0x4D"} << "--device lpt1:0x4D: no QTS5460 answers at 0x4D on LPT1";
  QTest::newRow("wrong adapter wiring") << QStringList{"--device", "lpt1:0x4C:direct"}
                                        << "no QTS5460 answers at 0x4C on LPT1 (direct adapter)";
  QTest::newRow("port the machine lacks")
      << QStringList{"--device", "lpt3:0x4C"} << "LPT3 does not exist: this machine has 2 printer ports";
  QTest::newRow("no on-board controller") << QStringList{"--sim", "smbus=none", "--device", "smbus:0x4E"}
                                          << "no on-board SMBus host controller";
  QTest::newRow("on-board access off on XP") << QStringList{"--sim", "personality=xp", "--device", "smbus:0x4E"}
                                             << "no on-board SMBus host controller";
}

void StartupTest::badCommandLinesGiveOneLineAndCode2() {
  QFETCH(QStringList, arguments);
  QFETCH(QString, named);
  std::vector<std::string> list;
  for (const auto& argument : arguments) list.push_back(argument.toStdString());
  std::string out;
  std::string err;
  QCOMPARE(Start(list, &out, &err), std::optional<int>(2));
  QVERIFY(out.empty());
  QVERIFY2(err.starts_with("QtsEval: "), err.c_str());
  QCOMPARE(std::count(err.begin(), err.end(), '\n'), 1);
  QVERIFY2(err.find(named.toStdString()) != std::string::npos, err.c_str());
}

void StartupTest::theSearchWizardIsTheStartUpWindow() {
  bool deviceLinked = true;
  QCOMPARE(Start({"--sim", "clock=manual"}, nullptr, nullptr, &deviceLinked), std::optional<int>());
  QVERIFY(!deviceLinked);
  QPointer<InitForm> wizard = app::OpenSearchWizard();
  QVERIFY(wizard->isVisible());
  QCOMPARE(wizard->WizardStep, std::uint8_t{1});
  // Nothing is linked before Finish.
  QCOMPARE(UsePrinterPort, std::int16_t{0});
  QCOMPARE(CurrentDeviceAddress, std::int16_t{0});
  wizard->WizardFinished = true;  // closing it here must not end the test run
  wizard->close();
  QTRY_VERIFY(wizard.isNull());
}

void StartupTest::aNamedDeviceOpensTheMainWindow_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<int>("usePrinterPort");
  QTest::addColumn<int>("deviceAddress");
  QTest::addColumn<int>("portAddress");
  QTest::newRow("the board on LPT1") << QStringList{"--device", "lpt1:0x4C"} << 1 << 0x98 << 0x378;
  QTest::newRow("direct adapter on LPT2")
      << QStringList{"--sim", "board-port=2,wiring=direct", "--device", "LPT2:0x4C:direct"} << 1 << 0x98 << 0x278;
  QTest::newRow("the on-board chip") << QStringList{"--device", "smbus:0x4E"} << 0 << 0x4E << 0;
}

void StartupTest::aNamedDeviceOpensTheMainWindow() {
  QFETCH(QStringList, arguments);
  QFETCH(int, usePrinterPort);
  QFETCH(int, deviceAddress);
  QFETCH(int, portAddress);
  std::vector<std::string> list{"--sim", "clock=manual"};
  for (const auto& argument : arguments) list.push_back(argument.toStdString());
  bool deviceLinked = false;
  std::string err;
  QCOMPARE(Start(list, nullptr, &err, &deviceLinked), std::optional<int>());
  QVERIFY2(err.empty(), err.c_str());
  QVERIFY(deviceLinked);
  QCOMPARE(UsePrinterPort, std::int16_t(usePrinterPort));
  QCOMPARE(CurrentDeviceAddress, std::int16_t(deviceAddress));
  QCOMPARE(ComPort().PortType(), std::int16_t(usePrinterPort == 1 ? 0 : 1));
  if (usePrinterPort == 1) QCOMPARE(PrinterPortAddress, std::int16_t(portAddress));
  // As the wizard's load leaves it.
  QCOMPARE(ComPort().PrinterPort()->SMBusProtocall()->BitsToStayHigh(), std::uint8_t{240});
  ReadValue = 9;
  QPointer<MainMenuForm> window = app::OpenMainWindow();
  QVERIFY(window->isVisible());
  QCOMPARE(window->MainTab->currentIndex(), MainMenuForm::kMainTab);
  QCOMPARE(ReadValue, 0.0f);
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 65.0f);
  window->close();
  QTRY_VERIFY(window.isNull());
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
