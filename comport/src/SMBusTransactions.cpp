// The byte and word transactions of SMBusProtocall. Each attempt stops at the
// first primitive that leaves BusError set; the frame retries it.
#include <string>

#include "comport/CommunicationsProcedures.h"
#include "comport/SMBusProtocall.h"

namespace comport {

namespace {

namespace procedures = CommunicationsProcedures;
using procedures::BusError;
using procedures::Outcome;

// Runs primitives in order while no line conflict is seen.
class Sequence {
 public:
  template <typename... Steps>
  Sequence& Then(Steps&&... steps) {
    ((ok_ = ok_ && (steps(), !BusError())), ...);
    return *this;
  }
  bool Ok() const { return ok_; }

 private:
  bool ok_ = true;
};

auto Write(std::uint8_t byte) {
  return [byte] { procedures::WriteData(byte); };
}

// Start, the address byte and the register code, each acknowledged.
Sequence& AddressPhase(Sequence& s, std::uint8_t address, std::uint8_t code) {
  return s.Then(procedures::StartBit, Write(address), procedures::Ack, Write(code), procedures::Ack);
}

std::uint8_t ReadAddress(std::uint8_t address) { return static_cast<std::uint8_t>(address | 1); }

}  // namespace

// The clean-up comes first (the port was already released unless locked):
// a handler that throws, or one that starts another transaction, finds the
// lines idle and no retry count left over.
void SMBusProtocall::ReportArbitrationError() {
  const auto retries = CommonGlobals::State().Engine.RetryCount;
  procedures::EndReportedGiveUp();
  error_.Raise(kArbitrationError, "Arbitration Error, another device is using the SMBus. " + std::to_string(retries) +
                                      " communication attempts were interrupted");
}

void SMBusProtocall::PortWrite(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, std::uint8_t Data) {
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    AddressPhase(s, DeviceAddress, AddressPointer).Then(Write(Data), procedures::Ack, procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
}

std::uint8_t SMBusProtocall::PortRead(std::uint8_t DeviceAddress, std::uint8_t AddressPointer) {
  std::uint8_t result = 0;
  const bool repeatedStart = repeatedStart_ != 0;
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    AddressPhase(s, DeviceAddress, AddressPointer);
    if (repeatedStart)
      s.Then(procedures::RepeatedStartPosition);
    else
      s.Then(procedures::StopBit, procedures::BitDelay);
    s.Then(procedures::StartBit, Write(ReadAddress(DeviceAddress)), procedures::Ack,
           [&] { result = procedures::ReadData(); });
    s.Then(procedures::BitDelay, procedures::NAck, procedures::BitDelay, procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
  return result;
}

void SMBusProtocall::ShortWrite(std::uint8_t DeviceAddress, std::uint8_t Data) {
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    s.Then(procedures::StartBit, Write(DeviceAddress), procedures::Ack, Write(Data), procedures::Ack,
           procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
}

std::uint8_t SMBusProtocall::ShortRead(std::uint8_t DeviceAddress) {
  std::uint8_t result = 0;
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    s.Then(procedures::StartBit, Write(ReadAddress(DeviceAddress)), procedures::Ack,
           [&] { result = procedures::ReadData(); });
    s.Then(procedures::BitDelay, procedures::NAck, procedures::BitDelay, procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
  return result;
}

void SMBusProtocall::WriteWord(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, float Value) {
  const std::int32_t word = procedures::RoundToInt32(Value);
  const auto high = static_cast<std::uint8_t>((word >> 8) & 0xFF);
  const auto low = static_cast<std::uint8_t>(word & 0xFF);
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    AddressPhase(s, DeviceAddress, AddressPointer)
        .Then(Write(high), procedures::Ack, Write(low), procedures::Ack, procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
}

float SMBusProtocall::ReadWord(std::uint8_t DeviceAddress, std::uint8_t AddressPointer) {
  std::uint8_t high = 0;
  std::uint8_t low = 0;
  const auto outcome = procedures::RunTransaction([&] {
    Sequence s;
    AddressPhase(s, DeviceAddress, AddressPointer)
        .Then(
            procedures::StopBit, procedures::StartBit, Write(ReadAddress(DeviceAddress)), procedures::Ack,
            [&] { high = procedures::ReadData(); }, procedures::MAck, [&] { low = procedures::ReadData(); },
            procedures::NAck, procedures::StopBit);
    return true;
  });
  if (outcome == Outcome::GaveUp) ReportArbitrationError();
  return static_cast<float>(high * 256 | low);
}

}  // namespace comport
