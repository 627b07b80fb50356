// The bus-master engine: every SMBus condition as single writes of line
// patterns to the data register, with optional read-back checks that notice
// another master (or a held line) on the bus. Master only: the clock is never
// polled for stretching and the acknowledge of a written byte is clocked but
// not read.
#include "TimerSpan.h"
#include "comport/CommunicationsProcedures.h"
#include "platform/Current.h"

namespace comport::CommunicationsProcedures {

namespace {

using CommonGlobals::State;

constexpr std::uint8_t kLineBits = 0x30;  // SCL on status bit 5, SDA on bit 4
constexpr std::uint8_t kSclBit = 0x20;
constexpr std::uint8_t kSdaBit = 0x10;
constexpr std::uint8_t kVideoDataBit = 0x08;
constexpr double kLongAckSeconds = 0.1;

// Checks of StartBit, StopBit, WriteData, Ack and ReadData record their
// outcome either way; the others only ever set BusError.
enum class Record { Outcome, FailureOnly };

std::size_t Index(LineState state) { return static_cast<std::size_t>(state); }

std::int32_t DataRegister() { return State().Port.PortAddress; }
std::int32_t StatusRegister() { return State().Port.PortAddress + 1; }

void Note(bool match, Record record) {
  auto& engine = State().Engine;
  if (!match)
    engine.BusError = kTrue;
  else if (record == Record::Outcome)
    engine.BusError = kFalse;
}

// Passes when arbitration is off or both lines read back as driven.
bool Check(LineState state, Record record) {
  const auto& engine = State().Engine;
  if (!engine.ArbitrationOn) return true;
  const bool match = (Portin(StatusRegister()) & kLineBits) == engine.ReadBack[Index(state)];
  Note(match, record);
  return match;
}

// Passes when arbitration is off or SCL reads high.
bool ClockCheck(Record record) {
  if (!State().Engine.ArbitrationOn) return true;
  const bool match = SclReadsHigh(Portin(StatusRegister()));
  Note(match, record);
  return match;
}

// Both return false at the first failed check.
bool WriteOne(bool lastBit) {
  BitDelay();
  Out(LineState::DataHigh);
  if (!Check(LineState::DataHigh, Record::Outcome)) return false;
  BitDelay();
  Out(LineState::BothHigh);
  if (!Check(LineState::BothHigh, Record::Outcome)) return false;
  BitDelay();
  Out(LineState::DataHigh);
  // After the last bit the device may already pull SDA low for its acknowledge.
  if (!lastBit && !Check(LineState::DataHigh, Record::Outcome)) return false;
  BitDelay();
  Out(LineState::BothLow);
  return true;
}

bool WriteZero() {
  BitDelay();
  Out(LineState::BothLow);
  Out(LineState::ClockHigh);
  if (!Check(LineState::ClockHigh, Record::Outcome)) return false;
  BitDelay();
  Out(LineState::BothLow);
  Out(LineState::BothLow);
  return true;
}

}  // namespace

void Out(LineState state) {
  const auto& engine = State().Engine;
  Portout(DataRegister(), static_cast<std::uint8_t>(engine.Patterns[Index(state)] | engine.OrMask));
}

bool BusError() { return State().Engine.BusError != 0; }

bool SdaReadsLow(std::uint8_t status) {
  const std::uint8_t sdaLow = State().Engine.ReadBack[Index(LineState::BothLow)] & kSdaBit;
  return (status & kSdaBit) == sdaLow;
}

bool SclReadsHigh(std::uint8_t status) {
  const std::uint8_t sclHigh = State().Engine.ReadBack[Index(LineState::BothHigh)] & kSclBit;
  return (status & kSclBit) == sclHigh;
}

std::uint8_t ReadStatus() { return Portin(StatusRegister()); }

void StartBit() {
  Out(LineState::BothHigh);
  if (!Check(LineState::BothHigh, Record::Outcome)) return;
  BitDelay();
  Out(LineState::ClockHigh);
  if (!Check(LineState::ClockHigh, Record::Outcome)) return;
  BitDelay();
  Out(LineState::BothLow);
}

void StopBit() {
  Out(LineState::BothLow);
  BitDelay();
  Out(LineState::ClockHigh);
  if (!Check(LineState::ClockHigh, Record::Outcome)) return;
  BitDelay();
  Out(LineState::BothHigh);
  Check(LineState::BothHigh, Record::Outcome);
}

void PreStart() {
  Out(LineState::BothLow);
  BitDelay();
  Out(LineState::DataHigh);
  if (!Check(LineState::DataHigh, Record::FailureOnly)) return;
  Out(LineState::DataHigh);
  if (!Check(LineState::DataHigh, Record::FailureOnly)) return;
  BitDelay();
  Out(LineState::BothHigh);
  Check(LineState::BothHigh, Record::FailureOnly);
}

void WriteData(std::uint8_t data) {
  for (int bit = 7; bit >= 0; --bit) {
    const bool passed = (data & (1u << bit)) ? WriteOne(bit == 0) : WriteZero();
    if (!passed) return;
  }
}

std::uint8_t ReadData() {
  const auto& globals = State();
  const std::uint8_t input = globals.Engine.VideoSoftware ? kVideoDataBit : kSdaBit;
  std::uint8_t byte = 0;
  Out(LineState::BothLow);
  for (int bit = 7; bit >= 0; --bit) {
    BitDelay();
    Out(LineState::DataHigh);  // SDA released for the device
    Out(LineState::BothHigh);
    if (!ClockCheck(Record::Outcome)) return 0;
    BitDelay();
    const std::uint8_t status = Portin(StatusRegister());
    Out(LineState::DataHigh);
    if (status & input) byte = static_cast<std::uint8_t>(byte | (1u << bit));
  }
  // Only the inverting adapter turns the line level over on its way to the
  // status register; a direct adapter already shows the device's bits. The
  // loaded tables say which wiring is driven, whatever the flag holds (a flag
  // of 1 is stored without loading tables).
  return ReadBackInverted() ? static_cast<std::uint8_t>(~byte) : byte;
}

void Ack() {
  BitDelay();
  Out(LineState::DataHigh);
  Out(LineState::BothHigh);
  if (!ClockCheck(Record::Outcome)) return;
  BitDelay();
  Out(LineState::DataHigh);
  Out(LineState::BothLow);
}

// Gives a slow device a tenth of a second, clock high, to take in a byte.
void LongAck() {
  const TimerSpan span;
  Out(LineState::DataHigh);
  Out(LineState::BothHigh);
  if (!ClockCheck(Record::FailureOnly)) return;
  auto& process = platform::Current();
  while (span.Elapsed() <= kLongAckSeconds) process.DoEvents();
  Out(LineState::DataHigh);
  Out(LineState::BothLow);
}

void NAck() {
  Out(LineState::DataHigh);
  Out(LineState::BothHigh);
  if (!ClockCheck(Record::FailureOnly)) return;
  BitDelay();
  Out(LineState::DataHigh);
  Out(LineState::BothLow);
}

void MAck() {
  Out(LineState::BothLow);
  Out(LineState::ClockHigh);
  if (!ClockCheck(Record::FailureOnly)) return;
  BitDelay();
  Out(LineState::BothLow);
}

void RepeatedStartPosition() {
  Out(LineState::DataHigh);
  if (!Check(LineState::DataHigh, Record::FailureOnly)) return;
  BitDelay();
  Out(LineState::BothHigh);
  Check(LineState::BothHigh, Record::FailureOnly);
}

bool ReadPecAck() {
  Out(LineState::DataHigh);
  Out(LineState::BothHigh);
  if (!ClockCheck(Record::FailureOnly)) return false;
  const bool acknowledged = SdaReadsLow(Portin(StatusRegister()));
  BitDelay();
  Out(LineState::DataHigh);
  Out(LineState::BothLow);
  return acknowledged;
}

}  // namespace comport::CommunicationsProcedures
