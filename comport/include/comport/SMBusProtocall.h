#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "comport/Boolean.h"
#include "comport/Event.h"
#include "comport/Variant.h"

namespace comport {

// SMBus transactions over the printer-port adapter, and the bit-level
// primitives they are made of. Engine settings and the port selection are
// shared by every object of the process; the block-transfer fields and the
// stored-only flags belong to the object.
class SMBusProtocall {
 public:
  static constexpr const char* kBlockCountText = "The byte count read did not equal 32";
  static constexpr std::int16_t kBlockCountError = 1;
  static constexpr std::int16_t kArbitrationError = 2;

  // Resets MaxArbitrationDenials (20), the line OR mask and Delay, loads the
  // inverting adapter's tables, then runs the one-time port discovery
  // (RuntimeError on a system whose build text is not a number).
  SMBusProtocall();

  std::int16_t FinalPEC() const { return finalPec_; }
  void FinalPEC(std::int16_t value) { finalPec_ = value; }
  Boolean ArbitrationOn() const;
  void ArbitrationOn(Boolean value);
  std::int16_t MaxArbitrationDenials() const;
  void MaxArbitrationDenials(std::int16_t value);
  Boolean BlockWriteWaitAck() const { return blockWriteWaitAck_; }
  void BlockWriteWaitAck(Boolean value) { blockWriteWaitAck_ = value; }
  Boolean ActAsMaster() const { return actAsMaster_; }
  void ActAsMaster(Boolean value) { actAsMaster_ = value; }
  Boolean VideoSoftware() const;
  void VideoSoftware(Boolean value);
  void WriteWord(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, float Value);
  float ReadWord(std::uint8_t DeviceAddress, std::uint8_t AddressPointer);
  void ShortWrite(std::uint8_t DeviceAddress, std::uint8_t Data);
  std::uint8_t ShortRead(std::uint8_t DeviceAddress);
  Boolean WaitAck(std::uint8_t Timeout);
  Boolean RelativeDelayOn() const;
  void RelativeDelayOn(Boolean value);
  float FrameDelay() const;
  void FrameDelay(float value);  // clamped to 0 .. 1e10
  float Delay() const;
  void Delay(float value);
  Boolean RepeatedStart() const { return repeatedStart_; }
  void RepeatedStart(Boolean value) { repeatedStart_ = value; }
  void Portout(std::int16_t CurrentPortAddress, std::uint8_t Value);
  std::uint8_t Portin(std::int16_t CurrentPortAddress);
  std::uint8_t AddressPointer() const { return addressPointer_; }
  void AddressPointer(std::uint8_t value) { addressPointer_ = value; }
  std::uint8_t BitsToStayHigh() const;
  void BitsToStayHigh(std::uint8_t value);
  Boolean ThereWasNoAck() const { return thereWasNoAck_; }
  void ThereWasNoAck(Boolean value) { thereWasNoAck_ = value; }
  std::int16_t PortAddress() const;
  void PortAddress(std::int16_t value);
  std::uint8_t DeviceAddress() const;
  void DeviceAddress(std::uint8_t value);
  Boolean DataInverted() const;
  void DataInverted(Boolean value);
  Boolean CheckForAck() const { return checkForAck_; }
  void CheckForAck(Boolean value) { checkForAck_ = value; }
  std::uint8_t OrBits() const;
  void OrBits(std::uint8_t value);
  void Ack();
  std::uint8_t PortRead(std::uint8_t DeviceAddress, std::uint8_t AddressPointer);
  void NAck();
  void MAck();
  void PortWrite(std::uint8_t DeviceAddress, std::uint8_t AddressPointer, std::uint8_t Data);
  void PreStart();
  float ReadData();
  void StartBit();
  void StopBit();
  // The byte is the nearest integer to Data (RuntimeError on overflow); bits 7..0 are sent.
  void WriteData(const float& Data);
  std::int16_t Detect(std::int16_t) { return 0; }
  std::int16_t TotalSpeed() const { return 0; }
  void TotalSpeed(std::int16_t) {}
  // Returns an Empty Variant; the data are fetched with GetBlockReadData.
  Variant BlockRead(std::uint8_t HighByte, std::uint8_t LowByte);
  // Data holds an array whose elements 3 .. ByteCount + 2 are the payload.
  void BlockWrite(std::uint8_t ByteCount, const Variant& Data);
  Boolean PECOK() const { return pecOk_; }
  void PECOK(Boolean value) { pecOk_ = value; }
  Variant GetBlockReadData() const;
  Boolean UsePEC() const { return usePec_; }
  void UsePEC(Boolean value) { usePec_ = value; }
  Variant GetPECData() const { return Variant(std::vector<std::int16_t>{}); }

  Event<std::int16_t, const std::string&>& SMBusProtocallError() { return error_; }

  // Beyond the original interface, for telling a held or floating line from
  // an absent device: SCL and SDA as the loaded wiring reads them back on the
  // status register, sampled once without driving anything. Claims the port
  // around the read unless it is held; empty when there is no port or the
  // claim is refused.
  struct LineLevels {
    bool sclHigh;
    bool sdaHigh;
  };
  std::optional<LineLevels> ReadLineLevels();

 private:
  // A primitive run on its own claims the port around itself when it is not held.
  template <typename Primitive>
  void RunPrimitive(Primitive primitive);
  void ReportArbitrationError();

  std::int16_t finalPec_ = 0;
  Boolean blockWriteWaitAck_ = kFalse;
  Boolean actAsMaster_ = kFalse;
  Boolean repeatedStart_ = kFalse;
  std::uint8_t addressPointer_ = 0;
  Boolean thereWasNoAck_ = kFalse;
  Boolean checkForAck_ = kFalse;
  Boolean pecOk_ = kFalse;
  Boolean usePec_ = kFalse;
  std::array<std::int16_t, 34> blockData_{};  // [0] read address, [1] count, [2..33] data
  std::uint8_t receivedCount_ = 0;
  std::uint8_t receivedPec_ = 0;
  Event<std::int16_t, const std::string&> error_;
};

}  // namespace comport
