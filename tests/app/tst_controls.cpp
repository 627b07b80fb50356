// What the windows rely on from their controls, driven on the offscreen platform.
#include <QAccessible>
#include <QButtonGroup>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "controls/CheckBox.h"
#include "controls/LimitGauge.h"
#include "controls/PercentBar.h"
#include "controls/RibbonButton.h"
#include "controls/Selector.h"
#include "controls/StripChart.h"
#include "controls/TextBox.h"
#include "controls/TickTimer.h"

using namespace controls;

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void checkBoxValueFromCodeRunsClickAtOnce();
  void checkBoxUserClicks_data();
  void checkBoxUserClicks();
  void timerIsIdleAtIntervalZeroOrDisabled();
  void timerTickNeverReentersWhilePumping();
  void timerTicksHeldOffWhileAHandlerPumps();
  void ribbonGroupKeepsOnePressed();
  void independentRibbonToggles();
  void keyFilters_data();
  void keyFilters();
  void keyFilterLeavesEditingKeysAlone();
  void gaugeMouseDragReportsMovedPointer_data();
  void gaugeMouseDragReportsMovedPointer();
  void gaugeBandDragMovesBothEnds();
  void gaugeKeyboardMovesSelectedPointer();
  void gaugeCodeSettingsAreSilent();
  void gaugeCaptionSlots();
  void selectorUserTurnsNotify();
  void gaugeLimitBeyondTheScaleIsGrabbedWhereDrawn();
  void percentBarKeepsValuesAboveAHundred();
  void stripChartBoundedHistoryAndClear();
  void stripChartAxisLabelsFollowTimeOfDay();
  void stripChartZoomAndMove();
  void stripChartReportsMousePresses();
  void stripChartClockPutBackKeepsSamplesApart();
  void instrumentsSpeakTheirState();
};

void ControlsTest::checkBoxValueFromCodeRunsClickAtOnce() {
  CheckBox box;
  int clicks = 0;
  int seenValue = -1;
  connect(&box, &CheckBox::Click, [&] {
    ++clicks;
    seenValue = box.Value();
  });
  box.Value(1);
  // The handler has run before the setter returned, and saw the new value.
  QCOMPARE(clicks, 1);
  QCOMPARE(seenValue, 1);
  box.Value(2);
  QCOMPARE(clicks, 2);
  QCOMPARE(seenValue, 2);
  box.Value(0);
  QCOMPARE(seenValue, 0);
  // Setting the value it already has changes nothing and runs nothing.
  box.Value(0);
  QCOMPARE(clicks, 3);
}

void ControlsTest::checkBoxUserClicks_data() {
  QTest::addColumn<int>("before");
  QTest::addColumn<int>("after");
  QTest::newRow("unticked ticks") << 0 << 1;
  QTest::newRow("ticked unticks") << 1 << 0;
  QTest::newRow("greyed ticks") << 2 << 1;
}

void ControlsTest::checkBoxUserClicks() {
  QFETCH(int, before);
  QFETCH(int, after);
  CheckBox box(QStringLiteral("box"));
  box.resize(120, 24);
  box.show();
  box.Value(before);
  QSignalSpy clicks(&box, &CheckBox::Click);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, 12));
  QCOMPARE(box.Value(), after);
  QCOMPARE(clicks.count(), 1);
}

void ControlsTest::timerIsIdleAtIntervalZeroOrDisabled() {
  TickTimer timer;
  int ticks = 0;
  connect(&timer, &TickTimer::Tick, [&] { ++ticks; });
  timer.Interval(0);
  QTest::qWait(30);
  QCOMPARE(ticks, 0);
  timer.Interval(1);
  QTRY_VERIFY(ticks > 0);
  timer.Enabled(false);
  const int stopped = ticks;
  QTest::qWait(30);
  QCOMPARE(ticks, stopped);
  QCOMPARE(timer.Interval(), 1);
}

void ControlsTest::timerTickNeverReentersWhilePumping() {
  TickTimer first;
  TickTimer second;
  int depth = 0;
  int deepest = 0;
  int ticks = 0;
  auto tick = [&] {
    ++depth;
    ++ticks;
    deepest = std::max(deepest, depth);
    // A bus transfer's waits pump messages many times over.
    for (int i = 0; i < 20; ++i) {
      QTest::qSleep(1);
      PumpMessages();
      QCoreApplication::processEvents();
    }
    --depth;
  };
  connect(&first, &TickTimer::Tick, tick);
  connect(&second, &TickTimer::Tick, tick);
  first.Interval(1);
  second.Interval(1);
  QTRY_VERIFY(ticks >= 4);
  QCOMPARE(deepest, 1);
}

