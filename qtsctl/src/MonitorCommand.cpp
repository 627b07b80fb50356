#include <cmath>
#include <cstdio>
#include <ostream>

#include "logging/LogFile.h"
#include "logging/LogFormat.h"
#include "platform/Current.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/RegisterDecoding.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

// Waits are cut into slices so that an interrupt ends a long interval soon.
constexpr std::uint32_t kWaitSliceMs = 100;

struct Sample {
  std::uint8_t status;
  float remote;
  float local;
};

// The monitoring loop's order: status first, then each temperature's high
// byte before its low byte (the chip latches the low byte on the high read).
Sample TakeSample(Device& device) {
  Sample sample{};
  sample.status = device.Read(registers::kStatus);
  const std::uint8_t remoteHigh = device.Read(registers::kRemoteTemperature);
  sample.remote = registers::MonitoredTemperature(remoteHigh, device.Read(registers::kRemoteTemperatureLow));
  const std::uint8_t localHigh = device.Read(registers::kLocalTemperature);
  sample.local = registers::MonitoredTemperature(localHigh, device.Read(registers::kLocalTemperatureLow));
  return sample;
}

std::string SampleLine(int timeOfDay, const Sample& sample) {
  const std::string flags = LimitFlagNames(sample.status);
  char line[160];
  std::snprintf(line, sizeof line, "%s  local %8s C  remote %8s C  %s", logging::TimeOfDayText(timeOfDay).c_str(),
                logging::NumberText(sample.local).c_str(), logging::NumberText(sample.remote).c_str(),
                flags.empty() ? "no alert" : ("ALERT: " + flags).c_str());
  return line;
}

// Sleeps on the machine's clock until `dueMs` on its millisecond counter.
void WaitUntil(std::uint32_t dueMs, const volatile std::sig_atomic_t& stop) {
  auto& clock = platform::Current();
  for (;;) {
    const auto left = static_cast<std::int32_t>(dueMs - clock.GetTickCount());
    if (left <= 0 || stop) return;
    clock.Sleep(std::min<std::uint32_t>(static_cast<std::uint32_t>(left), kWaitSliceMs));
  }
}

}  // namespace

int Monitor(Device& device, const MonitorSettings& settings, std::ostream& out,
            const volatile std::sig_atomic_t& stop) {
  if (!settings.logFile.empty() && !logging::StartLogFile(settings.logFile))
    throw BadInput("cannot write the log file \"" + settings.logFile + "\"");
  auto& clock = platform::Current();
  const auto intervalMs = static_cast<std::uint32_t>(std::llround(settings.intervalSeconds * 1000));
  std::uint32_t due = clock.GetTickCount();
  for (long taken = 0; !stop && (settings.count == 0 || taken < settings.count); ++taken) {
    if (taken > 0) {
      due += intervalMs;
      WaitUntil(due, stop);
      if (stop) break;
    }
    const Sample sample = TakeSample(device);
    const int timeOfDay = static_cast<int>(std::floor(clock.Timer()));
    out << SampleLine(timeOfDay, sample) << std::endl;
    if (!settings.logFile.empty() &&
        !logging::AppendToLogFile(settings.logFile, logging::LogSampleLine(timeOfDay, sample.remote, sample.local)))
      throw CommandFailed("cannot write to the log file \"" + settings.logFile + "\" any more");
  }
  return kSuccess;
}

}  // namespace qtsctl
