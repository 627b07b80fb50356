// Construction, properties and the published primitives of SMBusProtocall.
#include "comport/SMBusProtocall.h"

#include <algorithm>

#include "comport/CommunicationsProcedures.h"

namespace comport {

namespace {
namespace procedures = CommunicationsProcedures;
using CommonGlobals::State;
}  // namespace

SMBusProtocall::SMBusProtocall() {
  auto& engine = State().Engine;
  engine.MaxArbitrationDenials = 20;
  procedures::LoadInvertedConfiguration();
  engine.OrMask = 0;
  engine.Delay = 0;
  procedures::InitCommunications();
}

Boolean SMBusProtocall::ArbitrationOn() const { return State().Engine.ArbitrationOn; }
void SMBusProtocall::ArbitrationOn(Boolean value) { State().Engine.ArbitrationOn = value; }
std::int16_t SMBusProtocall::MaxArbitrationDenials() const { return State().Engine.MaxArbitrationDenials; }
void SMBusProtocall::MaxArbitrationDenials(std::int16_t value) { State().Engine.MaxArbitrationDenials = value; }
Boolean SMBusProtocall::VideoSoftware() const { return State().Engine.VideoSoftware; }
void SMBusProtocall::VideoSoftware(Boolean value) { State().Engine.VideoSoftware = value; }
Boolean SMBusProtocall::RelativeDelayOn() const { return State().Engine.RelativeDelayOn; }
void SMBusProtocall::RelativeDelayOn(Boolean value) { State().Engine.RelativeDelayOn = value; }
float SMBusProtocall::FrameDelay() const { return State().Engine.FrameDelay; }
void SMBusProtocall::FrameDelay(float value) { procedures::SetFrameDelay(value); }
float SMBusProtocall::Delay() const { return State().Engine.Delay; }
void SMBusProtocall::Delay(float value) { State().Engine.Delay = value; }

void SMBusProtocall::Portout(std::int16_t CurrentPortAddress, std::uint8_t Value) {
  procedures::Portout(CurrentPortAddress, Value);
}
std::uint8_t SMBusProtocall::Portin(std::int16_t CurrentPortAddress) { return procedures::Portin(CurrentPortAddress); }

std::uint8_t SMBusProtocall::BitsToStayHigh() const { return State().Engine.OrMask; }
void SMBusProtocall::BitsToStayHigh(std::uint8_t value) { procedures::SetOrMask(value); }
std::uint8_t SMBusProtocall::OrBits() const { return State().Engine.OrBits; }
void SMBusProtocall::OrBits(std::uint8_t value) {
  State().Engine.OrBits = value;
  procedures::SetOrMask(value);
}

std::int16_t SMBusProtocall::PortAddress() const { return State().Port.PortAddress; }
void SMBusProtocall::PortAddress(std::int16_t value) { procedures::FindPortByAddress(value); }
std::uint8_t SMBusProtocall::DeviceAddress() const { return State().Port.DeviceAddress; }
void SMBusProtocall::DeviceAddress(std::uint8_t value) { State().Port.DeviceAddress = value; }
Boolean SMBusProtocall::DataInverted() const { return State().Port.DataInverted; }
void SMBusProtocall::DataInverted(Boolean value) { procedures::SetDataInverted(value); }

template <typename Primitive>
void SMBusProtocall::RunPrimitive(Primitive primitive) {
  const bool claimHere = !procedures::PortHeld();
  if (claimHere && !procedures::OpenPort()) return;
  primitive();
  if (claimHere && !State().Port.LockPortOpen) procedures::ClosePort();
}

void SMBusProtocall::Ack() { RunPrimitive(procedures::Ack); }
void SMBusProtocall::NAck() { RunPrimitive(procedures::NAck); }
void SMBusProtocall::MAck() { RunPrimitive(procedures::MAck); }
void SMBusProtocall::PreStart() { RunPrimitive(procedures::PreStart); }
void SMBusProtocall::StartBit() { RunPrimitive(procedures::StartBit); }
void SMBusProtocall::StopBit() { RunPrimitive(procedures::StopBit); }

void SMBusProtocall::WriteData(const float& Data) {
  const auto byte = static_cast<std::uint8_t>(procedures::RoundToInt32(Data) & 0xFF);
  RunPrimitive([byte] { procedures::WriteData(byte); });
}

float SMBusProtocall::ReadData() {
  std::uint8_t byte = 0;
  RunPrimitive([&byte] { byte = procedures::ReadData(); });
  return byte;
}

std::optional<SMBusProtocall::LineLevels> SMBusProtocall::ReadLineLevels() {
  std::optional<LineLevels> levels;
  RunPrimitive([&levels] {
    const std::uint8_t status = procedures::ReadStatus();
    levels = LineLevels{procedures::SclReadsHigh(status), !procedures::SdaReadsLow(status)};
  });
  return levels;
}

Boolean SMBusProtocall::WaitAck(std::uint8_t Timeout) { return procedures::WaitAck(Timeout); }

Variant SMBusProtocall::GetBlockReadData() const {
  return Variant(std::vector<std::int16_t>(blockData_.begin(), blockData_.end()));
}

}  // namespace comport