void ControlsTest::timerTicksHeldOffWhileAHandlerPumps() {
  TickTimer timer;
  int ticks = 0;
  connect(&timer, &TickTimer::Tick, [&] { ++ticks; });
  timer.Interval(1);
  // A click handler waiting on the bus pumps; no tick may run inside it.
  for (int i = 0; i < 30; ++i) {
    QTest::qSleep(1);
    PumpMessages();
  }
  QCOMPARE(ticks, 0);
  QVERIFY(!PumpRunning());
  QTRY_VERIFY(ticks > 0);
}

void ControlsTest::ribbonGroupKeepsOnePressed() {
  QWidget window;
  QButtonGroup group;
  group.setExclusive(true);
  RibbonButton a(&window), b(&window), c(&window);
  for (RibbonButton* r : {&a, &b, &c}) group.addButton(r);
  a.move(0, 0);
  b.move(30, 0);
  c.move(60, 0);
  window.show();
  a.Value(true);
  QSignalSpy clicks(&b, &QAbstractButton::clicked);
  QTest::mouseClick(&b, Qt::LeftButton);
  QVERIFY(b.Value());
  QVERIFY(!a.Value());
  QVERIFY(!c.Value());
  QCOMPARE(clicks.count(), 1);
  // Clicking the pressed ribbon keeps it pressed.
  QTest::mouseClick(&b, Qt::LeftButton);
  QVERIFY(b.Value());
  // Pressing one from code releases the others, and sends no click.
  QSignalSpy codeClicks(&c, &QAbstractButton::clicked);
  c.Value(true);
  QVERIFY(c.Value());
  QVERIFY(!b.Value());
  QCOMPARE(codeClicks.count(), 0);
}

void ControlsTest::independentRibbonToggles() {
  RibbonButton ribbon;
  ribbon.show();
  QTest::mouseClick(&ribbon, Qt::LeftButton);
  QVERIFY(ribbon.Value());
  QTest::mouseClick(&ribbon, Qt::LeftButton);
  QVERIFY(!ribbon.Value());
}

void ControlsTest::keyFilters_data() {
  QTest::addColumn<bool>("hex");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("digits pass the digit filter") << false << "0123456789" << "0123456789";
  QTest::newRow("letters and signs are dropped by the digit filter") << false << "1a-2.B 3" << "123";
  QTest::newRow("hex letters are upper-cased") << true << "0bfa" << "0BFA";
  QTest::newRow("letters past F are dropped") << true << "gG1zx" << "1";
  QTest::newRow("other signs are dropped by the hex filter") << true << "&H7-f." << "7F";
}

void ControlsTest::keyFilters() {
  QFETCH(bool, hex);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  TextBox box;
  box.SetKeyFilter(hex ? HexKeyFilter : DigitKeyFilter);
  box.show();
  QTest::keyClicks(&box, typed);
  QCOMPARE(box.text(), shown);
  QTest::keyClick(&box, Qt::Key_Backspace);
  QCOMPARE(box.text(), shown.chopped(1));
}

void ControlsTest::keyFilterLeavesEditingKeysAlone() {
  TextBox box(QStringLiteral("123"));
  box.SetKeyFilter(DigitKeyFilter);
  box.setMaxLength(4);
  box.show();
  QSignalSpy changes(&box, &QLineEdit::textChanged);
  box.setCursorPosition(3);
  QTest::keyClick(&box, Qt::Key_Left);
  QTest::keyClick(&box, Qt::Key_Delete);
  QCOMPARE(box.text(), QStringLiteral("12"));
  QTest::keyClicks(&box, "456");
  // The maximum length still holds.
  QCOMPARE(box.text().size(), 4);
  QVERIFY(changes.count() >= 2);
}

