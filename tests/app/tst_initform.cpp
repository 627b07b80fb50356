// The search wizard on the offscreen platform, against virtual PCs chosen
// with machine options: pages, the search over every medium, the results,
// Finish into the main window, Back, Cancel and the close box.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <qpa/qwindowsysteminterface.h>

#include "InitForm.h"
#include "MainMenuForm.h"
#include "RecordingProcess.h"
#include "Startup.h"
#include "controls/TickTimer.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "registers/RegisterMap.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/ModalBoxes.h"

using namespace LinkNewComPort;

namespace {

const QString kSorry = QStringLiteral("Sorry, no QTS5460s were found. Please check all connections and try again");

QString Blanks(int count) { return QString(count, QLatin1Char(' ')); }

QString PrinterEntry(const char* address, const char* port, int number) {
  return QStringLiteral("Found an QTS5460 at:%1h, on printer port:%2h").arg(QLatin1String(address), QLatin1String(port)) +
         Blanks(50) + QStringLiteral("Printer %1").arg(number);
}

QString OnBoardEntry(const char* address) {
  return QStringLiteral("An QTS5460 was found at:%1h, on the SMBus").arg(QLatin1String(address)) + Blanks(98) +
         QStringLiteral("SMBus") + QLatin1String(address);
}

// A click on `control` as the window system delivers it: queued, and handed
// to the window when the program next takes user input.
void QueueClick(QWidget* control) {
  QWindow* window = control->window()->windowHandle();
  const QPoint centre = control->rect().center();
  const QPointF local = control->mapTo(control->window(), centre);
  const QPointF global = control->mapToGlobal(centre);
  using Queued = QWindowSystemInterface::AsynchronousDelivery;
  QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                  QEvent::MouseButtonPress);
  QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                  QEvent::MouseButtonRelease);
}


QString AccessibleName(QObject* object) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

}  // namespace

class InitFormTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup();
  void loadShowsTheWelcomePage();
  void aFailedLoadLeavesTheWelcomePage();
  void mediumRulesFollowTheBuildNumber_data();
  void mediumRulesFollowTheBuildNumber();
  void nextAndBackMoveBetweenPages();
  void noMediumIsRefusedOnPageTwo();
  void searchFillsProgressAndResults_data();
  void searchFillsProgressAndResults();
  void finishLeavesTheLinkTheMainWindowReads_data();
  void finishLeavesTheLinkTheMainWindowReads();
  void tenOrMorePrinterEntriesStayReachable();
  void backClearsTheResults();
  void nothingFoundSaysWhatTheSearchSaw();
  void aSearchAfterNothingFoundFinds();
  void clicksDuringTheSearchAreDropped_data();
  void clicksDuringTheSearchAreDropped();
  void aTypedBaseIsUsedOrRefused();
  void aFailingProbeDoesNotEndTheSearch();
  void cancelAndTheCloseBoxEndTheProgram_data();
  void cancelAndTheCloseBoxEndTheProgram();
  void everyControlHasAnAccessibleName();

 private:
  // A new run of the program on a virtual PC with these options.
  InitForm* Start(const QString& options) {
    return StartOn(sim::MachineOptions::Parse("clock=manual," + options.toStdString()));
  }
  InitForm* StartOn(const sim::MachineOptions& options) {
    machine_ = sim::Machine::Create(options);
    platform::StartProcess(machine_->StartProcess("QtsEval"));
    platform::Current().SetMessagePump(&controls::PumpMessages);
    wizard_ = app::OpenSearchWizard();
    return wizard_;
  }
  // Next from the welcome page, the media as given, Next again.
  void Search(bool printerPort, bool onBoard) {
    wizard_->NextCMD->click();
    wizard_->PPCheck->Value(printerPort ? 1 : 0);
    wizard_->SMBusCheck->Value(onBoard ? 1 : 0);
    wizard_->NextCMD->click();
  }
  QStringList Entries() const {
    QStringList entries;
    for (int i = 0; i < wizard_->SearchResultsLIST->ListCount(); ++i) entries << wizard_->SearchResultsLIST->List(i);
    return entries;
  }
  QWidget* CurrentPage() const { return wizard_->PagePlace->currentWidget(); }

  std::shared_ptr<sim::Machine> machine_;
  QPointer<InitForm> wizard_;
};

