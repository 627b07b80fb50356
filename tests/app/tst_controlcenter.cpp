// The "Control Center" tab against the virtual PC: the monitoring loop, the
// alert light, the limit gauges, the rate selector and Easy Setup.
#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "Handler.h"
#include "MainMenuForm.h"
#include "support/ModalBoxes.h"
#include "support/VirtualBoard.h"

using controls::LimitGauge;
using Medium = VirtualBoard::Medium;

namespace {

QString AccessibleText(QWidget* widget, QAccessible::Text kind) {
  return QAccessible::queryAccessibleInterface(widget)->text(kind);
}

// The main window on the Control Center tab, with the chip's readings fixed.
struct ControlCenter {
  explicit ControlCenter(const std::string& options = {}, Medium medium = Medium::PrinterPort)
      : board(options, medium) {
    form.show();
    form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  }
  // Monitors switched on from code, as a click would; the test drives the ticks.
  void SwitchOn(bool alert, bool graph, bool bars) {
    form.alert_button->Value(alert ? 1 : 0);
    form.Check2->Value(graph ? 1 : 0);
    form.Check1->Value(bars ? 1 : 0);
  }
  void Tick() {
    form.Timer1_Timer();
    board.Advance(0.005);
  }

  VirtualBoard board;
  MainMenuForm form;
};

}  // namespace

class ControlCenterTest : public QObject {
  Q_OBJECT

 private slots:
  void tickReadsInOrder_data();
  void tickReadsInOrder();
  void barsCaptionByMedium_data();
  void barsCaptionByMedium();
  void alertLightFollowsTheChip();
  void onlyLimitFlagsRaiseTheSoftwareAlert_data();
  void onlyLimitFlagsRaiseTheSoftwareAlert();
  void failedReadsFormNoReading_data();
  void failedReadsFormNoReading();
  void chartStampsOnLeftClickAndClears();
  void enteringTheTab_data();
  void enteringTheTab();
  void gaugeMovesWriteTheLimits_data();
  void gaugeMovesWriteTheLimits();
  void selectorWritesOnlyWhatTheUserTurns();
  void easySetupEndState();
  void handlerFailuresAreShown_data();
  void handlerFailuresAreShown();
  void everyControlHasAName();
};

void ControlCenterTest::tickReadsInOrder_data() {
  QTest::addColumn<bool>("alert");
  QTest::addColumn<bool>("graph");
  QTest::addColumn<bool>("bars");
  QTest::addColumn<QList<int>>("reads");
  const QList<int> temperatures{0x01, 0x10, 0x00, 0x19};
  QTest::newRow("all three: status, graph, then bars again") << true << true << true
                                                             << (QList<int>{0x02} + temperatures + temperatures);
  QTest::newRow("alert only") << true << false << false << QList<int>{0x02};
  QTest::newRow("graph only") << false << true << false << temperatures;
  QTest::newRow("bars only") << false << false << true << temperatures;
  QTest::newRow("none") << false << false << false << QList<int>{};
}

void ControlCenterTest::tickReadsInOrder() {
  QFETCH(bool, alert);
  QFETCH(bool, graph);
  QFETCH(bool, bars);
  QFETCH(QList<int>, reads);
  ControlCenter cc;
  cc.board.Chip().SetRemoteTemperature(40.25);
  cc.board.Chip().SetLocalTemperature(25.5);
  cc.board.Advance(1);
  cc.SwitchOn(alert, graph, bars);
  QCOMPARE(cc.form.Timer1->Enabled(), alert || graph || bars);
  QCOMPARE(cc.form.Timer1->Interval(), (alert || graph || bars) ? 5 : 0);
  cc.board.StartTrace();
  cc.form.Timer1_Timer();
  const std::vector<int> codes = cc.board.ReadCodes();
  QCOMPARE(QList<int>(codes.begin(), codes.end()), reads);
  QVERIFY(codes.size() <= 9);
  // Nothing is written by a tick.
  QCOMPARE(static_cast<int>(cc.board.Transfers().size()), reads.size());
  QCOMPARE(cc.form.Strip1->History().Size(0), std::size_t{graph ? 1u : 0u});
  // The remote reading is trace 0, the local one trace 1.
  if (graph) {
    QCOMPARE(cc.form.Strip1->History().At(0, 0).value, 40.25);
    QCOMPARE(cc.form.Strip1->History().At(1, 0).value, 25.5);
  }
  if (!bars) QCOMPARE(cc.form.Percent1->Caption(), QString());
}

