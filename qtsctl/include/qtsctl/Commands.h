#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "search/DeviceSearch.h"

namespace comport {
class KORComPort;
}

// The tool's commands, once the command line has been checked. Each returns
// the process's exit status; failures on the bus are thrown
// (transfers::TransferFailed, CommandFailed) and mapped by Run.
namespace qtsctl {

class Device;

// Exit statuses. 2 (bad input) comes from BadInput; an interrupted command
// ends with 128 + the signal's number.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kBadInput = 2;

// Where a command writes: results on `out`, messages on `err`; with `json`
// every result is one JSON object per line.
struct Output {
  std::ostream& out;
  std::ostream& err;
  bool json = false;
};

// One line per find: medium, port base address, wiring, 7-bit address.
// Success when something was found; failure when nothing was, after saying
// so and the search's diagnosis of each medium on `err`.
int Search(comport::KORComPort& comPort, const devicesearch::Media& media, Output& output);

// Every address 0x03..0x77 of the medium as an 8x16 grid, with the
// diagnosis before and after on `err`. Success when a device acknowledged.
int Scan(comport::KORComPort& comPort, Device& device, Output& output);

// On a machine whose media are its kernel's adapters: every adapter the
// search covers (with --i2c N that one), each as a grid; "UU" where a
// kernel driver holds the address. Success when a device acknowledged.
int ScanAdapters(Output& output);

// The machine's kernel adapters, as i2cdetect -l lists them, with the
// medium each counts as and whether this user may open it. Failure when
// there are none.
int ListAdapters(Output& output);

enum class TransferMode { Byte, Word, SendReceive, Block };

struct ReadRequest {
  TransferMode mode = TransferMode::Byte;
  std::uint8_t code = 0;  // not used by receive byte
  bool pec = false;
};

// Prints the byte or word as 0xNN / 0xNNNN, a block as its bytes.
int Read(Device& device, const ReadRequest& request, Output& output);

struct WriteRequest {
  TransferMode mode = TransferMode::Byte;
  std::uint8_t code = 0;  // command code; the byte itself for send byte
  std::uint8_t value = 0;
  std::uint16_t word = 0;
  std::vector<std::uint8_t> block;
  bool pec = false;
  bool readBack = false;  // -r: read the register back and compare
  bool confirmed = false; // -y: no question on the on-board SMBus
};

// An on-board write asks first, unless confirmed: the on-board SMBus also
// carries the memory modules' SPD EEPROMs. Only "y" or "yes" on the input
// counts as consent; anything else, no input or Ctrl-C writes nothing.
int Write(Device& device, const WriteRequest& request, std::istream& in, Output& output);

// Every register of the register map with code, name, value and meaning; or
// with `all` every code 0x00..0xFF as a 16x16 grid.
int Dump(Device& device, bool all, Output& output);

struct MonitorSettings {
  double intervalSeconds = 1;
  long count = 0;       // 0: until interrupted
  std::string logFile;  // empty: no log
};

// Reads status, remote and local temperature once per interval, as the
// program's monitoring loop does, and prints one line each. With a log file
// it appends the program's log lines. Stops after `count` samples or at
// Ctrl-C, which counts as a normal end.
int Monitor(Device& device, const MonitorSettings& settings, Output& output);

// A receive byte from the Alert Response Address 0x0C: prints the 7-bit
// address of the device that answered. Failure when nobody is alerting.
int Alert(Device& device, Output& output);

// The register map without a device: codes, names, aliases, access.
int ListRegisters(Output& output);

struct DecodeRequest {
  std::string file;  // "-": standard input
  std::string scl = "SCL";
  std::string sda = "SDA";
  bool pec = false;  // byte and word transfers carry a packet error code
};

// The SMBus transactions of a VCD trace, one line each. Success when the
// wire shows no error; failure when it does; BadInput for a file that
// cannot be read or is damaged (the message names the line).
int Decode(const DecodeRequest& request, std::istream& in, Output& output);

}  // namespace qtsctl