namespace {

QPoint GaugePoint(const LimitGauge& gauge, double value) {
  const int line = gauge.fontMetrics().height();
  const GaugeScale scale{gauge.Min(), gauge.Max(), 2.0 * line + 8, gauge.height() - 2.0 * line - 8.0};
  return {53, static_cast<int>(std::lround(scale.ToPosition(value)))};
}

void SetUpGauge(LimitGauge& gauge) {
  gauge.resize(100, 300);
  gauge.PointerIndex(LimitGauge::kBand);
  gauge.BandLower(20);
  gauge.BandUpper(90);
  gauge.PointerIndex(LimitGauge::kLow);
  gauge.Value(20);
  gauge.PointerIndex(LimitGauge::kHigh);
  gauge.Value(90);
  gauge.show();
}

}  // namespace

void ControlsTest::gaugeMouseDragReportsMovedPointer_data() {
  QTest::addColumn<int>("pointer");
  QTest::addColumn<double>("from");
  QTest::addColumn<double>("to");
  QTest::newRow("low limit") << int(LimitGauge::kLow) << 20.0 << 40.0;
  QTest::newRow("high limit") << int(LimitGauge::kHigh) << 90.0 << 70.0;
}

void ControlsTest::gaugeMouseDragReportsMovedPointer() {
  QFETCH(int, pointer);
  QFETCH(double, from);
  QFETCH(double, to);
  LimitGauge gauge;
  SetUpGauge(gauge);
  gauge.PointerIndex(LimitGauge::kBand);
  QSignalSpy moved(&gauge, &LimitGauge::PointerMoved);
  QTest::mousePress(&gauge, Qt::LeftButton, {}, GaugePoint(gauge, from));
  QTest::mouseMove(&gauge, GaugePoint(gauge, (from + to) / 2));
  QTest::mouseMove(&gauge, GaugePoint(gauge, to));
  // Nothing is reported while the pointer is still being dragged.
  QCOMPARE(moved.count(), 0);
  QTest::mouseRelease(&gauge, Qt::LeftButton, {}, GaugePoint(gauge, to));
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.at(0).at(0).toInt(), pointer);
  QCOMPARE(gauge.MovedPointer(), pointer);
  QCOMPARE(gauge.PointerIndex(), pointer);
  QVERIFY(std::abs(gauge.Value() - to) < 1.0);
  // The band and the other limit stay.
  QCOMPARE(gauge.BandLower(), 20.0);
  QCOMPARE(gauge.BandUpper(), 90.0);
}

void ControlsTest::gaugeBandDragMovesBothEnds() {
  LimitGauge gauge;
  SetUpGauge(gauge);
  QSignalSpy moved(&gauge, &LimitGauge::PointerMoved);
  const QPoint grab(38, GaugePoint(gauge, 55).y());
  QTest::mousePress(&gauge, Qt::LeftButton, {}, grab);
  QTest::mouseMove(&gauge, QPoint(38, GaugePoint(gauge, 65).y()));
  QTest::mouseRelease(&gauge, Qt::LeftButton, {}, QPoint(38, GaugePoint(gauge, 65).y()));
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.at(0).at(0).toInt(), int(LimitGauge::kBand));
  QVERIFY(std::abs(gauge.BandLower() - 30) < 1.0);
  QVERIFY(std::abs((gauge.BandUpper() - gauge.BandLower()) - 70) < 1e-9);
  // A press without a drag moves nothing and reports nothing.
  QTest::mouseClick(&gauge, Qt::LeftButton, {}, grab);
  QCOMPARE(moved.count(), 1);
}

void ControlsTest::gaugeKeyboardMovesSelectedPointer() {
  LimitGauge gauge;
  SetUpGauge(gauge);
  gauge.PointerIndex(LimitGauge::kLow);
  QSignalSpy moved(&gauge, &LimitGauge::PointerMoved);
  QTest::keyClick(&gauge, Qt::Key_Up);
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.at(0).at(0).toInt(), int(LimitGauge::kLow));
  QCOMPARE(gauge.Value(), 21.0);
  QTest::keyClick(&gauge, Qt::Key_Right);  // selects the high limit, moves nothing
  QCOMPARE(moved.count(), 1);
  QTest::keyClick(&gauge, Qt::Key_PageDown);
  QCOMPARE(moved.count(), 2);
  QCOMPARE(gauge.MovedPointer(), int(LimitGauge::kHigh));
  QCOMPARE(gauge.Value(), 80.0);
  QTest::keyClick(&gauge, Qt::Key_Right);  // the band
  QTest::keyClick(&gauge, Qt::Key_PageUp);
  QCOMPARE(gauge.MovedPointer(), int(LimitGauge::kBand));
  QCOMPARE(gauge.BandLower(), 30.0);
  QCOMPARE(gauge.BandUpper(), 100.0);
  // The scale's top stops a pointer.
  gauge.PointerIndex(LimitGauge::kHigh);
  for (int i = 0; i < 10; ++i) QTest::keyClick(&gauge, Qt::Key_PageUp);
  QCOMPARE(gauge.Value(), 127.0);
}

