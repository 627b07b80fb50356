#include <cmath>
#include <cstdio>
#include <ostream>

#include "logging/LogFile.h"
#include "logging/LogFormat.h"
#include "platform/Current.h"
#include "qtsctl/BadInput.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
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
// The temperatures are the chip's, as dump shows them: the program's loop
// takes a high byte above 127 as 127, the tool does not.
Sample TakeSample(Device& device) {
  Sample sample{};
  sample.status = device.Read(registers::kStatus);
  const std::uint8_t remoteHigh = device.Read(registers::kRemoteTemperature);
  sample.remote = registers::ChipTemperature(remoteHigh, device.Read(registers::kRemoteTemperatureLow));
  const std::uint8_t localHigh = device.Read(registers::kLocalTemperature);
  sample.local = registers::ChipTemperature(localHigh, device.Read(registers::kLocalTemperatureLow));
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

std::vector<std::string> FlagList(std::uint8_t status) {
  std::vector<std::string> flags;
  std::string names = LimitFlagNames(status);
  while (!names.empty()) {
    const auto comma = names.find(", ");
    flags.push_back(names.substr(0, comma));
    names = comma == std::string::npos ? "" : names.substr(comma + 2);
  }
  return flags;
}

std::string SampleJson(int timeOfDay, const Sample& sample) {
  return JsonObject()
      .Add("time", logging::TimeOfDayText(timeOfDay))
      .Add("local", static_cast<double>(sample.local))
      .Add("remote", static_cast<double>(sample.remote))
      .Add("status", HexByte(sample.status))
      .Add("alert", FlagList(sample.status))
      .Text();
}

// Sleeps on the machine's clock until `dueMs` on its millisecond counter.
void WaitUntil(std::uint32_t dueMs) {
  auto& clock = platform::Current();
  for (;;) {
    const auto left = static_cast<std::int32_t>(dueMs - clock.GetTickCount());
    if (left <= 0 || StopRequested()) return;
    clock.Sleep(std::min<std::uint32_t>(static_cast<std::uint32_t>(left), kWaitSliceMs));
  }
}

}  // namespace

int Monitor(Device& device, const MonitorSettings& settings, Output& output) {
  if (!settings.logFile.empty() && !logging::StartLogFile(settings.logFile))
    throw BadInput("cannot write the log file \"" + settings.logFile + "\"");
  auto& clock = platform::Current();
  const auto intervalMs = static_cast<std::uint32_t>(std::llround(settings.intervalSeconds * 1000));
  std::uint32_t due = clock.GetTickCount();
  try {
    for (long taken = 0; settings.count == 0 || taken < settings.count; ++taken) {
      if (taken > 0) {
        due += intervalMs;
        WaitUntil(due);
      }
      const Sample sample = TakeSample(device);
      const int timeOfDay = static_cast<int>(std::floor(clock.Timer()));
      output.out << (output.json ? SampleJson(timeOfDay, sample) : SampleLine(timeOfDay, sample)) << std::endl;
      if (!settings.logFile.empty() &&
          !logging::AppendToLogFile(settings.logFile, logging::LogSampleLine(timeOfDay, sample.remote, sample.local)))
        throw CommandFailed("cannot write to the log file \"" + settings.logFile + "\" any more");
    }
  } catch (const Interrupted&) {
    // Ctrl-C is how a monitor that runs until interrupted ends.
  }
  return kSuccess;
}

}  // namespace qtsctl
