// The widgets' arithmetic, without a display.
#include <gtest/gtest.h>

#include <QRect>

#include "WindowPlacement.h"
#include "controls/ChartAxis.h"
#include "controls/ChartHistory.h"
#include "controls/GaugeScale.h"
#include "controls/PercentBar.h"
#include "controls/SelectorGeometry.h"

namespace {

using controls::ChartHistory;

TEST(GaugeScale, MapsValuesToRowsAndBack) {
  const controls::GaugeScale scale{0.0, 127.0, 20.0, 274.0};
  EXPECT_DOUBLE_EQ(scale.ToPosition(0.0), 274.0);
  EXPECT_DOUBLE_EQ(scale.ToPosition(127.0), 20.0);
  EXPECT_DOUBLE_EQ(scale.ToPosition(63.5), 147.0);
  for (const double v : {0.0, 12.5, 90.0, 127.0}) EXPECT_NEAR(scale.ToValue(scale.ToPosition(v)), v, 1e-9);
  // Rows outside the scale give its ends.
  EXPECT_DOUBLE_EQ(scale.ToValue(0.0), 127.0);
  EXPECT_DOUBLE_EQ(scale.ToValue(1000.0), 0.0);
}

TEST(GaugeScale, BandShiftsWholeAndStopsAtTheEnds) {
  EXPECT_EQ(controls::ShiftBand(20, 90, 10, 0, 127), std::make_pair(30.0, 100.0));
  EXPECT_EQ(controls::ShiftBand(20, 90, 50, 0, 127), std::make_pair(57.0, 127.0));
  EXPECT_EQ(controls::ShiftBand(20, 90, -50, 0, 127), std::make_pair(0.0, 70.0));
  // A band wider than the scale stays where it is.
  EXPECT_EQ(controls::ShiftBand(-10, 200, 5, 0, 127), std::make_pair(-10.0, 200.0));
}

TEST(SelectorGeometry, PositionsSpreadOverTheArcAndAreFoundAgain) {
  EXPECT_DOUBLE_EQ(controls::SelectorAngle(0, 8), -135.0);
  EXPECT_DOUBLE_EQ(controls::SelectorAngle(7, 8), 135.0);
  for (int p = 0; p < 8; ++p) {
    const double a = controls::SelectorAngle(p, 8) * 3.14159265358979 / 180.0;
    EXPECT_EQ(controls::SelectorPositionAt(std::sin(a), -std::cos(a), 8), p);
  }
  // Straight down lies in the gap; either end of the arc is nearer than the middle.
  const int down = controls::SelectorPositionAt(0.0, 1.0, 8);
  EXPECT_TRUE(down == 0 || down == 7);
  EXPECT_EQ(controls::SelectorPositionAt(-1.0, 0.2, 8), 1);
}

TEST(PercentBar, FillIsClampedButValueMayExceedAHundred) {
  EXPECT_DOUBLE_EQ(controls::BarFill(0.0), 0.0);
  EXPECT_DOUBLE_EQ(controls::BarFill(50.0), 0.5);
  EXPECT_DOUBLE_EQ(controls::BarFill(127.875 / 1.27), 1.0);
  EXPECT_DOUBLE_EQ(controls::BarFill(-5.0), 0.0);
  EXPECT_DOUBLE_EQ(controls::BarFill(std::nan("")), 0.0);
}

TEST(ChartAxis, TimeOfDayLabels) {
  EXPECT_EQ(controls::FormatTimeOfDay(0.0), "00:00:00 ");
  EXPECT_EQ(controls::FormatTimeOfDay(14 * 3600 + 5 * 60 + 9.75), "14:05:09 ");
  EXPECT_EQ(controls::FormatTimeOfDay(86399.5), "23:59:59 ");
  // The chart's time line runs on past midnight; labels show the new day.
  EXPECT_EQ(controls::FormatTimeOfDay(86400.0 + 61.0), "00:01:01 ");
}

TEST(ChartAxis, TimeTicksUseRoundSteps) {
  EXPECT_EQ(controls::TimeTicks(100.5, 160.5, 7), (std::vector<double>{110, 120, 130, 140, 150, 160}));
  EXPECT_EQ(controls::TimeTicks(0, 60, 4), (std::vector<double>{0, 30, 60}));
  const auto hours = controls::TimeTicks(0, 86400, 6);
  ASSERT_FALSE(hours.empty());
  EXPECT_LE(hours.size(), 6u);
  EXPECT_DOUBLE_EQ(hours[1] - hours[0], 21600.0);
  EXPECT_TRUE(controls::TimeTicks(10, 10, 5).empty());
}

TEST(ChartAxis, TimeOfDayTicksFallOnRoundTimes) {
  // A line that started at 09:59:47.25 of the day: 10:00:00 is 12.75 s along it.
  const double toTimeOfDay = 9 * 3600 + 59 * 60 + 47.25;
  const auto ticks = controls::TimeOfDayTicks(0.0, 60.0, toTimeOfDay, 7);
  ASSERT_EQ(ticks.size(), 6u);
  EXPECT_DOUBLE_EQ(ticks[0].at, 2.75);
  EXPECT_EQ(controls::FormatTimeOfDay(ticks[0].timeOfDay), "09:59:50 ");
  EXPECT_DOUBLE_EQ(ticks[1].at, 12.75);
  EXPECT_EQ(controls::FormatTimeOfDay(ticks[1].timeOfDay), "10:00:00 ");
  EXPECT_EQ(controls::FormatTimeOfDay(ticks[5].timeOfDay), "10:00:40 ");
  // Across midnight the labels start the new day.
  const auto late = controls::TimeOfDayTicks(0.0, 60.0, 86400 - 30, 4);
  ASSERT_EQ(late.size(), 3u);
  EXPECT_EQ(controls::FormatTimeOfDay(late[0].timeOfDay), "23:59:30 ");
  EXPECT_EQ(controls::FormatTimeOfDay(late[1].timeOfDay), "00:00:00 ");
  EXPECT_DOUBLE_EQ(late[1].at, 30.0);
}

TEST(ChartAxis, ValueTicksReachTheScale) {
  EXPECT_EQ(controls::ValueTicks(0, 127, 8), (std::vector<double>{0, 20, 40, 60, 80, 100, 120}));
  EXPECT_EQ(controls::ValueTicks(0, 127, 3), (std::vector<double>{0, 100}));
  EXPECT_EQ(controls::ValueTicks(20, 30, 11), (std::vector<double>{20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30}));
}

TEST(ChartHistory, KeepsOnlyTheNewestSamples) {
  ChartHistory history(2, 1000);
  for (int i = 0; i < 5000; ++i) history.Add(i % 2, 100.0 + i * 0.005, i);
  EXPECT_EQ(history.Size(0), 1000u);
  EXPECT_EQ(history.Size(1), 1000u);
  // Oldest first: the ring has wrapped, the newest 1000 of trace 0 remain.
  EXPECT_DOUBLE_EQ(history.At(0, 0).value, 3000.0);
  EXPECT_DOUBLE_EQ(history.At(0, 999).value, 4998.0);
  EXPECT_DOUBLE_EQ(history.At(1, 999).value, 4999.0);
  history.Clear();
  EXPECT_TRUE(history.Empty());
}

TEST(ChartHistory, ATimeBeforeTheNewestSampleKeepsTheTraceInOrder) {
  ChartHistory history(2, 100);
  history.Add(0, 10.0, 1.0);
  EXPECT_DOUBLE_EQ(history.Add(1, 9.5, 2.0), 10.0);
  EXPECT_DOUBLE_EQ(history.Add(0, 11.0, 3.0), 11.0);
  EXPECT_EQ(history.LowerBound(0, 10.5), 1u);
}

TEST(ChartHistory, EnvelopesCoverEachColumnOnce) {
  ChartHistory history(1, 10000);
  // Times in binary fractions, so that ten samples fall in each column exactly.
  constexpr double kStep = 1.0 / 128;
  for (int i = 0; i < 1000; ++i) history.Add(0, i * kStep, i % 10);
  const auto columns = controls::Envelopes(history, 0, 0.0, 1000 * kStep, 100);
  ASSERT_EQ(columns.size(), 100u);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    EXPECT_EQ(columns[c].column, static_cast<int>(c));
    EXPECT_DOUBLE_EQ(columns[c].low, 0.0);
    EXPECT_DOUBLE_EQ(columns[c].high, 9.0);
  }
  EXPECT_TRUE(controls::Envelopes(history, 0, 20.0, 30.0, 100).empty());
  const auto part = controls::Envelopes(history, 0, 500 * kStep, 600 * kStep, 10);
  ASSERT_EQ(part.size(), 10u);
  EXPECT_EQ(part.front().column, 0);
}

TEST(WindowPlacement, CentresOnTheScreen) {
  EXPECT_EQ(app::CentredOrigin(QRect(0, 0, 1024, 768), QSize(800, 600)), QPoint(112, 84));
  EXPECT_EQ(app::CentredOrigin(QRect(1920, 0, 1280, 1024), QSize(400, 300)), QPoint(2360, 362));
}

TEST(WindowPlacement, VersionTexts) {
  EXPECT_EQ(app::VersionCaption().toStdString(), "Version 4.0.0");
  EXPECT_EQ(app::VersionResourceText().toStdString(), "4.00");
}

}  // namespace