void InitFormTest::cleanup() {
  if (wizard_) {
    delete wizard_->MainWindow();
    wizard_->WizardFinished = true;  // so that closing it does not end the test run
    delete wizard_;
  }
  for (QWidget* window : QApplication::topLevelWidgets()) delete qobject_cast<MainMenuForm*>(window);
}

void InitFormTest::loadShowsTheWelcomePage() {
  InitForm* wizard = Start({});
  QVERIFY(wizard->isVisible());
  QCOMPARE(wizard->windowTitle(), QStringLiteral("QTS5460 Search Wizard"));
  QCOMPARE(wizard->WelcomeLBL->text(),
           QStringLiteral("This QTS5460 Search Wizard will find any QTS5460s that can be controlled by this software"));
  QCOMPARE(wizard->WelcomeInstructionsLBL->text(), QStringLiteral("Click 'Next' to start."));
  QCOMPARE(wizard->PPSearchDescLBL->text(),
           QStringLiteral("Remember to connect the QTS5460 evaluation board to the printer port"));
  QCOMPARE(wizard->SearchMediumInstLBL->text(), QStringLiteral("Click 'Next' to search for the QTS5460."));
  QCOMPARE(wizard->SearchingDetailsLBL->text(), QStringLiteral("Please wait while searching for available QTS5460s."));
  QCOMPARE(wizard->SearchResultsLBL->text(), QStringLiteral("Please select one of the QTS5460s found above."));
  QCOMPARE(wizard->SearchInsLBL->text(), QStringLiteral("Click 'Next' to Continue"));
  // Beside the specified texts, which PC the search looks at, on every page.
  const auto* machine = wizard->findChild<QLabel*>(QStringLiteral("MachineLBL"));
  QVERIFY(machine != nullptr && machine->isVisible());
  QCOMPARE(machine->text(), QStringLiteral("Machine: virtual PC with a simulated evaluation board"));
  QVERIFY(!wizard->PagePlace->isAncestorOf(machine));
  QCOMPARE(wizard->WizardStep, std::uint8_t{1});
  QCOMPARE(CurrentPage(), wizard->WelcomePanel);
  QCOMPARE(wizard->PPCheck->Value(), 1);
  QCOMPARE(wizard->SMBusCheck->Value(), 0);
  QVERIFY(wizard->SMBusCheck->isEnabled());
  QCOMPARE(wizard->USBCheck->Value(), 0);
  QVERIFY(!wizard->USBCheck->isEnabled());
  QVERIFY(wizard->USBCheck->isHidden());
  QVERIFY(wizard->USBSearchDescLBL->isHidden());
  QVERIFY(!wizard->BackCMD->isEnabled());
  QVERIFY(!wizard->FinishCMD->isEnabled());
  QVERIFY(wizard->NextCMD->isEnabled());
  QVERIFY(wizard->CancelCMD->isEnabled());
  // The load is the component's first use; the main window is not loaded yet.
  QCOMPARE(ComPort().PrinterPort()->SMBusProtocall()->BitsToStayHigh(), std::uint8_t{240});
  QVERIFY(wizard->MainWindow() == nullptr);
}

