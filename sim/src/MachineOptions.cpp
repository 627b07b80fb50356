#include "sim/MachineOptions.h"

#include <charconv>
#include <functional>

#include "sim/Chipset.h"
#include "sim/Personality.h"

namespace sim {

namespace {

struct OptionRule {
  std::string_view key;
  std::string_view help;
  bool takesValue;
  std::function<void(MachineOptions&, std::string_view)> apply;
};

[[noreturn]] void Bad(std::string_view item, std::string_view why) {
  throw std::invalid_argument("machine option \"" + std::string(item) + "\": " + std::string(why));
}

long long Number(std::string_view item, std::string_view text, long long low, long long high) {
  long long value = 0;
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc{} || end != text.data() + text.size()) Bad(item, "not a number");
  if (value < low || value > high)
    Bad(item, "out of range " + std::to_string(low) + " to " + std::to_string(high));
  return value;
}

const std::vector<OptionRule>& Rules() {
  static const std::vector<OptionRule> rules{
      {"personality", "Windows version: 95, 95osr2, 98, 98se, me, nt351, nt4, 2000, xp", true,
       [](MachineOptions& o, std::string_view v) {
         if (!FindPersonality(v)) Bad(v, "unknown Windows version");
         o.personality = v;
       }},
      {"ports", "number of parallel ports, 0 to 3", true,
       [](MachineOptions& o, std::string_view v) { o.parallelPorts = static_cast<int>(Number(v, v, 0, 3)); }},
      {"clock", "real (runs on real time) or manual (moves only when driven)", true,
       [](MachineOptions& o, std::string_view v) {
         if (v == "real")
           o.clock = Clock::Mode::RealTime;
         else if (v == "manual")
           o.clock = Clock::Mode::Manual;
         else
           Bad(v, "use real or manual");
       }},
      {"user", "admin (may install drivers) or restricted", true,
       [](MachineOptions& o, std::string_view v) {
         if (v != "admin" && v != "restricted") Bad(v, "use admin or restricted");
         o.administrator = v == "admin";
       }},
      {"smbus", "on-board SMBus host controller: piix4 (0:7:3), ich (0:31:3), ali (0x10B9 layout) or none", true,
       [](MachineOptions& o, std::string_view v) {
         if (!FindChipset(v)) Bad(v, "use piix4, ich, ali or none");
         o.smbusController = v;
       }},
      {"driver-image-missing", "the driver image is not installed, so its service cannot start", false,
       [](MachineOptions& o, std::string_view) { o.driverImageMissing = true; }},
      {"driver-present", "the driver service runs before the first program starts", false,
       [](MachineOptions& o, std::string_view) { o.driverPresentAtStart = true; }},
      {"claimed-by-other", "port number (1 to 3) that another program holds claimed", true,
       [](MachineOptions& o, std::string_view v) { o.portClaimedByOther = static_cast<int>(Number(v, v, 1, 3)); }},
      {"prtenu32", "present, missing, no-count or no-info (95 family)", true,
       [](MachineOptions& o, std::string_view v) {
         if (v == "present")
           o.prtenu32 = Prtenu32Presence::Present;
         else if (v == "missing")
           o.prtenu32 = Prtenu32Presence::Missing;
         else if (v == "no-count")
           o.prtenu32 = Prtenu32Presence::WithoutCount;
         else if (v == "no-info")
           o.prtenu32 = Prtenu32Presence::WithoutInfo;
         else
           Bad(v, "use present, missing, no-count or no-info");
       }},
      {"vxd-missing", "the virtual device driver file is not installed (95 family)", false,
       [](MachineOptions& o, std::string_view) { o.vxdMissing = true; }},
      {"addmultiport-refused", "the word port library refuses to open ports", false,
       [](MachineOptions& o, std::string_view) { o.addMultiPortRefused = true; }},
  };
  return rules;
}

}  // namespace

MachineOptions MachineOptions::Parse(std::string_view text) {
  MachineOptions options;
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (item.empty()) continue;
    const auto equals = item.find('=');
    const std::string_view key = item.substr(0, equals);
    const std::string_view value = equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1);
    bool known = false;
    for (const auto& rule : Rules()) {
      if (rule.key != key) continue;
      known = true;
      if (rule.takesValue && equals == std::string_view::npos) Bad(item, "needs a value");
      if (!rule.takesValue && equals != std::string_view::npos) Bad(item, "takes no value");
      rule.apply(options, value);
    }
    if (!known) Bad(item, "unknown option");
  }
  return options;
}

std::vector<std::string> MachineOptions::Help() {
  std::vector<std::string> lines;
  for (const auto& rule : Rules())
    lines.push_back(std::string(rule.key) + (rule.takesValue ? "=VALUE" : "") + "  " + std::string(rule.help));
  return lines;
}

}  // namespace sim
