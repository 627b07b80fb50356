// The Control Center's arithmetic without a display: bar captions on both
// media, limit edits, and when the next log line is due.
#include <gtest/gtest.h>

#include <ostream>

#include "monitor/BarReading.h"
#include "monitor/LimitEdit.h"
#include "monitor/LogSchedule.h"

namespace {

using monitor::Channel;

struct BarCase {
  const char* name;
  Channel channel;
  bool printerPort;
  float reading;
  const char* caption;
  double percent;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.name; }

class BarCaptions : public ::testing::TestWithParam<BarCase> {};

TEST_P(BarCaptions, FollowTheMedium) {
  const BarCase& c = GetParam();
  const monitor::BarReading bar = monitor::BarOf(c.channel, c.printerPort, c.reading);
  EXPECT_EQ(bar.caption, c.caption);
  EXPECT_DOUBLE_EQ(bar.percent, c.percent);
}

INSTANTIATE_TEST_SUITE_P(
    Media, BarCaptions,
    ::testing::Values(
        // Over the printer port the remote caption has no unit, and the local
        // bar drops its fraction: 25.125 / 1.27 = 19.78 shows as 19.
        BarCase{"printer_remote", Channel::Remote, true, 25.5f, "Remote T = 25.5", 25.5 / 1.27},
        BarCase{"printer_local", Channel::Local, true, 25.5f, "Local T = 25.5C", 20.0},
        BarCase{"printer_local_whole_percent", Channel::Local, true, 25.125f, "Local T = 25.125C", 19.0},
        BarCase{"printer_zero", Channel::Remote, true, 0.0f, "Remote T = 0", 0.0},
        // On the on-board SMBus a reading other than 0 gets a plus sign, and
        // both bars keep their fraction; 127.875 goes past a full bar.
        BarCase{"onboard_remote", Channel::Remote, false, 25.5f, "Remote T = +25.5C", 25.5 / 1.27},
        BarCase{"onboard_remote_zero", Channel::Remote, false, 0.0f, "Remote T = 0C", 0.0},
        BarCase{"onboard_local", Channel::Local, false, 25.125f, "Local T = +25.125C", 25.125 / 1.27},
        BarCase{"onboard_local_zero", Channel::Local, false, 0.0f, "Local T = 0C", 0.0},
        BarCase{"onboard_above_full_scale", Channel::Local, false, 127.875f, "Local T = +127.875C",
                127.875 / 1.27}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr monitor::LimitRegisters kRemote{0x0D, 0x0E};

TEST(LimitEdit, LowLimitKeepsFiveDegreesBelowTheBandsTop) {
  // High limit 90: the low pointer dragged to 88 becomes 85; to 40 stays 40.
  auto edit = monitor::LimitPointerMove(1, {20, 90, 88, 90}, kRemote);
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->low, 85);
  EXPECT_EQ(edit->bandLower, 85);
  EXPECT_EQ(edit->lowPointer, 85);
  EXPECT_EQ(edit->writes, (std::vector<monitor::LimitWrite>{{0x0E, 85}}));
  EXPECT_EQ(edit->high, 90);
  EXPECT_FALSE(edit->bandUpper);

  edit = monitor::LimitPointerMove(1, {20, 90, 40, 90}, kRemote);
  EXPECT_EQ(edit->writes, (std::vector<monitor::LimitWrite>{{0x0E, 40}}));
}

TEST(LimitEdit, HighLimitKeepsFiveDegreesAboveTheBandsBottom) {
  auto edit = monitor::LimitPointerMove(2, {20, 90, 20, 22}, kRemote);
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->high, 25);
  EXPECT_EQ(edit->bandUpper, 25);
  EXPECT_EQ(edit->highPointer, 25);
  EXPECT_EQ(edit->writes, (std::vector<monitor::LimitWrite>{{0x0D, 25}}));
  EXPECT_EQ(edit->low, 20);
}

TEST(LimitEdit, BandWritesLowThenHighWithoutTheSeparation) {
  const auto edit = monitor::LimitPointerMove(0, {30, 32, 0, 0}, kRemote);
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->writes, (std::vector<monitor::LimitWrite>{{0x0E, 30}, {0x0D, 32}}));
  EXPECT_EQ(edit->lowPointer, 30);
  EXPECT_EQ(edit->highPointer, 32);
  EXPECT_FALSE(edit->bandLower);
}

TEST(LimitEdit, PointerValuesRoundToEven) {
  EXPECT_EQ(monitor::LimitPointerMove(1, {0, 90, 40.5, 90}, kRemote)->low, 40);
  EXPECT_EQ(monitor::LimitPointerMove(1, {0, 90, 41.5, 90}, kRemote)->low, 42);
  EXPECT_EQ(monitor::LimitPointerMove(2, {0, 90, 0, 40.5}, kRemote)->high, 40);
  EXPECT_EQ(monitor::LimitPointerMove(0, {40.5, 90.5, 0, 0}, kRemote)->writes,
            (std::vector<monitor::LimitWrite>{{0x0E, 40}, {0x0D, 90}}));
  EXPECT_FALSE(monitor::LimitPointerMove(3, {0, 90, 0, 90}, kRemote));
}

struct DueCase {
  const char* name;
  double now;
  double delay;
  int lastLogTime;
  bool due;
};

void PrintTo(const DueCase& c, std::ostream* out) { *out << c.name; }

class LogLineDue : public ::testing::TestWithParam<DueCase> {};

TEST_P(LogLineDue, HoldsTheDelayAcrossMidnight) {
  const DueCase& c = GetParam();
  EXPECT_EQ(monitor::LogLineDue(c.now, c.delay, c.lastLogTime), c.due);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, LogLineDue,
    ::testing::Values(DueCase{"no_delay", 100.0, 0, 100, true},
                      DueCase{"delay_reached", 100.3, 5, 95, true},
                      DueCase{"delay_not_reached", 99.9, 5, 95, false},
                      // The last day's final minutes follow the delay like any other.
                      DueCase{"late_evening", 86100.5, 5, 86098, false},
                      DueCase{"across_midnight_not_yet", 2.0, 5, 86399, false},
                      DueCase{"across_midnight_reached", 4.0, 5, 86399, true},
                      // A line rounded up to 86400 at 23:59:59.6 is a moment ago.
                      DueCase{"rounded_up_to_midnight", 86399.7, 5, 86400, false},
                      DueCase{"rounded_up_then_midnight", 5.0, 5, 86400, true},
                      DueCase{"first_line_of_the_run", 36000.0, 3600, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogSchedule, LineTimesRoundToEven) {
  EXPECT_EQ(monitor::LogTimeOf(100.3), 100);
  EXPECT_EQ(monitor::LogTimeOf(100.5), 100);
  EXPECT_EQ(monitor::LogTimeOf(101.5), 102);
  EXPECT_EQ(monitor::LogTimeOf(86399.6), 86400);
}

}  // namespace
