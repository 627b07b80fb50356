#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "comport/Boolean.h"
#include "comport/CommonGlobals.h"

// The shared code of the component: the printer-port model, the bit-level
// SMBus engine, the transaction frames, the packet error code, and the
// platform queries and wide-number arithmetic. Everything acts on the
// process-wide state of CommonGlobals.
namespace comport::CommunicationsProcedures {

// ---- printer-port model ----

// One-time port discovery of the process; throws RuntimeError (type
// mismatch) when the system's build text is not a number.
void InitCommunications();
// Claims the selected port (releasing it first when already claimed, which
// ends a lock); true when port access may proceed.
bool OpenPort();
// Releases the port and ends any lock.
void ClosePort();
void FindPortByAddress(std::int16_t address);
// The base address the library reports for a port number, if it answers.
std::optional<std::int16_t> QueryPortAddress(std::int32_t portNumber);
// Re-reads the port count, and the address list when the count changed.
void RefreshPortList();
// One port write or read under the claim rules.
void Portout(std::int32_t address, std::uint8_t value);
std::uint8_t Portin(std::int32_t address);
bool PortHeld();  // claimed or locked: primitives need no claim of their own

// ---- line tables ----

// Stores the flag; -1 and 0 load the matching wiring's tables, any other
// value leaves the tables as they are.
void SetDataInverted(Boolean value);
// Loads the inverting adapter's tables and flag, as SMBusProtocall
// construction does.
void LoadInvertedConfiguration();
// Loads only the inverting adapter's line patterns, as EEPROM construction does.
void LoadInvertedPatterns();
// The loaded read-back table is the inverting adapter's: the status register
// shows each line turned over, so a sampled byte needs complementing.
bool ReadBackInverted();
// Sets the line OR mask and drives the idle level with it.
void SetOrMask(std::uint8_t mask);

// ---- bit-level engine (the port must be held) ----

void Out(LineState state);
void StartBit();
void StopBit();
void PreStart();
void WriteData(std::uint8_t data);
std::uint8_t ReadData();
void Ack();
void LongAck();
void NAck();
void MAck();
// The lines' repeated-start position between the halves of a byte read.
void RepeatedStartPosition();
// Clocks the acknowledge of a checksum byte; true when SDA read low.
bool ReadPecAck();
bool BusError();
// SDA low as the wiring in use shows it on the status register.
bool SdaReadsLow(std::uint8_t status);
// SCL high as the wiring in use shows it on the status register.
bool SclReadsHigh(std::uint8_t status);
// One read of the selected port's status register.
std::uint8_t ReadStatus();

// WaitAck with its own claim rules.
Boolean WaitAck(std::uint8_t timeout);

// ---- delays and back-off ----

void BitDelay();
void FrameDelay();
// The process-wide frame delay of SMBusProtocall and SMBus, clamped to 0 .. 1e10.
void SetFrameDelay(float value);
// The random back-off before a retry; counts the retry and clears BusError.
void BackOff();

// ---- transaction frames ----

enum class Outcome {
  Done,     // completed without a line conflict
  NoPort,   // no port or the claim was refused: nothing happened
  GaveUp,   // the retries ran out
  Aborted,  // the attempt ended the transaction itself
};

// An attempt runs the transaction's primitives, testing BusError after each;
// it returns false to end the transaction at once (Outcome::Aborted).
using Attempt = std::function<bool()>;

// The frame of the byte and word transactions: claim unless locked, retry
// after releasing the lines and the port, re-claim for every retry.
Outcome RunTransaction(const Attempt& attempt);
// The frame of block transfers and EEPROM operations: always claim, keep
// the claim across retries.
Outcome RunClaimedTransaction(const Attempt& attempt);
// After an arbitration give-up that was reported: idle lines, flags cleared.
void EndReportedGiveUp();
void ClearTransactionFlags();

// ---- packet error code ----

// CRC-8, polynomial 0x07, initial value 0, most significant bit first.
std::uint8_t ComputePEC(std::span<const std::uint8_t> bytes);

// ---- platform detection and wide-number arithmetic ----

std::string GetWindowsBuildText();
std::int16_t GetWindowsVersionCode();
// Nearest 32-bit integer, ties to even; RuntimeError (overflow) outside the range.
std::int32_t RoundToInt32(double value);
// The wide-number routines take whole numbers below 2^64 in magnitude; NaN,
// infinities and anything beyond raise RuntimeError (overflow).
std::int32_t ToSigned32(double value);
double BitAndWide(double a, double b);
double BitOrWide(double a, double b);

}  // namespace comport::CommunicationsProcedures
