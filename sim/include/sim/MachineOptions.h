#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/BoardOptions.h"
#include "sim/Clock.h"

namespace sim {

// How PRTENU32.DLL is present on a 95-family machine.
enum class Prtenu32Presence { Present, Missing, WithoutCount, WithoutInfo };

// Everything that makes one virtual PC differ from another. The defaults are
// the machine a process gets when it configures nothing.
struct MachineOptions {
  // A virtual PC inside one program, or the one that every program of the
  // user shares (which runs on real time and keeps its board).
  enum class Scope { InProgram, Shared };

  std::string personality = "98se";
  int parallelPorts = 2;  // 0 to 3, at 0x378, 0x278, 0x3BC
  Clock::Mode clock = Clock::Mode::RealTime;
  // Time a driven clock spends per port access and per message-pump iteration.
  std::uint64_t ioCycleNanoseconds = 1'000;
  std::uint64_t pumpNanoseconds = 10'000;
  bool administrator = true;  // may use the service control manager
  std::string smbusController = "piix4";  // piix4, ich, ali or none
  BoardOptions board;         // the evaluation board on the printer port and its bus faults
  // A second board behind a USB-to-SMBus bridge, offered as a Linux
  // kernel's adapter would be (the program's virtual PC only).
  bool usbBridge = false;
  // The chips are switched on with the machine, so the first conversion is
  // still running when a program starts. Otherwise they have been powered
  // for a while and hold a finished conversion.
  bool powerOnAtStart = false;

  // Faults.
  bool driverImageMissing = false;     // the driver service cannot start
  bool driverPresentAtStart = false;   // an earlier program left the driver running
  int portClaimedByOther = 0;          // port number another program holds, 0 for none
  Prtenu32Presence prtenu32 = Prtenu32Presence::Present;
  bool vxdMissing = false;
  bool addMultiPortRefused = false;
  bool smbusBusy = false;  // the on-board host controller stays busy and runs nothing
  bool smbusInUseFlag = false;  // the 0x8086-layout controller has the ICH's in-use flag
  std::optional<std::uint8_t> onBoardNeverAcknowledges;  // 7-bit address on the on-board SMBus

  // The shared machine only.
  bool cleanBoard = false;                 // start with erased memories, not the saved ones
  std::optional<int> lingerSeconds;        // how long it stays after the last program

  // Parses "key=value,key=value,flag"; throws std::invalid_argument naming
  // the first bad item. An empty text gives the defaults. Options of the
  // shared machine are refused inside a program, and a driven clock on the
  // shared machine.
  static MachineOptions Parse(std::string_view text, Scope scope = Scope::InProgram);
  // One line per option key with its meaning, for --help texts.
  static std::vector<std::string> Help();
};

}  // namespace sim