void InitFormTest::aFailedLoadLeavesTheWelcomePage() {
  machine_ = sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"));
  platform::StartProcess(std::make_shared<comport::testing::UnknownPlatform>(machine_->StartProcess("QtsEval")));
  ModalBoxes boxes;
  wizard_ = app::OpenSearchWizard();
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, QStringLiteral("Error in Init Form Load"));
  QCOMPARE(boxes.Seen()[0].title, QStringLiteral("Error"));
  QCOMPARE(boxes.Seen()[0].icon, QMessageBox::Critical);
  QVERIFY(wizard_->isVisible());
  QCOMPARE(wizard_->WizardStep, std::uint8_t{1});
  QCOMPARE(CurrentPage(), wizard_->WelcomePanel);
  QCOMPARE(wizard_->WelcomeInstructionsLBL->text(), QStringLiteral("Click 'Next' to start."));
  QVERIFY(!wizard_->BackCMD->isEnabled());
  QVERIFY(!wizard_->FinishCMD->isEnabled());
  QVERIFY(wizard_->NextCMD->isEnabled());
  QVERIFY(wizard_->CancelCMD->isEnabled());
  QVERIFY(wizard_->USBCheck->isHidden());
  QVERIFY(wizard_->USBSearchDescLBL->isHidden());
}

void InitFormTest::mediumRulesFollowTheBuildNumber_data() {
  QTest::addColumn<QString>("options");
  QTest::addColumn<bool>("onBoard");
  QTest::addColumn<QString>("baseText");
  QTest::addColumn<QString>("usbText");
  const QString supported =
      QStringLiteral("The Southbridge or ICH of Intel chipsets. For unsupported Intel chipsets, enter SMBBA here (Hex).");
  const QString noUsb = QStringLiteral("Sorry, USB communication is not supported on Windows 95.");
  QTest::newRow("98 SE") << "" << true << "5000" << "";
  QTest::newRow("95") << "personality=95" << true << "5000" << noUsb;
  QTest::newRow("95 OSR2, ICH") << "personality=95osr2,smbus=ich" << true << "EFA0" << noUsb;
  QTest::newRow("ME, no controller") << "personality=me,smbus=none" << true << "0" << "";
  QTest::newRow("NT 4") << "personality=nt4" << false << "000" << "";
  QTest::newRow("XP") << "personality=xp" << false << "000" << "";
}

void InitFormTest::mediumRulesFollowTheBuildNumber() {
  QFETCH(QString, options);
  QFETCH(bool, onBoard);
  QFETCH(QString, baseText);
  QFETCH(QString, usbText);
  InitForm* wizard = Start(options);
  QCOMPARE(wizard->SMBusBaseAddressTXT->text(), baseText);
  QCOMPARE(wizard->SMBusCheck->isEnabled(), onBoard);
  QCOMPARE(wizard->SMBusBaseAddressTXT->isEnabled(), onBoard);
  QCOMPARE(wizard->SMBusCheck->Value(), 0);
  const QColor darkRed(0xC0, 0, 0);
  if (onBoard) {
    QVERIFY(wizard->SMBusSearchDescLBL->text().startsWith(QStringLiteral("The Southbridge or ICH")));
    QVERIFY(wizard->SMBusSearchDescLBL->palette().color(QPalette::WindowText) != darkRed);
  } else {
    QCOMPARE(wizard->SMBusSearchDescLBL->text(),
             QStringLiteral("Sorry, SMBus communication is only supported on Windows 95,98 and ME."));
    QCOMPARE(wizard->SMBusSearchDescLBL->palette().color(QPalette::WindowText), darkRed);
  }
  QCOMPARE(wizard->USBSearchDescLBL->text(), usbText);
  if (!usbText.isEmpty()) QCOMPARE(wizard->USBSearchDescLBL->palette().color(QPalette::WindowText), darkRed);
  QVERIFY(!wizard->USBCheck->isEnabled());
}

void InitFormTest::nextAndBackMoveBetweenPages() {
  InitForm* wizard = Start({});
  wizard->BackCMD->click();  // disabled: nothing happens
  QCOMPARE(wizard->WizardStep, std::uint8_t{1});
  wizard->NextCMD->click();
  QCOMPARE(wizard->WizardStep, std::uint8_t{2});
  QVERIFY(wizard->WizardForward);
  QCOMPARE(CurrentPage(), wizard->SeclectComsMediumPanel);
  QVERIFY(wizard->SeclectComsMediumPanel->isVisible());
  QVERIFY(!wizard->WelcomePanel->isVisible());
  QVERIFY(wizard->BackCMD->isEnabled());
  wizard->BackCMD->click();
  QCOMPARE(wizard->WizardStep, std::uint8_t{1});
  QVERIFY(!wizard->WizardForward);
  QCOMPARE(CurrentPage(), wizard->WelcomePanel);
  QVERIFY(!wizard->BackCMD->isEnabled());
}