void ControlCenterTest::barsCaptionByMedium_data() {
  QTest::addColumn<Medium>("medium");
  QTest::addColumn<double>("remote");
  QTest::addColumn<QString>("remoteCaption");
  QTest::addColumn<QString>("localCaption");
  QTest::addColumn<double>("localPercent");
  QTest::newRow("printer port") << Medium::PrinterPort << 25.5 << "Remote T = 25.5" << "Local T = 25.125C" << 19.0;
  QTest::newRow("on-board SMBus") << Medium::OnBoardSMBus << 25.5 << "Remote T = +25.5C" << "Local T = +25.125C"
                                  << 25.125 / 1.27;
  QTest::newRow("on-board SMBus, remote 0") << Medium::OnBoardSMBus << 0.0 << "Remote T = 0C"
                                            << "Local T = +25.125C" << 25.125 / 1.27;
}

void ControlCenterTest::barsCaptionByMedium() {
  QFETCH(Medium, medium);
  QFETCH(double, remote);
  QFETCH(QString, remoteCaption);
  QFETCH(QString, localCaption);
  QFETCH(double, localPercent);
  ControlCenter cc({}, medium);
  cc.board.Chip().SetLocalTemperature(25.125);
  cc.board.Chip().SetRemoteTemperature(remote);
  cc.board.Advance(1);
  cc.SwitchOn(false, false, true);
  QCOMPARE(cc.form.Check1->text(), QStringLiteral("Bargraphs are On"));
  cc.Tick();
  QCOMPARE(cc.form.Percent2->Caption(), remoteCaption);
  QCOMPARE(cc.form.Percent2->Value(), remote / 1.27);
  QCOMPARE(cc.form.Percent1->Caption(), localCaption);
  QCOMPARE(cc.form.Percent1->Value(), localPercent);
  // A screen reader hears what the bar shows.
  QCOMPARE(AccessibleText(cc.form.Percent1, QAccessible::Name), localCaption);
  // Switching the bars off blanks them.
  cc.form.Check1->Value(0);
  QCOMPARE(cc.form.Check1->text(), QStringLiteral("Bargraphs are Off"));
  QCOMPARE(cc.form.Percent2->Caption(), QString());
  QCOMPARE(cc.form.Percent1->Value(), 0.0);
  QVERIFY(!cc.form.Timer1->Enabled());
}

void ControlCenterTest::alertLightFollowsTheChip() {
  // The remote diode steps from 50 C to 95 C after two seconds; the limit is 85 C.
  ControlCenter cc("scenario=step:50:95:2");
  cc.SwitchOn(true, false, false);
  QCOMPARE(cc.form.alert_button->text(), QStringLiteral("Checking for a software Alert"));
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("No Alert Detected"));
  cc.Tick();
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("No Alert Detected"));
  QCOMPARE(cc.form.alert_detect_light->BackColor(), QColor(0, 255, 0));

  cc.board.Advance(2.5);
  cc.Tick();
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("Alert Detected"));
  QCOMPARE(cc.form.alert_detect_light->BackColor(), QColor(255, 0, 0));
  QCOMPARE(AccessibleText(cc.form.alert_detect_light, QAccessible::Name), QStringLiteral("Alert Detected"));

  // Back below the limit: the first status read still reports the latched
  // flag (and clears it), the next one none.
  cc.board.Chip().SetRemoteTemperature(50);
  cc.board.Advance(1);
  cc.Tick();
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("Alert Detected"));
  cc.Tick();
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("No Alert Detected"));
  QCOMPARE(cc.form.alert_detect_light->BackColor(), QColor(0, 255, 0));
  cc.board.Chip().SetRemoteTemperature(95);
  cc.board.Advance(1);
  cc.Tick();
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("Alert Detected"));

  // The light keeps its look while the loop is idle, until checking is switched off.
  cc.form.MainTab->setCurrentIndex(MainMenuForm::kMainTab);
  QVERIFY(!cc.form.Timer1->Enabled());
  QCOMPARE(cc.form.alert_button->Value(), 1);
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("Alert Detected"));
  cc.form.alert_button->Value(0);
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("Alert Detect Off"));
  QCOMPARE(cc.form.alert_detect_light->BackColor(), QColor(192, 192, 192));
  QCOMPARE(cc.form.alert_button->text(), QStringLiteral("Not checking for a software Alert"));
}

