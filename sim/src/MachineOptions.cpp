#include "sim/MachineOptions.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "platform/OptionItems.h"
#include "sim/Chipset.h"
#include "sim/LptAdapter.h"
#include "sim/Personality.h"

namespace sim {

namespace {

struct OptionRule {
  std::string_view key;
  std::string_view help;
  bool takesValue;
  std::function<void(MachineOptions&, std::string_view)> apply;
  bool sharedOnly = false;
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

std::uint8_t BusAddress(std::string_view item, std::string_view text) {
  return static_cast<std::uint8_t>(Number(item, text, 0x01, 0x7F));
}

// Values joined with '+' (a comma already separates the options).
std::vector<std::string_view> List(std::string_view text) {
  std::vector<std::string_view> items;
  for (;;) {
    const auto plus = text.find('+');
    items.push_back(text.substr(0, plus));
    if (plus == std::string_view::npos) return items;
    text.remove_prefix(plus + 1);
  }
}

HeldLine ParseHeldLine(std::string_view item, std::string_view text) {
  HeldLine held;
  const auto colon = text.find(':');
  const std::string_view wire = text.substr(0, colon);
  if (wire == "scl")
    held.wire = Wire::Scl;
  else if (wire == "sda")
    held.wire = Wire::Sda;
  else
    Bad(item, "use scl or sda, optionally followed by :MILLISECONDS");
  if (colon != std::string_view::npos)
    held.forNanoseconds = static_cast<std::uint64_t>(Number(item, text.substr(colon + 1), 1, 86'400'000)) * 1'000'000u;
  return held;
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
      {"smbus",
       "on-board SMBus host controller: piix4 (0:7:3), ich (0:31:3), ich5 (0:31:3 at 0x400, not in the component's "
       "list), ali (0x10B9 layout) or none",
       true,
       [](MachineOptions& o, std::string_view v) {
         if (!FindChipset(v)) Bad(v, "use piix4, ich, ich5, ali or none");
         o.smbusController = v;
       }},
      {"power-on", "the chips are switched on with the machine: no conversion has finished yet", false,
       [](MachineOptions& o, std::string_view) { o.powerOnAtStart = true; }},
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
      {"board-port", "parallel port number (1 to 3) that carries the evaluation board, 0 for none; 1+3: a board on each",
       true,
       [](MachineOptions& o, std::string_view v) {
         const auto ports = List(v);
         o.board.port = static_cast<int>(Number(v, ports.front(), 0, 3));
         o.board.morePorts.clear();
         for (std::size_t i = 1; i < ports.size(); ++i)
           o.board.morePorts.push_back(static_cast<int>(Number(v, ports[i], 1, 3)));
       }},
      {"chip-address", "7-bit SMBus address of the QTS5460 on the board (default 0x4C); 0x4C+0x4D: several chips",
       true,
       [](MachineOptions& o, std::string_view v) {
         const auto addresses = List(v);
         o.board.chipAddress = BusAddress(v, addresses.front());
         o.board.moreChipAddresses.clear();
         for (std::size_t i = 1; i < addresses.size(); ++i)
           o.board.moreChipAddresses.push_back(BusAddress(v, addresses[i]));
       }},
      {"wiring", "printer-port adapter: inverted (default), direct, or status3 (SDA read on status bit 3)", true,
       [](MachineOptions& o, std::string_view v) {
         if (!FindAdapterWiring(v)) Bad(v, "use inverted, direct or status3");
         o.board.wiring = v;
       }},
      {"scenario", "remote temperature: cycle (default), constant:T, step:A:B:SECONDS or open (diode open)", true,
       [](MachineOptions& o, std::string_view v) {
         try {
           o.board.scenario = TemperatureScenario::Parse(v);
         } catch (const std::invalid_argument& failure) {
           Bad(v, failure.what());
         }
       }},
      {"no-pullups", "the board's bus has no pull-up resistors, so undriven lines read low", false,
       [](MachineOptions& o, std::string_view) { o.board.pullUps = false; }},
      {"hold", "another master holds scl or sda low, for good or for scl:MS / sda:MS milliseconds", true,
       [](MachineOptions& o, std::string_view v) { o.board.heldLine = ParseHeldLine(v, v); }},
      {"never-ack", "7-bit address of a board device that never acknowledges", true,
       [](MachineOptions& o, std::string_view v) { o.board.neverAcknowledges = BusAddress(v, v); }},
      {"never-ack-read", "7-bit address of a board device that acknowledges its address for writing, never for reading",
       true, [](MachineOptions& o, std::string_view v) { o.board.refusesReads = BusAddress(v, v); }},
      {"trace", "record the board's bus and write it as a VCD file of this name when the machine ends", true,
       [](MachineOptions& o, std::string_view v) {
         if (v.empty()) Bad(v, "needs a file name");
         o.board.traceFile = v;
       }},
      {"smbus-busy", "the on-board SMBus host controller stays busy and never runs a transaction", false,
       [](MachineOptions& o, std::string_view) { o.smbusBusy = true; }},
      {"smbus-inuse", "the 0x8086-layout controller sets its in-use flag (status bit 6) on a status read, as ICHs do",
       false, [](MachineOptions& o, std::string_view) { o.smbusInUseFlag = true; }},
      {"onboard-never-ack", "7-bit address of an on-board SMBus device that never acknowledges", true,
       [](MachineOptions& o, std::string_view v) { o.onBoardNeverAcknowledges = BusAddress(v, v); }},
      {"usb-bridge", "a board with a QTS5460 at 0x4C behind a USB-to-SMBus bridge, adapter i2c-9 (virtual PC of one program)",
       false, [](MachineOptions& o, std::string_view) { o.usbBridge = true; }},
      {"addmultiport-refused", "the word port library refuses to open ports", false,
       [](MachineOptions& o, std::string_view) { o.addMultiPortRefused = true; }},
      {"clean-board", "shared machine: start with erased EEPROMs instead of the saved ones", false,
       [](MachineOptions& o, std::string_view) { o.cleanBoard = true; }, true},
      {"linger", "shared machine: seconds it stays after the last program has gone (default 30)", true,
       [](MachineOptions& o, std::string_view v) { o.lingerSeconds = static_cast<int>(Number(v, v, 0, 86'400)); },
       true},
  };
  return rules;
}

}  // namespace

MachineOptions MachineOptions::Parse(std::string_view text, Scope scope) {
  MachineOptions options;
  for (const auto& [item, key, value, hasValue] : platform::SplitOptionItems(text)) {
    bool known = false;
    for (const auto& rule : Rules()) {
      if (rule.key != key) continue;
      known = true;
      if (rule.sharedOnly && scope != Scope::Shared)
        Bad(item, "applies to the shared virtual PC only (--machine shared)");
      if (rule.takesValue && !hasValue) Bad(item, "needs a value");
      if (!rule.takesValue && hasValue) Bad(item, "takes no value");
      try {
        rule.apply(options, value);
      } catch (const std::invalid_argument& bad) {
        // Name the whole item, whatever part of it the rule found wrong.
        const std::string why = bad.what();
        const auto reason = why.find("\": ");
        Bad(item, reason == std::string::npos ? why : why.substr(reason + 3));
      }
    }
    if (!known) Bad(item, "unknown option");
    if (scope == Scope::Shared && options.usbBridge)
      Bad(item, "the USB bridge belongs to a virtual PC of the program's own");
    if (scope == Scope::Shared && options.clock == Clock::Mode::Manual)
      Bad(item, "the shared virtual PC runs on real time; a driven clock needs a virtual PC of the program's own");
  }
  return options;
}

std::vector<std::string> MachineOptions::Help() {
  constexpr std::size_t kColumn = 26;  // where the meanings line up
  std::vector<std::string> lines;
  for (const auto& rule : Rules()) {
    std::string line = "  " + std::string(rule.key) + (rule.takesValue ? "=VALUE" : "");
    line.resize(std::max(line.size() + 2, kColumn), ' ');
    lines.push_back(line + std::string(rule.help));
  }
  return lines;
}

}  // namespace sim
