// The main window and the About box on the offscreen platform.
#include <QAccessible>
#include <QButtonGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <QSysInfo>

#include "MachineLine.h"
#include "MainMenuForm.h"
#include "frmAbout.h"

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void fixedTextsAndVersion();
  void aLineSaysWhichPcTheWindowLooksAt_data();
  void aLineSaysWhichPcTheWindowLooksAt();
  void aboutBoxIsNotModalAndShownAgain();
  void aboutBoxOkUnloadsIt();
  void tabChangeStopsBothTimers_data();
  void tabChangeStopsBothTimers();
  void designStateOfTheReadWriteTab();
  void registerRibbonsFormOneGroup();
  void designStateOfTheControlCenterTab();
  void boxesFilterTheirKeys();
  void quitClosesEveryWindow();
};

void MainWindowTest::fixedTextsAndVersion() {
  MainMenuForm form;
  QCOMPARE(form.windowTitle(), QStringLiteral("Norvane - QTS5460 Evaluation Software"));
  QCOMPARE(form.MainTab->count(), 3);
  QCOMPARE(form.MainTab->tabText(0), QStringLiteral("Main"));
  QCOMPARE(form.MainTab->tabText(1), QStringLiteral("Read/Write"));
  QCOMPARE(form.MainTab->tabText(2), QStringLiteral("Control Center"));
  QCOMPARE(form.MainTab->currentIndex(), 0);
  QCOMPARE(form.Label24->text(), QStringLiteral("QTS5460"));
  QCOMPARE(form.Label25->text(), QStringLiteral("Evaluation Software"));
  QCOMPARE(form.lblVersion->text(), QStringLiteral("Version 4.0.0"));
  QCOMPARE(form.Command7->text(), QStringLiteral("About this software"));
  QCOMPARE(form.Quit->text(), QStringLiteral("Quit"));
  QVERIFY(!form.Picture1->pixmap().isNull());
  // Both timers idle at start.
  QCOMPARE(form.Timer1->Interval(), 0);
  QCOMPARE(form.Timer3->Interval(), 0);
  // Centred on its screen.
  const QRect screen = form.screen()->geometry();
  const QRect frame = form.frameGeometry();
  QVERIFY(std::abs(frame.center().x() - screen.center().x()) <= 1);
  QVERIFY(std::abs(frame.center().y() - screen.center().y()) <= 1);
}

void MainWindowTest::aLineSaysWhichPcTheWindowLooksAt_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("otherChoice");
  QTest::newRow("virtual PC") << int(qtscli::MachineKind::VirtualPc)
                              << "Machine: virtual PC with a simulated evaluation board" << "--machine host";
  QTest::newRow("shared virtual PC") << int(qtscli::MachineKind::SharedVirtualPc)
                                     << "Machine: shared virtual PC with a simulated evaluation board"
                                     << "--machine host";
  QTest::newRow("this PC") << int(qtscli::MachineKind::Host) << "Machine: this PC, " + QSysInfo::machineHostName()
                           << "--machine sim";
}

void MainWindowTest::aLineSaysWhichPcTheWindowLooksAt() {
  QFETCH(int, kind);
  QFETCH(QString, text);
  QFETCH(QString, otherChoice);
  app::SetRunningMachine(static_cast<qtscli::MachineKind>(kind));
  MainMenuForm form;
  form.show();
  app::SetRunningMachine(qtscli::MachineKind::VirtualPc);
  // The specified caption stays as it is; the line below the tabs names the PC.
  QCOMPARE(form.windowTitle(), QStringLiteral("Norvane - QTS5460 Evaluation Software"));
  const auto* line = form.findChild<QLabel*>(QStringLiteral("MachineLBL"));
  QVERIFY(line != nullptr);
  QCOMPARE(line->text(), text);
  QVERIFY(line->isVisible());
  QVERIFY(!form.MainTab->isAncestorOf(line));
  // A screen reader speaks the line and how to choose another machine.
  QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(const_cast<QLabel*>(line));
  QCOMPARE(spoken->text(QAccessible::Name), text);
  QVERIFY2(spoken->text(QAccessible::Description).contains(otherChoice), qPrintable(line->accessibleDescription()));
}

void MainWindowTest::aboutBoxIsNotModalAndShownAgain() {
  MainMenuForm form;
  form.show();
  QTest::mouseClick(form.Command7, Qt::LeftButton);
  frmAbout* about = form.AboutBox();
  QVERIFY(about != nullptr);
  QVERIFY(about->isVisible());
  QVERIFY(!about->isModal());
  QCOMPARE(about->windowModality(), Qt::NonModal);
  QCOMPARE(about->windowTitle(), QStringLiteral("About the QTS5460 Evaluation Software."));
  QCOMPARE(about->lblTitle->text(), QStringLiteral("Norvane QTS5460 Evaluation Software "));
  QCOMPARE(about->lblDescription->text(),
           QStringLiteral("This software can be used to read and write to the QTS5460 using either the "
                          "parallel printer port or the SMBus. "));
  QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 4.0.0"));
  QCOMPARE(about->cmdOK->text(), QStringLiteral("OK"));
  // The main window stays usable meanwhile.
  QVERIFY(QApplication::activeModalWidget() == nullptr);
  form.MainTab->setCurrentIndex(1);
  QCOMPARE(form.MainTab->currentIndex(), 1);
  QTest::mouseClick(form.Command7, Qt::LeftButton);
  QCOMPARE(form.AboutBox(), about);
}

