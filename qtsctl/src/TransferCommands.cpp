// read, write and alert: one transfer each, and what it means.
#include <cstdio>
#include <istream>
#include <ostream>
#include <string>

#include "qtsctl/BadInput.h"
#include "qtsctl/Commands.h"
#include "qtsctl/Device.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "registers/RegisterMap.h"

namespace qtsctl {

namespace {

using transfers::Transfer;

std::string HexWord(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string TransferName(TransferMode mode, bool read) {
  switch (mode) {
    case TransferMode::Byte:
      return read ? "read byte" : "write byte";
    case TransferMode::Word:
      return read ? "read word" : "write word";
    case TransferMode::SendReceive:
      return read ? "receive byte" : "send byte";
    case TransferMode::Block:
      return read ? "block read" : "block write";
  }
  return "";
}

Transfer ReadTransfer(TransferMode mode) {
  switch (mode) {
    case TransferMode::Byte:
      return Transfer::ReadByte;
    case TransferMode::Word:
      return Transfer::ReadWord;
    case TransferMode::SendReceive:
      return Transfer::ReceiveByte;
    case TransferMode::Block:
      return Transfer::BlockRead;
  }
  return Transfer::ReadByte;
}

Transfer WriteTransfer(TransferMode mode) {
  switch (mode) {
    case TransferMode::Byte:
      return Transfer::WriteByte;
    case TransferMode::Word:
      return Transfer::WriteWord;
    case TransferMode::SendReceive:
      return Transfer::SendByte;
    case TransferMode::Block:
      return Transfer::BlockWrite;
  }
  return Transfer::WriteByte;
}

// The register's name in the map, when the code has one.
std::optional<std::string> NameOf(int code) {
  const auto name = registers::RegisterName(code);
  return name ? std::optional<std::string>(std::string(*name)) : std::nullopt;
}

JsonObject TransferJson(const Device& device, TransferMode mode, bool read, const std::optional<std::uint8_t>& code) {
  JsonObject json;
  json.Add("address", HexByte(device.Address())).Add("medium", device.MediumJson()).Add("transfer", TransferName(mode, read));
  if (code) json.Add("register", HexByte(*code)).Add("name", NameOf(*code));
  return json;
}

bool Consents(std::istream& in) {
  std::string answer;
  if (!std::getline(in, answer)) return false;
  for (auto& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes";
}

std::string WhatIsWritten(const WriteRequest& request) {
  switch (request.mode) {
    case TransferMode::Byte:
      return "Write " + HexByte(request.value) + " to register " + HexByte(request.code);
    case TransferMode::Word:
      return "Write the word " + HexWord(request.word) + " to register " + HexByte(request.code);
    case TransferMode::SendReceive:
      return "Send the byte " + HexByte(request.code);
    case TransferMode::Block:
      return "Write a block of " + std::to_string(request.block.size()) + " bytes to register " + HexByte(request.code);
  }
  return "";
}

// -r: the register read back where the chip reads what was written (a
// limit written at 0x0B reads at 0x05).
int ReadBack(Device& device, const WriteRequest& request, Output& output, JsonObject& json) {
  transfers::Bus& bus = device.Bus();
  const std::uint8_t code = static_cast<std::uint8_t>(registers::ToReadCode(request.code));
  ThrowIfStopped();
  const std::uint16_t expected = request.mode == TransferMode::Word ? request.word : request.value;
  const std::uint16_t read =
      request.mode == TransferMode::Word ? bus.ReadWord(device.Address(), code) : bus.ReadByte(device.Address(), code);
  const bool matches = read == expected;
  const std::string shown = request.mode == TransferMode::Word ? HexWord(read) : HexByte(read);
  if (output.json) {
    json.Add("readBack", JsonObject().Add("register", HexByte(code)).Add("value", static_cast<int>(read)).Add("hex", shown).Add("matches", matches));
    output.out << json.Text() << '\n';
  } else {
    output.out << shown << '\n';
  }
  if (matches) return kSuccess;
  output.err << "qtsctl: wrote " << (request.mode == TransferMode::Word ? HexWord(expected) : HexByte(static_cast<std::uint8_t>(expected)))
             << " but register " << HexByte(code) << " reads back " << shown << '\n';
  return kFailure;
}

}  // namespace

int Read(Device& device, const ReadRequest& request, Output& output) {
  device.RequireSupport(ReadTransfer(request.mode), request.pec, TransferName(request.mode, true) + (request.pec ? " with PEC" : ""));
  transfers::Bus& bus = device.Bus();
  bus.UsePec(request.pec);
  ThrowIfStopped();
  const bool hasCode = request.mode != TransferMode::SendReceive;
  JsonObject json = TransferJson(device, request.mode, true, hasCode ? std::optional(request.code) : std::nullopt);
  json.Add("pec", request.pec);
  std::string text;
  switch (request.mode) {
    case TransferMode::Byte:
    case TransferMode::SendReceive: {
      const std::uint8_t value = request.mode == TransferMode::Byte ? bus.ReadByte(device.Address(), request.code)
                                                                    : bus.ReceiveByte(device.Address());
      text = HexByte(value);
      json.Add("value", static_cast<int>(value)).Add("hex", text);
      break;
    }
    case TransferMode::Word: {
      const std::uint16_t value = bus.ReadWord(device.Address(), request.code);
      text = HexWord(value);
      json.Add("value", static_cast<int>(value)).Add("hex", text);
      break;
    }
    case TransferMode::Block: {
      const auto data = bus.BlockRead(device.Address(), request.code);
      for (const std::uint8_t byte : data) text.append(text.empty() ? "" : " ").append(HexByte(byte));
      json.Add("count", data.size()).Add("data", HexTexts(data));
      break;
    }
  }
  output.out << (output.json ? json.Text() : text) << '\n';
  return kSuccess;
}

int Write(Device& device, const WriteRequest& request, std::istream& in, Output& output) {
  device.RequireSupport(WriteTransfer(request.mode), request.pec, TransferName(request.mode, false) + (request.pec ? " with PEC" : ""));
  if (request.readBack && request.mode != TransferMode::Byte && request.mode != TransferMode::Word)
    throw BadInput("-r reads back byte and word writes only");
  if (request.readBack) device.RequireSupport(request.mode == TransferMode::Word ? Transfer::ReadWord : Transfer::ReadByte, request.pec, "reading back");
  if (device.OnBoard() && !request.confirmed) {
    output.err << "The on-board SMBus also carries the memory modules' SPD EEPROMs; writing to the wrong device can\n"
                  "leave the PC unable to start.\n"
               << WhatIsWritten(request) << " of device " << device.Description() << "? [y/N] " << std::flush;
    // Ctrl-C interrupts the read, which then counts as no.
    if (!Consents(in) || StopRequested()) {
      output.err << "\nNothing written.\n";
      return kFailure;
    }
  }
  transfers::Bus& bus = device.Bus();
  bus.UsePec(request.pec);
  ThrowIfStopped();
  const std::uint8_t address = device.Address();
  switch (request.mode) {
    case TransferMode::Byte:
      bus.WriteByte(address, request.code, request.value);
      break;
    case TransferMode::Word:
      bus.WriteWord(address, request.code, request.word);
      break;
    case TransferMode::SendReceive:
      bus.SendByte(address, request.code);
      break;
    case TransferMode::Block:
      bus.BlockWrite(address, request.code, request.block);
      break;
  }
  JsonObject json = TransferJson(device, request.mode, false, request.code);
  json.Add("pec", request.pec);
  if (request.mode == TransferMode::Byte) json.Add("value", static_cast<int>(request.value)).Add("hex", HexByte(request.value));
  if (request.mode == TransferMode::Word) json.Add("value", static_cast<int>(request.word)).Add("hex", HexWord(request.word));
  if (request.mode == TransferMode::Block) json.Add("count", request.block.size()).Add("data", HexTexts(request.block));
  if (request.readBack) return ReadBack(device, request, output, json);
  if (output.json) output.out << json.Text() << '\n';
  return kSuccess;
}

int Alert(Device& device, Output& output) {
  ThrowIfStopped();
  std::uint8_t answer = 0;
  try {
    answer = device.Bus().ReceiveByte(registers::kAlertResponseAddress);
  } catch (const transfers::TransferFailed& failure) {
    if (failure.WhatCause() != transfers::Cause::NoAcknowledge) throw;
    throw transfers::TransferFailed(transfers::Cause::NoAcknowledge,
                                    "no device answered the Alert Response Address 0x0C on " + device.Medium() +
                                        ": none is alerting");
  }
  const std::uint8_t alerting = static_cast<std::uint8_t>(answer >> 1);
  if (output.json)
    output.out << JsonObject().Add("medium", device.MediumJson()).Add("alert", HexByte(alerting)).Add("byte", HexByte(answer)).Text()
               << '\n';
  else
    output.out << HexByte(alerting) << '\n';
  return kSuccess;
}

}  // namespace qtsctl