void InitFormTest::noMediumIsRefusedOnPageTwo() {
  InitForm* wizard = Start({});
  ModalBoxes boxes;
  Search(false, false);
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, QStringLiteral("Please select a search medium"));
  QCOMPARE(boxes.Seen()[0].title, QStringLiteral("A problem was detected"));
  QCOMPARE(wizard->WizardStep, std::uint8_t{2});
  QCOMPARE(CurrentPage(), wizard->SeclectComsMediumPanel);
  QVERIFY(wizard->MainWindow() == nullptr);
  QVERIFY(wizard->NextCMD->isEnabled());
}

void InitFormTest::searchFillsProgressAndResults_data() {
  QTest::addColumn<QString>("options");
  QTest::addColumn<bool>("printerPort");
  QTest::addColumn<bool>("onBoard");
  QTest::addColumn<int>("maximum");
  QTest::addColumn<int>("highest");
  QTest::addColumn<QStringList>("entries");
  QTest::newRow("one port, printer port only") << "ports=1" << true << false << 33 << 8
                                               << QStringList{PrinterEntry("4C", "378", 1)};
  QTest::newRow("two ports and the on-board SMBus")
      << "" << true << true << 66 << 46 << QStringList{PrinterEntry("4C", "378", 1), OnBoardEntry("4E")};
  QTest::newRow("direct adapter on LPT2") << "ports=2,board-port=2,wiring=direct" << true << false << 33 << 16
                                          << QStringList{PrinterEntry("4C", "278", 1)};
  // No printer port: that pass neither probes nor advances the bar.
  QTest::newRow("no printer port") << "ports=0" << true << true << 66 << 30 << QStringList{OnBoardEntry("4E")};
  QTest::newRow("on-board only, another address")
      << "chip-address=0x18" << false << true << 33 << 30 << QStringList{OnBoardEntry("4E")};
  QTest::newRow("three ports, chip at 0x18")
      << "ports=3,board-port=3,chip-address=0x18" << true << false << 33 << 24
      << QStringList{PrinterEntry("18", "3BC", 1)};
}

void InitFormTest::searchFillsProgressAndResults() {
  QFETCH(QString, options);
  QFETCH(bool, printerPort);
  QFETCH(bool, onBoard);
  QFETCH(int, maximum);
  QFETCH(int, highest);
  QFETCH(QStringList, entries);
  InitForm* wizard = Start(options);
  QList<int> values;
  int maximumSeen = 0;
  bool buttonsOffAndHourglassOn = true;
  connect(wizard->SearchProgress, &QProgressBar::valueChanged, this, [&](int value) {
    values << value;
    maximumSeen = wizard->SearchProgress->maximum();
    if (wizard->WizardStep == InitForm::kSearchingStep)
      buttonsOffAndHourglassOn &= !wizard->CancelCMD->isEnabled() && !wizard->BackCMD->isEnabled() &&
                                  wizard->cursor().shape() == Qt::WaitCursor &&
                                  wizard->PagePlace->currentWidget() == wizard->SearchingPanel;
  });
  Search(printerPort, onBoard);
  QCOMPARE(maximumSeen, maximum);
  QCOMPARE(*std::max_element(values.begin(), values.end()), highest);
  QCOMPARE(values.last(), 0);  // reset when the results page shows
  QVERIFY(buttonsOffAndHourglassOn);
  QCOMPARE(wizard->cursor().shape(), Qt::ArrowCursor);
  QCOMPARE(wizard->WizardStep, std::uint8_t{4});
  QCOMPARE(CurrentPage(), wizard->SearchResultsPanel);
  QCOMPARE(Entries(), entries);
  QCOMPARE(wizard->SearchResultsLIST->ListIndex(), 0);
  QCOMPARE(wizard->SearchResultsLBL->text(), QStringLiteral("Please select one of the QTS5460s found above."));
  QCOMPARE(wizard->SearchInsLBL->text(), QStringLiteral("Click 'Finish' to Continue"));
  QVERIFY(wizard->BackCMD->isEnabled());
  QVERIFY(wizard->FinishCMD->isEnabled());
  QVERIFY(wizard->CancelCMD->isEnabled());
  QVERIFY(!wizard->NextCMD->isEnabled());
  // The main window was loaded for the search, and is not shown before Finish.
  QVERIFY(wizard->MainWindow() != nullptr);
  QVERIFY(!wizard->MainWindow()->isVisible());
  // The list shows the visible part only, and never scrolls sideways.
  for (int i = 0; i < entries.size(); ++i)
    QCOMPARE(wizard->SearchResultsLIST->item(i)->text(), entries[i].left(entries[i].indexOf(QStringLiteral("  "))));
  QCOMPARE(wizard->SearchResultsLIST->horizontalScrollBar()->maximum(), 0);
}

