#pragma once

#include <cstddef>
#include <vector>

namespace controls {

struct ChartSample {
  double time;  // seconds on the chart's continuous time line
  double value;
};

// The samples of a strip chart's traces, each trace a ring of fixed capacity
// so that a run of days keeps only the newest samples. Times of day are put
// on one continuous line: when the clock passes midnight the new day's
// samples follow the old day's instead of landing before them, and a clock
// that steps back a little does not unsort a trace.
class ChartHistory {
 public:
  ChartHistory(int traces, std::size_t capacityPerTrace);

  // Adds a sample taken at `timeOfDay` seconds since midnight and returns the
  // time it got on the continuous line.
  double Add(int trace, double timeOfDay, double value);
  // Where a time of day lies on the continuous line, as Add would place it.
  double ToLine(double timeOfDay) const;
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
  double dayOffset_ = 0.0;
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