void ControlCenterTest::onlyLimitFlagsRaiseTheSoftwareAlert_data() {
  QTest::addColumn<QString>("condition");
  QTest::addColumn<int>("statusBit");
  QTest::addColumn<bool>("alert");
  QTest::newRow("remote diode open") << "open" << 0x04 << false;
  QTest::newRow("conversion running") << "running" << 0x80 << false;
  QTest::newRow("remote above its high limit") << "high" << 0x10 << true;
}

void ControlCenterTest::onlyLimitFlagsRaiseTheSoftwareAlert() {
  QFETCH(QString, condition);
  QFETCH(int, statusBit);
  QFETCH(bool, alert);
  ControlCenter cc;
  sim::Qts5460& chip = cc.board.Chip();
  chip.SetRemoteTemperature(40);
  chip.SetLocalTemperature(25);
  cc.board.Advance(1);
  chip.ReadRegister(0x02);
  // An open diode reads 127: with that as the high limit it raises no limit flag.
  if (condition == QLatin1String("open")) {
    chip.WriteRegister(0x0D, 127);
    chip.SetDiodeOpen(true);
  }
  if (condition == QLatin1String("high")) chip.SetRemoteTemperature(100);
  cc.board.Advance(1);
  // In standby a one-shot starts a conversion that runs for 25 ms.
  if (condition == QLatin1String("running")) {
    chip.WriteRegister(0x09, 0x40);
    chip.WriteRegister(0x0F, 0);
  }
  QCOMPARE(chip.ReadRegister(0x02) & statusBit, statusBit);
  cc.SwitchOn(true, false, false);
  cc.form.Timer1_Timer();
  QCOMPARE(cc.form.alert_detect_light->Caption(),
           alert ? QStringLiteral("Alert Detected") : QStringLiteral("No Alert Detected"));
}

void ControlCenterTest::failedReadsFormNoReading_data() {
  QTest::addColumn<Medium>("medium");
  QTest::newRow("address that fits no byte") << Medium::PrinterPort;
  QTest::newRow("host controller's word does not fit a byte") << Medium::OnBoardSMBus;
}

void ControlCenterTest::failedReadsFormNoReading() {
  QFETCH(Medium, medium);
  // The 0x10B9-layout controller: a byte left in the register above its
  // data register spoils the word the component reads there.
  ControlCenter cc(medium == Medium::OnBoardSMBus ? "smbus=ali" : "", medium);
  cc.SwitchOn(true, true, true);
  cc.Tick();
  const QString remoteShown = cc.form.Percent2->Caption();
  const double localShown = cc.form.Percent1->Value();
  QVERIFY(!remoteShown.isEmpty());

  // Every register read now fails with a run-time error of the link or the component.
  auto* controller = cc.board.Machine().OnBoard().Controller();
  if (medium == Medium::PrinterPort) {
    LinkNewComPort::CurrentDeviceAddress = 0x1FF;
  } else {
    controller->Write8(static_cast<std::uint16_t>(controller->IoBase() + 5), 1);
  }
  ModalBoxes boxes;
  for (int i = 0; i < 3; ++i) cc.Tick();
  // Nothing charted, the bars and the light keep what they showed, and no message.
  QCOMPARE(cc.form.Strip1->History().Size(0), std::size_t{1});
  QCOMPARE(cc.form.Strip1->History().Size(1), std::size_t{1});
  QCOMPARE(cc.form.Percent2->Caption(), remoteShown);
  QCOMPARE(cc.form.Percent1->Value(), localShown);
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("No Alert Detected"));
  QVERIFY(boxes.Seen().empty());
  QVERIFY(cc.form.Timer1->Enabled());

  // The loop goes on as soon as reads work again.
  if (medium == Medium::PrinterPort) {
    LinkNewComPort::CurrentDeviceAddress = VirtualBoard::kBoardChipAddressByte;
  } else {
    controller->Write8(static_cast<std::uint16_t>(controller->IoBase() + 5), 0);
  }
  cc.Tick();
  QCOMPARE(cc.form.Strip1->History().Size(0), std::size_t{2});
}

