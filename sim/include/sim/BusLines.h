#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

class BusTrace;
class Clock;

enum class Wire { Scl, Sda };

struct LineLevels {
  bool scl = true;
  bool sda = true;
  bool operator==(const LineLevels&) const = default;
};

// Sees every change of the line levels, one line at a time.
class LineListener {
 public:
  virtual ~LineListener() = default;
  virtual void LinesChanged(LineLevels before, LineLevels after) = 0;
};

// The two open-drain wires of an SMBus segment. Every driver can only pull a
// line low or let it go; a line is high when nobody pulls it and a pull-up
// is fitted (without pull-ups nothing ever drives it high, so it reads low).
class BusLines {
 public:
  using DriverId = std::size_t;

  explicit BusLines(const Clock& clock);

  DriverId AddDriver();
  void Pull(DriverId driver, bool sclLow, bool sdaLow);
  void PullSda(DriverId driver, bool low);

  // The levels now. Also lets a timed hold by another master expire.
  LineLevels Levels();

  void SetPullUps(bool fitted);
  // Fault: another master pulls `wire` low until the clock reaches
  // `untilNanoseconds`, or for good without it.
  void HoldLow(Wire wire, std::optional<std::uint64_t> untilNanoseconds = std::nullopt);

  void AddListener(LineListener& listener) { listeners_.push_back(&listener); }
  // Null stops recording.
  void SetTrace(BusTrace* trace);

 private:
  struct Driver {
    bool sclLow = false;
    bool sdaLow = false;
  };

  LineLevels Resolve() const;
  void Settle();
  void Change(LineLevels next);

  const Clock& clock_;
  std::vector<Driver> drivers_;
  std::vector<LineListener*> listeners_;
  BusTrace* trace_ = nullptr;
  LineLevels levels_;
  bool pullUps_ = true;
  std::optional<Wire> heldWire_;
  std::optional<std::uint64_t> heldUntil_;
  bool settling_ = false;
  bool unsettled_ = false;
};

}  // namespace sim