void InitFormTest::finishLeavesTheLinkTheMainWindowReads_data() {
  QTest::addColumn<QString>("options");
  QTest::addColumn<int>("entry");
  QTest::addColumn<int>("usePrinterPort");
  QTest::addColumn<int>("portType");
  QTest::addColumn<int>("deviceAddress");
  QTest::addColumn<int>("portAddress");
  QTest::addColumn<int>("dataInverted");
  QTest::newRow("printer port") << "" << 0 << 1 << 0 << 0x98 << 0x378 << int{comport::kTrue};
  QTest::newRow("on-board SMBus") << "" << 1 << 0 << 1 << 0x4E << 0 << 0;
  QTest::newRow("ICH-style controller, no board") << "board-port=0,smbus=ich" << 0 << 0 << 1 << 0x4E << 0 << 0;
  QTest::newRow("direct adapter on LPT2")
      << "ports=2,board-port=2,wiring=direct" << 0 << 1 << 0 << 0x98 << 0x278 << int{comport::kFalse};
}

void InitFormTest::finishLeavesTheLinkTheMainWindowReads() {
  QFETCH(QString, options);
  QFETCH(int, entry);
  QFETCH(int, usePrinterPort);
  QFETCH(int, portType);
  QFETCH(int, deviceAddress);
  QFETCH(int, portAddress);
  QFETCH(int, dataInverted);
  Start(options);
  Search(true, true);
  wizard_->SearchResultsLIST->ListIndex(entry);
  QPointer<MainMenuForm> main = wizard_->MainWindow();
  wizard_->FinishCMD->click();
  // The wizard is gone; the main window it loaded is shown.
  QTRY_VERIFY(wizard_.isNull());
  QVERIFY(main && main->isVisible());
  QCOMPARE(UsePrinterPort, std::int16_t(usePrinterPort));
  QCOMPARE(ComPort().PortType(), std::int16_t(portType));
  QCOMPARE(CurrentDeviceAddress, std::int16_t(deviceAddress));
  if (usePrinterPort == 1) {
    QCOMPARE(PrinterPortAddress, std::int16_t(portAddress));
    QCOMPARE(ComPort().PrinterPort()->SMBusProtocall()->DataInverted(), comport::Boolean(dataInverted));
    QCOMPARE(ComPort().PrinterPort()->SMBusProtocall()->DeviceAddress(), std::uint8_t(deviceAddress));
  } else {
    QCOMPARE(ComPort().SMBus()->DeviceAddress(), std::uint8_t(deviceAddress));
  }
  // The main window's register access reaches the chip that was chosen.
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 65.0f);
  delete main;
}

