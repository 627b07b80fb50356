#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "comport/Boolean.h"

namespace comport {

// The four levels the engine drives SCL and SDA to; the values index the
// line tables.
enum class LineState : std::uint8_t {
  BothHigh,   // bus idle
  ClockHigh,  // SCL high, SDA low
  BothLow,
  DataHigh,  // SCL low, SDA high
};

namespace CommonGlobals {

// The printer-port selection and claim state, one per process: every
// PrinterPort, SMBusProtocall and EEPROM object of the process shares it.
struct PrinterPortState {
  std::uint8_t PortCount = 0;
  std::vector<std::int16_t> PortAddresses;  // element i is library port number i + 1
  std::uint8_t PortAddressIndex = 0;
  std::int16_t PortAddress = 0;
  Boolean PortClaimed = kFalse;
  Boolean LockPortOpen = kFalse;
  Boolean NoClaimNeeded = kFalse;  // these systems reach the port without a claim
  std::uint8_t DeviceAddress = 0;
  // A fresh process starts with the inverting adapter's tables loaded, and
  // the flag says so (see LineTables.cpp).
  Boolean DataInverted = kTrue;
  Boolean Initialised = kFalse;
};

// Settings and transaction flags of the bit-level engine, one set per process.
struct EngineSettings {
  std::array<std::uint8_t, 4> Patterns{0, 2, 3, 1};              // data register per LineState
  std::array<std::uint8_t, 4> ReadBack{0x00, 0x10, 0x30, 0x20};  // status AND 0x30 per LineState
  std::uint8_t OrMask = 0;                                       // OR-ed into every data-register write
  std::uint8_t OrBits = 0;                                       // what OrBits last stored
  float Delay = 0;
  float FrameDelay = 0;
  Boolean RelativeDelayOn = kFalse;
  Boolean ArbitrationOn = kFalse;
  std::int16_t MaxArbitrationDenials = 20;
  Boolean VideoSoftware = kFalse;
  Boolean BusError = kFalse;
  std::int16_t RetryCount = 0;
  // The back-off's random numbers; a fixed seed makes runs repeatable.
  std::minstd_rand Random{1};
};

// The on-board SMBus medium: the host controller found (or set by the
// program), shared by every SMBus object of the process.
struct OnBoardState {
  std::int32_t DeviceID = 0;  // identification dword; 0 = none
  std::int32_t SMBusBaseAddress = 0;
  Boolean HostAccessDisabled = kFalse;  // set on NT 4 and NT 5: no search
  // How far the last transaction's own waits saw it (SMBus::LastTransactionEnd).
  enum class Progress : std::uint8_t { NoneRun, Started, Finished, WaitGaveUp };
  Progress LastTransaction = Progress::NoneRun;
};

struct Globals {
  PrinterPortState Port;
  EngineSettings Engine;
  OnBoardState OnBoard;
};

namespace detail {
// The running process's state, or null before the first use in a process.
extern Globals* current;
Globals& StartState();
}  // namespace detail

// The state of the running (virtual) process. A process started with
// platform::StartProcess begins with fresh state, as a new program would.
// Every line change reads it, so the common path is one load.
inline Globals& State() {
  Globals* globals = detail::current;
  return globals ? *globals : detail::StartState();
}

}  // namespace CommonGlobals
}  // namespace comport