void ControlsTest::gaugeCodeSettingsAreSilent() {
  LimitGauge gauge;
  QSignalSpy moved(&gauge, &LimitGauge::PointerMoved);
  SetUpGauge(gauge);
  gauge.PointerIndex(LimitGauge::kLow);
  gauge.Value(40.5);
  QCOMPARE(gauge.Value(), 40.5);
  QCOMPARE(moved.count(), 0);
  QCOMPARE(gauge.MovedPointer(), -1);
}

void ControlsTest::gaugeLimitBeyondTheScaleIsGrabbedWhereDrawn() {
  LimitGauge gauge;
  SetUpGauge(gauge);
  // A limit register holding 0xC9: the pointer keeps 201 but stands at 127.
  gauge.PointerValue(LimitGauge::kHigh, 201);
  gauge.BandUpper(201);
  QSignalSpy moved(&gauge, &LimitGauge::PointerMoved);
  QTest::mousePress(&gauge, Qt::LeftButton, {}, GaugePoint(gauge, 127));
  QTest::mouseMove(&gauge, GaugePoint(gauge, 100));
  QTest::mouseRelease(&gauge, Qt::LeftButton, {}, GaugePoint(gauge, 100));
  QCOMPARE(moved.count(), 1);
  QCOMPARE(moved.at(0).at(0).toInt(), int(LimitGauge::kHigh));
  QVERIFY(std::abs(gauge.PointerValue(LimitGauge::kHigh) - 100) < 1.0);

  // The band stops at the scale's end, below the upper right caption.
  gauge.CaptionIndex(3);
  gauge.Caption(QStringLiteral("201 C"));
  QImage image(gauge.size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  gauge.render(&image);
  const int captionRow = gauge.fontMetrics().height() + 4 + gauge.fontMetrics().height() / 2;
  for (int x = 33; x < 43; ++x) {
    const QColor c = image.pixelColor(x, captionRow);
    QVERIFY2(!(c.green() > c.red() + 60), "the band reaches into the captions");
  }
}

void ControlsTest::gaugeCaptionSlots() {
  LimitGauge gauge;
  gauge.CaptionIndex(3);
  gauge.Caption(QStringLiteral("90 C"));
  gauge.CaptionIndex(2);
  gauge.Caption(QStringLiteral("0 C"));
  QCOMPARE(gauge.Caption(), QStringLiteral("0 C"));
  gauge.CaptionIndex(3);
  QCOMPARE(gauge.Caption(), QStringLiteral("90 C"));
}

void ControlsTest::selectorUserTurnsNotify() {
  Selector selector;
  selector.Labels({"0.0625", "0.125", "0.25", "0.5", "  1", "  2", "  4", "  8"});
  selector.resize(200, 180);
  selector.show();
  QSignalSpy changed(&selector, &Selector::ValueChanged);
  selector.Value(7);
  QCOMPARE(selector.Value(), 7);
  QCOMPARE(changed.count(), 0);
  QTest::keyClick(&selector, Qt::Key_Left);
  QCOMPARE(selector.Value(), 6);
  QCOMPARE(changed.count(), 1);
  QCOMPARE(changed.at(0).at(0).toInt(), 6);
  QTest::keyClick(&selector, Qt::Key_Home);
  QCOMPARE(selector.Value(), 0);
  QTest::keyClick(&selector, Qt::Key_Left);  // already at the end: no change, no report
  QCOMPARE(changed.count(), 2);
  QCOMPARE(selector.Labels().at(4), QStringLiteral("  1"));

  // A silent device's 0xFF is no position: it stays what it is, and says so.
  selector.Caption(QStringLiteral("ADC Sampling"));
  selector.Value(0xFF);
  QCOMPARE(selector.Value(), 0xFF);
  auto* accessible = QAccessible::queryAccessibleInterface(&selector);
  QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("ADC Sampling"));
  QVERIFY(accessible->text(QAccessible::Description).contains(QStringLiteral("255")));
  QCOMPARE(changed.count(), 2);
  // The user's turn lands on a position, and only that is reported.
  QTest::keyClick(&selector, Qt::Key_Left);
  QCOMPARE(selector.Value(), 7);
  QCOMPARE(changed.count(), 3);
  QCOMPARE(accessible->text(QAccessible::Description), QStringLiteral("8"));
}