void InitFormTest::tenOrMorePrinterEntriesStayReachable() {
  Start("ports=3,board-port=1+3,chip-address=0x18+0x19+0x1A+0x29+0x4E");
  Search(true, true);
  const QStringList entries = Entries();
  QCOMPARE(entries.size(), 11);
  QCOMPARE(entries[0], PrinterEntry("18", "378", 1));
  QCOMPARE(entries[9], PrinterEntry("4E", "3BC", 10));
  QCOMPARE(entries[10], OnBoardEntry("4E"));
  // Entry 10 ends in the same digit as nothing else, and entry 1 is not it.
  wizard_->SearchResultsLIST->ListIndex(9);
  wizard_->FinishCMD->click();
  QTRY_VERIFY(wizard_.isNull());
  QCOMPARE(CurrentDeviceAddress, std::int16_t{0x9C});
  QCOMPARE(ComPort().PrinterPort()->PortAddressIndex(), std::uint8_t{2});
  QCOMPARE(PrinterPortAddress, std::int16_t{0x3BC});
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 65.0f);
}

void InitFormTest::backClearsTheResults() {
  InitForm* wizard = Start({});
  Search(true, true);
  QCOMPARE(Entries().size(), 2);
  MainMenuForm* main = wizard->MainWindow();
  wizard->BackCMD->click();
  QCOMPARE(wizard->WizardStep, std::uint8_t{2});
  QCOMPARE(CurrentPage(), wizard->SeclectComsMediumPanel);
  QCOMPARE(wizard->SearchResultsLIST->ListCount(), 0);
  QVERIFY(wizard->EntryAddresses.empty());
  QVERIFY(wizard->NextCMD->isEnabled());
  QVERIFY(!wizard->FinishCMD->isEnabled());
  // A new search starts from cleared lists; the main window stays loaded.
  wizard->NextCMD->click();
  QCOMPARE(Entries(), (QStringList{PrinterEntry("4C", "378", 1), OnBoardEntry("4E")}));
  QCOMPARE(wizard->EntryAddresses, (std::vector<std::uint8_t>{0x98, 0x4E}));
  QCOMPARE(wizard->MainWindow(), main);
}

void InitFormTest::nothingFoundSaysWhatTheSearchSaw() {
  InitForm* wizard = Start("ports=1,hold=sda");
  Search(true, false);
  QCOMPARE(wizard->SearchResultsLIST->ListCount(), 0);
  QCOMPARE(wizard->SearchResultsLBL->text(), kSorry);
  QCOMPARE(wizard->SearchInsLBL->text(), QStringLiteral("Click Back to continue..."));
  QVERIFY(!wizard->FinishCMD->isEnabled());
  QVERIFY(wizard->BackCMD->isEnabled());
  QVERIFY(wizard->SearchDiagnosisLBL->isVisible());
  const QString said = AccessibleName(wizard->SearchDiagnosisLBL);
  QVERIFY2(said.contains(QStringLiteral("LPT1 (378h): SDA does not follow the port while SCL does")), qPrintable(said));
  // Back takes the diagnosis away with the results.
  wizard->BackCMD->click();
  QVERIFY(wizard->SearchDiagnosisLBL->isHidden() || !wizard->SearchDiagnosisLBL->isVisibleTo(wizard));
  // Finish with nothing found does nothing (it is disabled).
  wizard->NextCMD->click();
  wizard->FinishCMD->click();
  QVERIFY(!wizard_.isNull());
}

void InitFormTest::aSearchAfterNothingFoundFinds() {
  // No controller: the on-board search alone finds nothing.
  InitForm* wizard = Start("smbus=none");
  Search(false, true);
  QCOMPARE(wizard->SearchResultsLBL->text(), kSorry);
  wizard->BackCMD->click();
  QCOMPARE(CurrentPage(), wizard->SeclectComsMediumPanel);
  wizard->PPCheck->Value(1);
  wizard->NextCMD->click();
  QCOMPARE(Entries(), QStringList{PrinterEntry("4C", "378", 1)});
  QCOMPARE(wizard->SearchResultsLBL->text(), QStringLiteral("Please select one of the QTS5460s found above."));
  QCOMPARE(wizard->SearchInsLBL->text(), QStringLiteral("Click 'Finish' to Continue"));
  QVERIFY(wizard->SearchDiagnosisLBL->isHidden() || !wizard->SearchDiagnosisLBL->isVisibleTo(wizard));
  QVERIFY(wizard->FinishCMD->isEnabled());
  wizard->FinishCMD->click();
  QTRY_VERIFY(wizard_.isNull());
  QCOMPARE(UsePrinterPort, std::int16_t{1});
  QCOMPARE(CurrentDeviceAddress, std::int16_t{0x98});
}