void ControlCenterTest::chartStampsOnLeftClickAndClears() {
  ControlCenter cc;
  cc.board.SetTimeOfDay(14 * 3600 + 5 * 60 + 9.25);
  cc.SwitchOn(false, true, false);
  QCOMPARE(cc.form.Check2->text(), QStringLiteral("Graphing Now"));
  for (int i = 0; i < 10; ++i) cc.Tick();
  QCOMPARE(cc.form.Strip1->History().Size(1), std::size_t{10});
  QTest::mouseClick(cc.form.Strip1, Qt::RightButton, {}, QPoint(200, 100));
  QCOMPARE(cc.form.Strip1->StampCount(), std::size_t{0});
  QTest::mouseClick(cc.form.Strip1, Qt::LeftButton, {}, QPoint(200, 100));
  QCOMPARE(cc.form.Strip1->StampTexts(), QStringList{QStringLiteral("14:05:09")});
  QTest::mouseClick(cc.form.Command6, Qt::LeftButton);
  QVERIFY(cc.form.Strip1->History().Empty());
  QCOMPARE(cc.form.Strip1->StampCount(), std::size_t{0});
  // The chart's time line is the machine's: labels show its time of day,
  // also an hour of charting later.
  QVERIFY2(cc.form.Strip1->TimeLabels().last().startsWith(QStringLiteral("14:05:")),
           qPrintable(cc.form.Strip1->TimeLabels().last()));
  cc.board.Advance(3600);
  cc.Tick();
  for (const QString& label : cc.form.Strip1->TimeLabels())
    QVERIFY2(label.startsWith(QStringLiteral("15:04:")) || label.startsWith(QStringLiteral("15:05:")),
             qPrintable(label));
  cc.form.Check2->Value(0);
  QCOMPARE(cc.form.Check2->text(), QStringLiteral("Graphing Stopped"));
}

void ControlCenterTest::enteringTheTab_data() {
  QTest::addColumn<int>("configuration");
  QTest::addColumn<int>("rate");
  QTest::addColumn<int>("remoteHigh");
  QTest::addColumn<QList<int>>("writes");
  QTest::newRow("standby is left") << 0x40 << 7 << 85 << QList<int>{0x09, 0x00};
  QTest::newRow("standby is left, ALERT mask kept") << 0xC0 << 7 << 85 << QList<int>{0x09, 0x80};
  QTest::newRow("converting: nothing written") << 0x3F << 3 << 85 << QList<int>{};
  QTest::newRow("limit above the scale shown without sign") << 0x00 << 0 << 0xC9 << QList<int>{};
}