void ControlsTest::percentBarKeepsValuesAboveAHundred() {
  PercentBar bar;
  bar.Value(127.875 / 1.27);
  bar.Caption(QStringLiteral("Local T = 127.875C"));
  QVERIFY(bar.Value() > 100.0);
  QCOMPARE(bar.Caption(), QStringLiteral("Local T = 127.875C"));
  bar.resize(120, 200);
  QImage image(bar.size(), QImage::Format_ARGB32);
  bar.render(&image);
  QCOMPARE(image.pixelColor(bar.width() / 2, 8), QColor(Qt::red));
}

void ControlsTest::stripChartBoundedHistoryAndClear() {
  StripChart chart(nullptr, 500);
  double now = 3600.0;
  chart.SetClocks([&] { return now; }, [&] { return now; });
  for (int i = 0; i < 2000; ++i) {
    now += 0.005;
    chart.AddSample(0, 30.0 + i % 10);
    chart.AddSample(1, 25.0);
  }
  QCOMPARE(chart.History().Size(0), std::size_t{500});
  QCOMPARE(chart.History().Size(1), std::size_t{500});
  chart.Stamp(0.1, QStringLiteral("01:00:10"));
  QCOMPARE(chart.StampCount(), std::size_t{1});
  for (int i = 0; i < 300; ++i) chart.Stamp(0.1, QStringLiteral("x"));
  QCOMPARE(chart.StampCount(), StripChart::kMaxStamps);
  chart.Clear();
  QVERIFY(chart.History().Empty());
  QCOMPARE(chart.StampCount(), std::size_t{0});
}

void ControlsTest::stripChartAxisLabelsFollowTimeOfDay() {
  StripChart chart;
  double now = 14 * 3600 + 5 * 60 + 9.5;
  chart.SetClocks([&] { return now; }, [&] { return now; });
  chart.resize(600, 300);
  chart.TimeSpan(60);
  const QStringList labels = chart.TimeLabels();
  QVERIFY(labels.size() >= 2);
  for (const QString& label : labels) {
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d $")).match(label).hasMatch(),
             qPrintable(label));
  }
  QVERIFY(labels.last() <= QStringLiteral("14:05:09 "));
  QVERIFY(labels.first() >= QStringLiteral("14:04:09 "));
  QCOMPARE(chart.ValueMax(), 127.0);
}

void ControlsTest::stripChartZoomAndMove() {
  StripChart chart;
  double now = 7200.0;
  chart.SetClocks([&] { return now; }, [&] { return now; });
  chart.resize(600, 300);
  chart.show();
  QTest::keyClick(&chart, Qt::Key_Right);
  QCOMPARE(chart.TimeSpan(), 40.0);
  QTest::keyClick(&chart, Qt::Key_Left);
  QTest::keyClick(&chart, Qt::Key_Left);
  QCOMPARE(chart.TimeSpan(), 90.0);
  QTest::keyClick(&chart, Qt::Key_Up);
  QVERIFY(chart.ValueMax() < 127.0);
  QTest::keyClick(&chart, Qt::Key_Down);
  QCOMPARE(chart.ValueMax(), 127.0);

  // Dragging right with the right button looks back in time.
  QVERIFY(chart.Following());
  QTest::mousePress(&chart, Qt::RightButton, {}, QPoint(200, 150));
  QMouseEvent move(QEvent::MouseMove, QPointF(400, 150), chart.mapToGlobal(QPointF(400, 150)),
                   Qt::NoButton, Qt::RightButton, {});
  QCoreApplication::sendEvent(&chart, &move);
  QTest::mouseRelease(&chart, Qt::RightButton, {}, QPoint(400, 150));
  QVERIFY(!chart.Following());
  const QStringList back = chart.TimeLabels();
  now += 30;
  QCOMPARE(chart.TimeLabels(), back);
  // Dragging back past the newest sample follows again.
  QTest::mousePress(&chart, Qt::RightButton, {}, QPoint(400, 150));
  QMouseEvent forward(QEvent::MouseMove, QPointF(0, 150), chart.mapToGlobal(QPointF(0, 150)), Qt::NoButton,
                      Qt::RightButton, {});
  QCoreApplication::sendEvent(&chart, &forward);
  QTest::mouseRelease(&chart, Qt::RightButton, {}, QPoint(0, 150));
  QVERIFY(chart.Following());
}