void MainWindowTest::aboutBoxOkUnloadsIt() {
  MainMenuForm form;
  form.show();
  QTest::mouseClick(form.Command7, Qt::LeftButton);
  QPointer<frmAbout> about = form.AboutBox();
  QTest::mouseClick(about->cmdOK, Qt::LeftButton);
  QTRY_VERIFY(about.isNull());
  QVERIFY(form.AboutBox() == nullptr);
  QTest::mouseClick(form.Command7, Qt::LeftButton);
  QVERIFY(form.AboutBox() != nullptr);
  QVERIFY(form.AboutBox()->isVisible());
}

void MainWindowTest::tabChangeStopsBothTimers_data() {
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<int>("graphingAfter");
  QTest::newRow("Control Center to Main") << 2 << 0 << 1;
  // Entering the Control Center switches its monitors off as well.
  QTest::newRow("Read/Write to Control Center") << 1 << 2 << 0;
  QTest::newRow("Main to Read/Write") << 0 << 1 << 1;
}

void MainWindowTest::tabChangeStopsBothTimers() {
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(int, graphingAfter);
  MainMenuForm form;
  form.show();
  form.MainTab->setCurrentIndex(from);
  form.Check2->Value(1);
  form.SSRibbon5->Value(true);
  form.Timer1->Interval(5);
  form.Timer1->Enabled(true);
  form.Timer3->Interval(5);
  form.Timer3->Enabled(true);
  form.MainTab->setCurrentIndex(to);
  QVERIFY(!form.Timer1->Enabled());
  QVERIFY(!form.Timer3->Enabled());
  // The boxes that asked for them keep their values (entering Read/Write
  // releases its ribbon, entering the Control Center switches its monitors
  // off), and the hourglass is gone.
  QCOMPARE(form.Check2->Value(), graphingAfter);
  QCOMPARE(form.SSRibbon5->Value(), to != MainMenuForm::kReadWriteTab);
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
  QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void MainWindowTest::designStateOfTheReadWriteTab() {
  MainMenuForm form;
  form.show();
  QVERIFY(form.SSRibbon4->Value());
  QCOMPARE(form.Label6->text(), QStringLiteral("Configuration"));
  const controls::ClickLabel* digits[] = {form.bit0, form.bit1, form.bit2, form.bit3,
                                          form.bit4, form.bit5, form.bit6, form.bit7};
  for (int k = 0; k < 8; ++k) {
    QCOMPARE(digits[k]->text(), QStringLiteral("0"));
    QCOMPARE(form.bitname.at(k)->text(), QStringLiteral("Bit %1").arg(k));
  }
  QCOMPARE(form.bitname.at(8)->text(), QStringLiteral("(Click Digits)"));
  QCOMPARE(form.bitname.at(9)->text(), QStringLiteral("Ptr"));
  QCOMPARE(form.bitname.at(16)->text(), QStringLiteral("Hex"));
  QCOMPARE(form.bitname.at(17)->text(), QStringLiteral("Dec"));
  for (controls::TextBox* box : {form.Text6, form.Text7, form.Text2}) QCOMPARE(box->text(), QStringLiteral("00"));
  for (QPushButton* button : {form.Command4, form.Command5, form.Command3}) {
    QCOMPARE(button->toolTip(), QStringLiteral("Update with the written value in the Textbox"));
    QVERIFY(button->styleSheet().contains(QStringLiteral("#00FF00")));
  }
  QCOMPARE(form.SSPanel2->Caption(), QStringLiteral("Standby Mode is Off"));
  QCOMPARE(form.SSPanel7->Caption(), QStringLiteral("Continuous Reading is Off"));
  QCOMPARE(form.CommandButton1->text(), QStringLiteral("Make One-Shot Measurement"));
  QVERIFY(!form.SSRibbon3->Value());
  QVERIFY(!form.SSRibbon5->Value());
  // Bit 7 stands left of bit 0.
  form.MainTab->setCurrentIndex(1);
  QVERIFY(form.bit7->mapTo(&form, QPoint()).x() < form.bit0->mapTo(&form, QPoint()).x());
}

void MainWindowTest::registerRibbonsFormOneGroup() {
  MainMenuForm form;
  form.show();
  form.MainTab->setCurrentIndex(1);
  QCOMPARE(form.RegisterRibbons->buttons().size(), 17);
  QVERIFY(form.RegisterRibbons->exclusive());
  QCOMPARE(form.RegisterRibbons->id(form.SSRibbon16), 0x0F);
  QCOMPARE(form.RegisterRibbons->id(form.SSRibbon11), 0xFF);
  QTest::mouseClick(form.SSRibbon9, Qt::LeftButton);
  QVERIFY(form.SSRibbon9->Value());
  QVERIFY(!form.SSRibbon4->Value());
  QCOMPARE(form.RegisterRibbons->checkedId(), 0x03);
  // The standby and continuous-reading ribbons stand apart from the group.
  QTest::mouseClick(form.SSRibbon3, Qt::LeftButton);
  QTest::mouseClick(form.SSRibbon5, Qt::LeftButton);
  QVERIFY(form.SSRibbon3->Value());
  QVERIFY(form.SSRibbon5->Value());
  QVERIFY(form.SSRibbon9->Value());
}

void MainWindowTest::designStateOfTheControlCenterTab() {
  MainMenuForm form;
  QCOMPARE(form.Check2->text(), QStringLiteral("Graphing is Stopped"));
  QCOMPARE(form.Check1->text(), QStringLiteral("Bargraphs are Off"));
  QCOMPARE(form.alert_button->text(), QStringLiteral("Not checking for a software Alert"));
  for (controls::CheckBox* box : {form.Check1, form.Check2, form.alert_button}) QCOMPARE(box->Value(), 0);
  QCOMPARE(form.alert_detect_light->Caption(), QStringLiteral("Alert Detect Off"));
  QCOMPARE(form.alert_detect_light->BackColor(), QColor(192, 192, 192));
  QCOMPARE(form.Percent1->Caption(), QStringLiteral("Local Temp. = "));
  QCOMPARE(form.Percent2->Caption(), QStringLiteral("Remote Temp. = "));
  QCOMPARE(form.Command6->text(), QStringLiteral("Clear Graph"));
  QCOMPARE(form.SSPanel6->Caption(), QStringLiteral("Graph"));
  QCOMPARE(form.SSPanel20->Caption(), QStringLiteral("Alert Status"));
  QCOMPARE(form.SSPanel10->Caption(), QStringLiteral("Log to File"));
  QCOMPARE(form.Command2->text(), QStringLiteral("Clr Alert Hardware Int"));
  QCOMPARE(form.Strip1->AxisCaptionX(), QStringLiteral("Time"));
  QCOMPARE(form.Strip1->AxisCaptionY(), QStringLiteral("Temperature (C)"));
  QCOMPARE(form.Strip1->TraceName(0), QStringLiteral("Remote Temperature"));
  QCOMPARE(form.Strip1->TraceName(1), QStringLiteral("Local Temperature"));
  QCOMPARE(form.Strip1->ValueMax(), 127.0);
  QCOMPARE(form.Strip1->toolTip(),
           QStringLiteral("Drag the Arrows to zoom in or out, Left Click Timestamps, Right Drag Moves Graph"));
  for (controls::LimitGauge* gauge : {form.LGauge1, form.LGauge2}) {
    QCOMPARE(gauge->toolTip(), QStringLiteral("Drag the pointers to change the limits"));
    QCOMPARE(gauge->Max(), 127.0);
  }
  QCOMPARE(form.Selector1->Caption(), QStringLiteral("ADC Sampling"));
  QCOMPARE(form.Selector1->toolTip(), QStringLiteral("Adjust the ADC Sampling rate"));
  QCOMPARE(form.Selector1->Labels(),
           QStringList({"0.0625", "0.125", "0.25", "0.5", "  1", "  2", "  4", "  8"}));
  QCOMPARE(form.Command1->text(), QStringLiteral("Easy Setup"));
  QCOMPARE(form.Command1->toolTip(), QStringLiteral("Automatic easy setup"));
  // Logging starts without a file.
  QCOMPARE(form.MakeLog_CMD->text(), QStringLiteral("Make New Log"));
  QCOMPARE(form.Check3->Value(), 2);
  QVERIFY(!form.Check3->isEnabled());
  QCOMPARE(form.Check3->text(), QStringLiteral("Not Logging to File"));
  QCOMPARE(form.Text1->text(), QStringLiteral("5"));
  QCOMPARE(form.Text1->maxLength(), 4);
  QCOMPARE(form.Label15->text(), QStringLiteral("Delay(Sec):"));
  QCOMPARE(form.Label14->text(), QStringLiteral("0"));
  QVERIFY(!form.Label7->isEnabled());
  QVERIFY(!form.Label13->isEnabled());
}

void MainWindowTest::boxesFilterTheirKeys() {
  MainMenuForm form;
  form.show();
  form.MainTab->setCurrentIndex(2);
  form.Text1->clear();
  QTest::keyClicks(form.Text1, "12a34567");
  QCOMPARE(form.Text1->text(), QStringLiteral("1234"));
  form.MainTab->setCurrentIndex(1);
  form.Text2->clear();
  QTest::keyClicks(form.Text2, "0bg");
  QCOMPARE(form.Text2->text(), QStringLiteral("0B"));
}

void MainWindowTest::quitClosesEveryWindow() {
  auto* form = new MainMenuForm;
  form->show();
  QTest::mouseClick(form->Command7, Qt::LeftButton);
  QPointer<frmAbout> about = form->AboutBox();
  QTest::mouseClick(form->Quit, Qt::LeftButton);
  QVERIFY(!form->isVisible());
  QVERIFY(about.isNull() || !about->isVisible());
  delete form;
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