void ControlCenterTest::enteringTheTab() {
  QFETCH(int, configuration);
  QFETCH(int, rate);
  QFETCH(int, remoteHigh);
  QFETCH(QList<int>, writes);
  VirtualBoard board;
  board.Chip().WriteRegister(0x09, static_cast<std::uint8_t>(configuration));
  board.Chip().WriteRegister(0x0A, static_cast<std::uint8_t>(rate));
  board.Chip().WriteRegister(0x0D, static_cast<std::uint8_t>(remoteHigh));
  board.Chip().WriteRegister(0x0E, 20);
  board.Chip().WriteRegister(0x0B, 70);
  MainMenuForm form;
  form.show();
  // Monitors on before: entering the tab switches them off.
  form.Check2->Value(1);
  form.alert_button->Value(1);
  form.Percent1->Caption(QStringLiteral("Local T = 30C"));
  board.StartTrace();
  form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);

  QList<int> written;
  for (const RegisterTransfer& t : board.Transfers()) {
    if (!t.read) written << t.code << t.value;
  }
  QCOMPARE(written, writes);
  QCOMPARE(board.Chip().ReadRegister(0x03) & 0x40, 0);
  for (controls::CheckBox* box : {form.alert_button, form.Check2, form.Check1}) QCOMPARE(box->Value(), 0);
  QVERIFY(!form.Timer1->Enabled());
  QCOMPARE(form.alert_detect_light->Caption(), QStringLiteral("Alert Detect Off"));
  QCOMPARE(form.Percent1->Caption(), QString());
  QCOMPARE(form.Selector1->Value(), rate);
  QCOMPARE(form.LGauge1->PointerValue(LimitGauge::kHigh), double(remoteHigh));
  QCOMPARE(form.LGauge1->BandUpper(), double(remoteHigh));
  QCOMPARE(form.LGauge1->PointerValue(LimitGauge::kLow), 20.0);
  QCOMPARE(form.LGauge1->BandLower(), 20.0);
  form.LGauge1->CaptionIndex(3);
  QCOMPARE(form.LGauge1->Caption(), QStringLiteral("%1 C").arg(remoteHigh));
  form.LGauge1->CaptionIndex(2);
  QCOMPARE(form.LGauge1->Caption(), QStringLiteral("20 C"));
  form.LGauge2->CaptionIndex(3);
  QCOMPARE(form.LGauge2->Caption(), QStringLiteral("70 C"));
  QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void ControlCenterTest::gaugeMovesWriteTheLimits_data() {
  QTest::addColumn<bool>("remote");
  QTest::addColumn<int>("pointer");
  QTest::addColumn<double>("to");
  QTest::addColumn<QList<int>>("writes");
  QTest::addColumn<QString>("highCaption");
  QTest::addColumn<QString>("lowCaption");
  QTest::addColumn<int>("high");  // both gauges' limits before the move
  QTest::addColumn<int>("low");
  QTest::newRow("remote low near the high limit")
      << true << 1 << 88.0 << QList<int>{0x0E, 85} << "90 C" << "85 C" << 90 << 20;
  QTest::newRow("remote low well below") << true << 1 << 40.0 << QList<int>{0x0E, 40} << "90 C" << "40 C" << 90 << 20;
  QTest::newRow("low 40.5 rounds to even") << true << 1 << 40.5 << QList<int>{0x0E, 40} << "90 C" << "40 C" << 90 << 20;
  QTest::newRow("low 41.5 rounds to even")
      << false << 1 << 41.5 << QList<int>{0x0C, 42} << "90 C" << "42 C" << 90 << 20;
  QTest::newRow("local high near the low limit")
      << false << 2 << 22.0 << QList<int>{0x0B, 25} << "25 C" << "20 C" << 90 << 20;
  QTest::newRow("band: low then high, no separation")
      << true << 0 << 30.0 << QList<int>{0x0E, 30, 0x0D, 100} << "100 C" << "30 C" << 90 << 20;
  // The separation would leave the register's range: the limit stops at its end.
  QTest::newRow("low pointer under a high limit of 3")
      << true << 1 << 2.0 << QList<int>{0x0E, 0} << "3 C" << "0 C" << 3 << 0;
  QTest::newRow("top pointer with every limit at 0xFF")
      << false << 2 << 100.0 << QList<int>{0x0B, 255} << "255 C" << "255 C" << 255 << 255;
}

