// The strip chart has to keep up with the monitoring loop: two samples every
// 5 ms, and a repaint of whatever the view shows, up to its whole history.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cmath>

#include "controls/StripChart.h"

namespace {

void FillChart(controls::StripChart& chart, double& now, std::size_t samples) {
  for (std::size_t i = 0; i < samples; ++i) {
    now += 0.005;
    chart.AddSample(0, 65 + 35 * std::sin(static_cast<double>(i) / 2000.0));
    chart.AddSample(1, 25 + static_cast<double>(i % 8) * 0.125);
  }
}

void BM_AddTwoSamples(benchmark::State& state) {
  controls::StripChart chart;
  double now = 0.0;
  chart.SetClocks([&] { return now; }, [&] { return now; });
  for (auto _ : state) FillChart(chart, now, 1);
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_AddTwoSamples);

// Repainting a 640x300 chart whose view holds `range(0)` samples per trace.
void BM_Repaint(benchmark::State& state) {
  const auto samples = static_cast<std::size_t>(state.range(0));
  controls::StripChart chart;
  double now = 0.0;
  chart.SetClocks([&] { return now; }, [&] { return now; });
  chart.resize(640, 300);
  FillChart(chart, now, samples);
  chart.TimeSpan(static_cast<double>(samples) * 0.005);
  QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    chart.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_Repaint)->Arg(12000)->Arg(controls::StripChart::kDefaultCapacity)->Unit(benchmark::kMillisecond);

}  // namespace
