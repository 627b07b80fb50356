// The monitoring loop on the virtual board: what one tick costs with every
// monitor on and a line logged on each tick, and whether the program's
// memory stays flat over a day of ticks at the loop's 5 ms rate.
#include <benchmark/benchmark.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

#include "MainMenuForm.h"
#include "link/LinkNewComPort.h"
#include "platform/Current.h"
#include "sim/Machine.h"
#include "sim/MachineOptions.h"
#include "sim/Process.h"
#include "support/FileDialogs.h"

namespace {

constexpr std::uint64_t kTickNanoseconds = 5'000'000;

// Resident memory of this process in kilobytes.
double ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6));
  }
  return 0;
}

enum class Medium { PrinterPort, OnBoardSMBus };

// The program on a virtual board with a driven clock, on the Control Center
// tab after Easy Setup, logging to a fresh file with the given delay.
struct RunningTab {
  RunningTab(Medium medium, const char* delay)
      : machine(sim::Machine::Create(sim::MachineOptions::Parse("clock=manual"))) {
    platform::StartProcess(machine->StartProcess("QtsEval"));
    if (medium == Medium::PrinterPort) {
      LinkNewComPort::LinkPrinterPort(0, comport::kTrue, 0x98);
    } else {
      LinkNewComPort::LinkOnBoardSMBus(0x4E);
    }
    form = std::make_unique<MainMenuForm>();
    form->MainTab->setCurrentIndex(MainMenuForm::kControlCenterTab);
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    form->Text1->setText(QString::fromLatin1(delay));
    {
      FileDialogs dialogs(logs.filePath(QStringLiteral("bench.xls")));
      QTest::mouseClick(form->MakeLog_CMD, Qt::LeftButton);
    }
    // The benchmark drives the ticks itself, on the machine's clock.
    form->Timer1->Enabled(false);
  }
  ~RunningTab() { form.reset(); }

  // One tick, the next one due 5 ms of machine time after this one began,
  // as the loop's timer brings them while a tick takes less than that.
  void Tick() {
    auto& clock = machine->GetClock();
    const std::uint64_t due = clock.Now() + kTickNanoseconds;
    form->Timer1_Timer();
    busNanoseconds += clock.Now() - (due - kTickNanoseconds);
    if (clock.Now() < due) clock.Advance(due - clock.Now());
  }

  // Machine time the ticks spent on the bus.
  std::uint64_t busNanoseconds = 0;

  QTemporaryDir logs;
  std::shared_ptr<sim::Machine> machine;
  std::unique_ptr<MainMenuForm> form;
};

// Nine register reads, two chart samples, two bars, the light and a line.
void BM_Tick(benchmark::State& state, Medium medium, const char* delay) {
  RunningTab tab(medium, delay);
  for (auto _ : state) tab.Tick();
  state.counters["lines"] = tab.form->Label14->text().toDouble();
  state.counters["bus_us_per_tick"] = static_cast<double>(tab.busNanoseconds) / 1000.0 /
                                      static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(BM_Tick, printer_port_logging_every_tick, Medium::PrinterPort, "0")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, printer_port_logging_every_5s, Medium::PrinterPort, "5")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, onboard_logging_every_tick, Medium::OnBoardSMBus, "0")->Unit(benchmark::kMicrosecond);

// A day of ticks at 5 ms (17.28 million), all monitors on, a line every 5 s,
// over the printer port.
// The counters give the resident memory after the first hour, after the
// whole day, and the largest growth seen from one simulated hour to the next
// after the chart's history has filled.
void BM_MemoryOverADay(benchmark::State& state) {
  const auto hours = static_cast<int>(state.range(0));
  constexpr int kTicksPerHour = 3600 * 200;
  for (auto _ : state) {
    RunningTab tab(Medium::PrinterPort, "5");
    double firstHour = 0;
    double previous = 0;
    double largestStep = 0;
    for (int hour = 1; hour <= hours; ++hour) {
      for (int i = 0; i < kTicksPerHour; ++i) tab.Tick();
      QCoreApplication::processEvents();
      const double now = ResidentKilobytes();
      // A long run: each simulated hour's memory as it comes.
      std::fprintf(stderr, "hour %2d: resident %.0f kB, %s lines logged\n", hour, now,
                   qPrintable(tab.form->Label14->text()));
      if (hour == 1) firstHour = now;
      if (hour > 1) largestStep = std::max(largestStep, now - previous);
      previous = now;
    }
    state.counters["rss_first_hour_kB"] = firstHour;
    state.counters["rss_end_kB"] = previous;
    state.counters["largest_hourly_growth_kB"] = largestStep;
    state.counters["lines"] = tab.form->Label14->text().toDouble();
  }
}
BENCHMARK(BM_MemoryOverADay)->Arg(24)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
