// The program's start-up: the command line, then the main window linked to
// the default board's chip.
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <sstream>

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
  void mainWindowOpensLinkedToTheBoard();
  void mainWindowOpensWithoutPrinterPorts();

 private:
  static std::optional<int> Start(std::vector<std::string> arguments, std::string* out = nullptr,
                                  std::string* err = nullptr) {
    std::ostringstream outStream;
    std::ostringstream errStream;
    auto code = app::StartMachineFromCommandLine(arguments, outStream, errStream);
    if (out) *out = outStream.str();
    if (err) *err = errStream.str();
    return code;
  }
};

void StartupTest::helpAndVersionEndTheProgram() {
  std::string out;
  QCOMPARE(Start({"--help"}, &out), std::optional<int>(0));
  QVERIFY(out.find("--machine") != std::string::npos);
  QVERIFY(out.find("personality=VALUE") != std::string::npos);
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

void StartupTest::mainWindowOpensLinkedToTheBoard() {
  QCOMPARE(Start({"--sim", "clock=manual"}), std::optional<int>());
  ReadValue = 9;
  QPointer<MainMenuForm> window = app::OpenMainWindowOnDefaultBoard();
  QVERIFY(window->isVisible());
  QCOMPARE(window->MainTab->currentIndex(), MainMenuForm::kMainTab);
  QCOMPARE(ReadValue, 0.0f);
  QCOMPARE(UsePrinterPort, std::int16_t{1});
  QCOMPARE(PrinterPortAddress, std::int16_t{0x378});
  QCOMPARE(CurrentDeviceAddress, std::int16_t{0x98});
  QCOMPARE(ComPort().PortType(), std::int16_t{0});
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 65.0f);
  window->close();
  QTRY_VERIFY(window.isNull());
}

void StartupTest::mainWindowOpensWithoutPrinterPorts() {
  QCOMPARE(Start({"--sim", "ports=0,clock=manual"}), std::optional<int>());
  QPointer<MainMenuForm> window = app::OpenMainWindowOnDefaultBoard();
  QVERIFY(window->isVisible());
  QCOMPARE(UsePrinterPort, std::int16_t{1});
  // No port answers: the read completes and finds no chip.
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QVERIFY(ReadValue != 65.0f);
  window->close();
  QTRY_VERIFY(window.isNull());
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
