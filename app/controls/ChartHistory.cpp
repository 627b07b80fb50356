#include "controls/ChartHistory.h"

#include <algorithm>
#include <stdexcept>

namespace controls {

ChartHistory::ChartHistory(int traces, std::size_t capacityPerTrace)
    : rings_(static_cast<std::size_t>(std::max(traces, 0))), capacity_(std::max<std::size_t>(capacityPerTrace, 1)) {
  for (Ring& ring : rings_) ring.samples.reserve(std::min<std::size_t>(capacity_, 4096));
}

double ChartHistory::Add(int trace, double time, double value) {
  if (trace < 0 || trace >= Traces()) throw std::out_of_range("no such chart trace");
  if (any_) time = std::max(time, latest_);
  Ring& ring = rings_[static_cast<std::size_t>(trace)];
  if (ring.samples.size() < capacity_) {
    ring.samples.push_back({time, value});
  } else {
    ring.samples[ring.start] = {time, value};
    ring.start = (ring.start + 1) % capacity_;
  }
  latest_ = time;
  any_ = true;
  return time;
}

void ChartHistory::Clear() {
  for (Ring& ring : rings_) {
    ring.samples.clear();
    ring.start = 0;
  }
  // The time line stays where it is, so that samples after a clear continue it.
}

const ChartHistory::Ring& ChartHistory::RingOf(int trace) const {
  if (trace < 0 || trace >= Traces()) throw std::out_of_range("no such chart trace");
  return rings_[static_cast<std::size_t>(trace)];
}

std::size_t ChartHistory::Size(int trace) const { return RingOf(trace).samples.size(); }

const ChartSample& ChartHistory::At(int trace, std::size_t i) const {
  const Ring& ring = RingOf(trace);
  return ring.samples[(ring.start + i) % ring.samples.size()];
}

std::size_t ChartHistory::LowerBound(int trace, double time) const {
  std::size_t low = 0;
  std::size_t high = Size(trace);
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (At(trace, mid).time < time) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

bool ChartHistory::Empty() const {
  return std::ranges::all_of(rings_, [](const Ring& r) { return r.samples.empty(); });
}

std::vector<ColumnEnvelope> Envelopes(const ChartHistory& history, int trace, double start,
                                      double end, int columns) {
  std::vector<ColumnEnvelope> result;
  if (columns < 1 || !(end > start)) return result;
  const double perColumn = (end - start) / columns;
  const std::size_t size = history.Size(trace);
  for (std::size_t i = history.LowerBound(trace, start); i < size; ++i) {
    const ChartSample& s = history.At(trace, i);
    if (s.time > end) break;
    const int column = std::min(columns - 1, static_cast<int>((s.time - start) / perColumn));
    if (!result.empty() && result.back().column == column) {
      result.back().low = std::min(result.back().low, s.value);
      result.back().high = std::max(result.back().high, s.value);
    } else {
      result.push_back({column, s.value, s.value});
    }
  }
  return result;
}

}  // namespace controls