void InitFormTest::clicksDuringTheSearchAreDropped_data() {
  QTest::addColumn<QString>("button");
  QTest::newRow("Cancel") << "CancelCMD";
  QTest::newRow("Back") << "BackCMD";
  QTest::newRow("Finish") << "FinishCMD";
}

void InitFormTest::clicksDuringTheSearchAreDropped() {
  QFETCH(QString, button);
  InitForm* wizard = Start({});
  bool clicked = false;
  connect(wizard->SearchProgress, &QProgressBar::valueChanged, this, [&] {
    if (clicked || wizard->WizardStep != InitForm::kSearchingStep) return;
    clicked = true;
    QueueClick(wizard->findChild<QPushButton*>(button));
  });
  Search(true, false);
  QVERIFY(clicked);
  // The program takes user input again: the click made during the search is gone.
  QCoreApplication::processEvents();
  QVERIFY(!wizard_.isNull());
  QVERIFY(wizard->isVisible());
  QCOMPARE(CurrentPage(), wizard->SearchResultsPanel);
  QCOMPARE(Entries(), QStringList{PrinterEntry("4C", "378", 1)});
  QVERIFY(wizard->MainWindow() != nullptr && !wizard->MainWindow()->isVisible());
  // A click made now works.
  QueueClick(wizard->BackCMD);
  QCoreApplication::processEvents();
  QCOMPARE(CurrentPage(), wizard->SeclectComsMediumPanel);
}

void InitFormTest::aTypedBaseIsUsedOrRefused() {
  InitForm* wizard = Start("board-port=0,smbus=ich5");
  QCOMPARE(wizard->SMBusBaseAddressTXT->text(), QStringLiteral("0"));
  wizard->NextCMD->click();
  wizard->SMBusCheck->Value(1);
  {
    ModalBoxes boxes;
    wizard->SMBusBaseAddressTXT->setText(QStringLiteral("4OO"));
    wizard->NextCMD->click();
    QCOMPARE(boxes.Seen().size(), std::size_t{1});
    QCOMPARE(boxes.Seen()[0].title, QStringLiteral("A problem was detected"));
    QVERIFY(boxes.Seen()[0].text.startsWith(QStringLiteral("\"4OO\" is not an SMBus base address.")));
    QCOMPARE(wizard->WizardStep, std::uint8_t{2});
    QVERIFY(wizard->MainWindow() == nullptr);
  }
  // The controller that discovery passed by answers at the base typed.
  wizard->SMBusBaseAddressTXT->setText(QStringLiteral("400"));
  wizard->NextCMD->click();
  QCOMPARE(Entries(), QStringList{OnBoardEntry("4E")});
  wizard->FinishCMD->click();
  QTRY_VERIFY(wizard_.isNull());
  QCOMPARE(UsePrinterPort, std::int16_t{0});
  RegisterPointer = registers::kManufacturerId;
  ReadDeviceRegister();
  QCOMPARE(ReadValue, 65.0f);
}