void ControlsTest::stripChartReportsMousePresses() {
  StripChart chart;
  chart.resize(400, 200);
  chart.show();
  QSignalSpy presses(&chart, &StripChart::MouseDown);
  QTest::mouseClick(&chart, Qt::LeftButton, {}, QPoint(200, 100));
  QTest::mouseClick(&chart, Qt::RightButton, Qt::ShiftModifier, QPoint(150, 90));
  QCOMPARE(presses.count(), 2);
  QCOMPARE(presses.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
  QCOMPARE(presses.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
  QCOMPARE(presses.at(1).at(2).toInt(), 150);
  QCOMPARE(presses.at(1).at(3).toInt(), 90);
  // A press on a zoom handle is the chart's own: it starts a zoom, no stamp.
  const double spanBefore = chart.TimeSpan();
  const int line = chart.fontMetrics().height();
  const QPoint handle(chart.width() - 27, chart.height() - 2 * line - 21);
  const QPoint dragTo = handle - QPoint(100, 0);
  QTest::mousePress(&chart, Qt::LeftButton, {}, handle);
  QMouseEvent drag(QEvent::MouseMove, dragTo, chart.mapToGlobal(QPointF(dragTo)), Qt::NoButton, Qt::LeftButton, {});
  QCoreApplication::sendEvent(&chart, &drag);
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, dragTo);
  QVERIFY(chart.TimeSpan() > spanBefore);
  QCOMPARE(presses.count(), 2);
}

void ControlsTest::stripChartClockPutBackKeepsSamplesApart() {
  StripChart chart;
  double elapsed = 0;
  double timeOfDay = 3 * 3600;
  chart.SetClocks([&] { return elapsed; }, [&] { return timeOfDay; });
  chart.resize(600, 300);
  // A minute of samples, with the clock put back an hour half way.
  for (int i = 0; i < 600; ++i) {
    if (i == 300) timeOfDay -= 3600;
    chart.AddSample(0, 50);
    elapsed += 0.1;
    timeOfDay += 0.1;
  }
  const ChartHistory& history = chart.History();
  QCOMPARE(history.Size(0), std::size_t{600});
  QVERIFY(history.At(0, 599).time - history.At(0, 300).time > 29.0);
  // The samples spread over the plot instead of piling up in one column.
  QVERIFY(Envelopes(history, 0, elapsed - 60, elapsed, 500).size() > 400);
  // The labels show the time of day as it is now.
  QCOMPARE(chart.TimeLabels().last(), QStringLiteral("02:01:00 "));
}

void ControlsTest::instrumentsSpeakTheirState() {
  auto text = [](QWidget& widget, QAccessible::Text kind) {
    return QAccessible::queryAccessibleInterface(&widget)->text(kind);
  };
  PercentBar bar;
  bar.Title(QStringLiteral("Local temperature bar"));
  QCOMPARE(text(bar, QAccessible::Name), QStringLiteral("Local temperature bar"));
  bar.Caption(QStringLiteral("Local T = 25.125C"));
  bar.Value(19);
  QCOMPARE(text(bar, QAccessible::Name), QStringLiteral("Local T = 25.125C"));
  QCOMPARE(text(bar, QAccessible::Description), QStringLiteral("19.0 % of full scale"));

  LimitGauge gauge;
  gauge.PointerValue(LimitGauge::kLow, 20);
  gauge.PointerValue(LimitGauge::kHigh, 201);
  QCOMPARE(text(gauge, QAccessible::Description), QStringLiteral("low limit 20, high limit 201"));
}

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
