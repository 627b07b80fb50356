#include "sim/BusTrace.h"

#include <fstream>
#include <ostream>

namespace sim {

namespace {
constexpr char kSclId = '!';
constexpr char kSdaId = '"';
constexpr std::uint64_t kTail = 1'000;
}  // namespace

BusTrace::BusTrace(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

void BusTrace::Record(std::uint64_t time, LineLevels levels) {
  if (!ring_.empty() && time <= lastTime_) time = lastTime_ + 1;
  lastTime_ = time;
  if (ring_.size() < capacity_) {
    ring_.push_back({time, levels});
    return;
  }
  ring_[next_] = {time, levels};
  next_ = (next_ + 1) % capacity_;
  ++dropped_;
}

void BusTrace::Clear() {
  ring_.clear();
  next_ = 0;
  dropped_ = 0;
}

std::vector<BusTrace::Event> BusTrace::Events() const {
  std::vector<Event> events(ring_.begin() + static_cast<std::ptrdiff_t>(next_), ring_.end());
  events.insert(events.end(), ring_.begin(), ring_.begin() + static_cast<std::ptrdiff_t>(next_));
  return events;
}

void BusTrace::WriteVcd(std::ostream& out) const {
  out << "$version QtsEval virtual PC bus trace $end\n";
  if (dropped_ != 0) out << "$comment " << dropped_ << " earlier line changes were dropped $end\n";
  out << "$timescale 1 ns $end\n"
      << "$scope module smbus $end\n"
      << "$var wire 1 " << kSclId << " SCL $end\n"
      << "$var wire 1 " << kSdaId << " SDA $end\n"
      << "$upscope $end\n"
      << "$enddefinitions $end\n";
  const std::vector<Event> events = Events();
  if (events.empty()) return;
  const Event& first = events.front();
  out << '#' << first.time << "\n$dumpvars\n"
      << first.levels.scl << kSclId << '\n'
      << first.levels.sda << kSdaId << "\n$end\n";
  LineLevels shown = first.levels;
  for (std::size_t i = 1; i < events.size(); ++i) {
    const Event& event = events[i];
    out << '#' << event.time << '\n';
    if (event.levels.scl != shown.scl) out << event.levels.scl << kSclId << '\n';
    if (event.levels.sda != shown.sda) out << event.levels.sda << kSdaId << '\n';
    shown = event.levels;
  }
  // A closing time stamp, so that readers that turn the dump into samples
  // also show the levels after the last change.
  out << '#' << events.back().time + kTail << '\n';
}

bool BusTrace::WriteVcdFile(const std::string& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  WriteVcd(file);
  file.flush();
  return static_cast<bool>(file);
}

}  // namespace sim