void InitFormTest::aFailingProbeDoesNotEndTheSearch() {
  // The controller's waits give up after a second of the machine's time; a
  // long step per message pump keeps that second short in real time.
  auto options = sim::MachineOptions::Parse("clock=manual,smbus=none");
  options.pumpNanoseconds = 20'000'000;
  InitForm* wizard = StartOn(options);
  ModalBoxes boxes;
  wizard->NextCMD->click();
  wizard->SMBusCheck->Value(1);
  // Nothing answers at this base: every on-board probe fails with an overflow.
  wizard->SMBusBaseAddressTXT->setText(QStringLiteral("6000"));
  QList<int> values;
  connect(wizard->SearchProgress, &QProgressBar::valueChanged, this, [&](int value) { values << value; });
  wizard->NextCMD->click();
  QVERIFY(boxes.Seen().empty());
  QCOMPARE(*std::max_element(values.begin(), values.end()), 46);
  QCOMPARE(Entries(), QStringList{PrinterEntry("4C", "378", 1)});
  QVERIFY(wizard->FinishCMD->isEnabled());
}

void InitFormTest::cancelAndTheCloseBoxEndTheProgram_data() {
  QTest::addColumn<bool>("searchFirst");
  QTest::addColumn<bool>("closeBox");
  QTest::newRow("Cancel on the welcome page") << false << false;
  QTest::newRow("Cancel on the results page") << true << false;
  QTest::newRow("close box on the welcome page") << false << true;
  QTest::newRow("close box on the results page") << true << true;
}

void InitFormTest::cancelAndTheCloseBoxEndTheProgram() {
  QFETCH(bool, searchFirst);
  QFETCH(bool, closeBox);
  InitForm* wizard = Start({});
  if (searchFirst) Search(true, false);
  QPointer<MainMenuForm> main = wizard->MainWindow();
  QCOMPARE(main.isNull(), !searchFirst);
  // The program's own event loop runs until the program ends; a timer that
  // ends it with code 1 catches a wizard that leaves it running.
  QTimer::singleShot(0, wizard, [wizard, closeBox] {
    if (closeBox)
      wizard->close();
    else
      wizard->CancelCMD->click();
  });
  QTimer::singleShot(10'000, [] { QCoreApplication::exit(1); });
  QCOMPARE(QApplication::exec(), 0);
  QVERIFY(wizard_.isNull());
  QVERIFY(main.isNull());
  for (QWidget* window : QApplication::topLevelWidgets()) QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void InitFormTest::everyControlHasAnAccessibleName() {
  InitForm* wizard = Start({});
  Search(true, true);
  const QList<QWidget*> controls{wizard->PPCheck,        wizard->SMBusCheck,       wizard->USBCheck,
                                 wizard->SMBusBaseAddressTXT, wizard->SearchProgress, wizard->SearchResultsLIST,
                                 wizard->BackCMD,        wizard->NextCMD,          wizard->FinishCMD,
                                 wizard->CancelCMD,      wizard->Image1};
  for (QWidget* control : controls) QVERIFY2(!AccessibleName(control).isEmpty(), qPrintable(control->objectName()));
  QCOMPARE(AccessibleName(wizard->PPCheck), QStringLiteral("Parallel Printer Port"));
  QCOMPARE(AccessibleName(wizard->FinishCMD), QStringLiteral("Finish"));
  QCOMPARE(AccessibleName(wizard->BackCMD), QStringLiteral("Back"));
  QCOMPARE(AccessibleName(wizard->SearchResultsLIST), QStringLiteral("Search Results"));
  // The entries are spoken as they are shown, without their tags.
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(wizard->SearchResultsLIST);
  QStringList spoken;
  for (int i = 0; i < list->childCount(); ++i) {
    const QString name = list->child(i)->text(QAccessible::Name);
    if (name.contains(QStringLiteral("QTS5460"))) spoken << name;
  }
  QCOMPARE(spoken, (QStringList{QStringLiteral("Found an QTS5460 at:4Ch, on printer port:378h"),
                                QStringLiteral("An QTS5460 was found at:4Eh, on the SMBus")}));
  // The progress bar's value can be read.
  QAccessibleInterface* progress = QAccessible::queryAccessibleInterface(wizard->SearchProgress);
  QVERIFY(progress->valueInterface() != nullptr);
  QCOMPARE(progress->valueInterface()->currentValue().toInt(), 0);
}

QTEST_MAIN(InitFormTest)
#include "tst_initform.moc"
