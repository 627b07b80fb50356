#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "sim/BusLines.h"

namespace sim {

// A recording of the line levels of one segment: every change with the
// machine time it happened at. Memory is bounded: once `capacity` changes are
// held, each new one overwrites the oldest, and the VCD says how many were
// dropped. Changes recorded at the same clock reading (a driven clock stands
// still within one port access) are spread 1 ns apart, so that the order of a
// falling clock and the slave's answer on the data line stays visible.
class BusTrace {
 public:
  struct Event {
    std::uint64_t time;  // nanoseconds of machine time
    LineLevels levels;
  };

  static constexpr std::size_t kDefaultCapacity = 1u << 20;

  explicit BusTrace(std::size_t capacity = kDefaultCapacity);

  void Record(std::uint64_t time, LineLevels levels);
  void Clear();

  // Oldest first.
  std::vector<Event> Events() const;
  std::uint64_t Dropped() const { return dropped_; }

  // Value change dump: wires SCL and SDA, 1 bit each, time scale 1 ns.
  void WriteVcd(std::ostream& out) const;
  bool WriteVcdFile(const std::string& path) const;

 private:
  std::size_t capacity_;
  std::vector<Event> ring_;
  std::size_t next_ = 0;  // where the next event goes once the ring is full
  std::uint64_t dropped_ = 0;
  std::uint64_t lastTime_ = 0;
};

}  // namespace sim