void ControlCenterTest::gaugeMovesWriteTheLimits() {
  QFETCH(bool, remote);
  QFETCH(int, pointer);
  QFETCH(double, to);
  QFETCH(QList<int>, writes);
  QFETCH(QString, highCaption);
  QFETCH(QString, lowCaption);
  QFETCH(int, high);
  QFETCH(int, low);
  VirtualBoard board;
  for (const int code : {0x0B, 0x0D})
    board.Chip().WriteRegister(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(high));
  for (const int code : {0x0C, 0x0E})
    board.Chip().WriteRegister(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(low));
  ModalBoxes boxes;
  MainMenuForm form;
  form.show();
  form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  LimitGauge* gauge = remote ? form.LGauge1 : form.LGauge2;

  // The user's move, as the gauge reports it: the pointer stands where it
  // was dragged to, and is the selected one.
  if (pointer == LimitGauge::kBand) {
    gauge->BandUpper(gauge->BandUpper() + to - gauge->BandLower());
    gauge->BandLower(to);
  } else {
    gauge->PointerValue(pointer, to);
  }
  gauge->PointerIndex(pointer);
  board.StartTrace();
  emit gauge->PointerMoved(pointer);

  QList<int> written;
  for (const RegisterTransfer& t : board.Transfers()) {
    QVERIFY(!t.read);
    written << t.code << t.value;
  }
  QCOMPARE(written, writes);
  for (int i = 0; i < written.size(); i += 2) {
    QCOMPARE(int(board.Chip().ReadRegister(static_cast<std::uint8_t>(written[i] - 6))), written[i + 1]);
  }
  gauge->CaptionIndex(3);
  QCOMPARE(gauge->Caption(), highCaption);
  gauge->CaptionIndex(2);
  QCOMPARE(gauge->Caption(), lowCaption);
  QCOMPARE(gauge->PointerValue(LimitGauge::kHigh), highCaption.chopped(2).toDouble());
  QCOMPARE(gauge->PointerValue(LimitGauge::kLow), lowCaption.chopped(2).toDouble());
  QVERIFY(boxes.Seen().empty());
}

void ControlCenterTest::selectorWritesOnlyWhatTheUserTurns() {
  VirtualBoard board;
  // A rate register that holds no rate code.
  board.Chip().WriteRegister(0x0A, 0x0F);
  const int held = board.Chip().ReadRegister(0x04);
  MainMenuForm form;
  form.show();
  board.StartTrace();
  form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
  QCOMPARE(form.Selector1->Value(), held);
  for (const RegisterTransfer& t : board.Transfers()) QVERIFY(t.read || t.code != 0x0A);

  QTest::keyClick(form.Selector1, Qt::Key_Home);
  QCOMPARE(int(board.Chip().ReadRegister(0x04)), 0);
  QTest::keyClick(form.Selector1, Qt::Key_Right);
  QCOMPARE(int(board.Chip().ReadRegister(0x04)), 1);
}

void ControlCenterTest::easySetupEndState() {
  ControlCenter cc;
  cc.board.Chip().WriteRegister(0x0A, 2);
  cc.board.Chip().WriteRegister(0x0D, 60);
  cc.board.Chip().WriteRegister(0x0C, 10);
  QTest::mouseClick(cc.form.Command1, Qt::LeftButton);

  QCOMPARE(int(cc.board.Chip().ReadRegister(0x04)), 7);
  for (const int high : {0x05, 0x07}) QCOMPARE(int(cc.board.Chip().ReadRegister(static_cast<std::uint8_t>(high))), 90);
  for (const int low : {0x06, 0x08}) QCOMPARE(int(cc.board.Chip().ReadRegister(static_cast<std::uint8_t>(low))), 0);
  for (LimitGauge* gauge : {cc.form.LGauge1, cc.form.LGauge2}) {
    QCOMPARE(gauge->PointerValue(LimitGauge::kHigh), 90.0);
    QCOMPARE(gauge->PointerValue(LimitGauge::kLow), 0.0);
    QCOMPARE(gauge->BandUpper(), 90.0);
    QCOMPARE(gauge->BandLower(), 0.0);
    gauge->CaptionIndex(3);
    QCOMPARE(gauge->Caption(), QStringLiteral("90 C"));
    gauge->CaptionIndex(2);
    QCOMPARE(gauge->Caption(), QStringLiteral("0 C"));
  }
  QCOMPARE(cc.form.Selector1->Value(), 7);
  QCOMPARE(cc.form.Selector1->Labels().at(7), QStringLiteral("  8"));
  for (controls::CheckBox* box : {cc.form.Check1, cc.form.Check2, cc.form.alert_button}) QCOMPARE(box->Value(), 1);
  QVERIFY(cc.form.Timer1->Enabled());
  QCOMPARE(cc.form.Timer1->Interval(), 5);
  QCOMPARE(cc.form.alert_detect_light->Caption(), QStringLiteral("No Alert Detected"));
  QCOMPARE(cc.form.EasySetupActive, std::uint8_t{0});
  // The loop runs: a tick charts both temperatures.
  cc.Tick();
  QCOMPARE(cc.form.Strip1->History().Size(0), std::size_t{1});
  QVERIFY(!cc.form.Percent1->Caption().isEmpty());
}

