#pragma once

#include <cstddef>
#include <vector>

namespace controls {

struct ChartSample {
  double time;  // seconds on the chart's time line
  double value;
};

// The samples of a strip chart's traces, each trace a ring of fixed capacity
// so that a run of days keeps only the newest samples. Sample times are
// seconds of a monotonic clock, so that neither midnight nor a clock put back
// for daylight saving folds the line; the time of day serves only as labels.
class ChartHistory {
 public:
  ChartHistory(int traces, std::size_t capacityPerTrace);

  // Adds a sample taken at `time` and returns the time it got: a time before
  // the newest sample (which a monotonic clock never gives) is placed at the
  // newest sample's time, so that every trace stays sorted.
  double Add(int trace, double time, double value);
  void Clear();

  int Traces() const { return static_cast<int>(rings_.size()); }
  std::size_t Capacity() const { return capacity_; }
  std::size_t Size(int trace) const;
  // Sample i of a trace, oldest first.
  const ChartSample& At(int trace, std::size_t i) const;
  // Index of the first sample at or after `time`.
  std::size_t LowerBound(int trace, double time) const;
  // Time of the newest sample of any trace; 0 when empty.
  double Latest() const { return latest_; }
  bool Empty() const;

 private:
  struct Ring {
    std::vector<ChartSample> samples;
    std::size_t start = 0;
  };
  const Ring& RingOf(int trace) const;

  std::vector<Ring> rings_;
  std::size_t capacity_;
  double latest_ = 0.0;
  bool any_ = false;
};

// The lowest and highest value that a trace shows in one pixel column.
struct ColumnEnvelope {
  int column;
  double low;
  double high;
};

// Envelopes of the samples of a trace between `start` and `end`, spread over
// `columns` pixel columns; columns without samples are left out. Drawing
// these instead of every sample keeps the work bounded by the width.
std::vector<ColumnEnvelope> Envelopes(const ChartHistory& history, int trace, double start,
                                      double end, int columns);

}  // namespace controls