void ControlCenterTest::handlerFailuresAreShown_data() {
  QTest::addColumn<int>("handler");
  QTest::newRow("entering the tab") << 0;
  QTest::newRow("Easy Setup") << 1;
  QTest::newRow("gauge") << 2;
  QTest::newRow("selector") << 3;
}

void ControlCenterTest::handlerFailuresAreShown() {
  QFETCH(int, handler);
  ControlCenter cc;
  LinkNewComPort::CurrentDeviceAddress = 0x1FF;
  ModalBoxes boxes;
  switch (handler) {
    case 0:
      cc.form.MainTab->setCurrentIndex(MainMenuForm::kMainTab);
      cc.form.MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
      QCOMPARE(cc.form.cursor().shape(), Qt::ArrowCursor);
      break;
    case 1:
      QTest::mouseClick(cc.form.Command1, Qt::LeftButton);
      break;
    case 2:
      cc.form.LGauge2->PointerIndex(LimitGauge::kLow);
      emit cc.form.LGauge2->PointerMoved(LimitGauge::kLow);
      break;
    default:
      QTest::keyClick(cc.form.Selector1, Qt::Key_Home);
      break;
  }
  QCOMPARE(boxes.Seen().size(), std::size_t{1});
  QCOMPARE(boxes.Seen()[0].text, QStringLiteral("Run-time error '6':\n\nOverflow"));
  QCOMPARE(boxes.Seen()[0].icon, QMessageBox::Critical);
  // Easy Setup's failure leaves the gauges listening.
  QCOMPARE(cc.form.EasySetupActive, std::uint8_t{0});
  QVERIFY(cc.form.isVisible());
}

void ControlCenterTest::everyControlHasAName() {
  ControlCenter cc;
  QWidget* page = cc.form.MainTab->widget(MainMenuForm::kControlCenterTab);
  int controls = 0;
  for (QWidget* widget : page->findChildren<QWidget*>()) {
    // Plain containers are no controls.
    if (widget->metaObject() == &QWidget::staticMetaObject) continue;
    ++controls;
    QVERIFY2(!AccessibleText(widget, QAccessible::Name).trimmed().isEmpty(),
             qPrintable(widget->objectName() + QLatin1Char(' ') + widget->metaObject()->className()));
  }
  QVERIFY(controls > 20);
  QCOMPARE(AccessibleText(cc.form.LGauge1, QAccessible::Name), QStringLiteral("Remote limits"));
  QCOMPARE(AccessibleText(cc.form.LGauge2, QAccessible::Name), QStringLiteral("Local limits"));
  QCOMPARE(AccessibleText(cc.form.Text1, QAccessible::Name), QStringLiteral("Delay(Sec):"));
  QCOMPARE(AccessibleText(cc.form.Percent2, QAccessible::Name), QStringLiteral("Remote temperature bar"));
  QCOMPARE(AccessibleText(cc.form.Selector1, QAccessible::Description), QStringLiteral("8"));
  QVERIFY(AccessibleText(cc.form.LGauge1, QAccessible::Description).contains(QStringLiteral("high limit 85")));
}

int main(int argc, char** argv) {
  app::Application application(argc, argv);
  ControlCenterTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_controlcenter.moc"
