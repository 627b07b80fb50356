#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/I2cAdapters.h"

// The lines of the wizard's result list. Each line is a visible part, a run
// of blanks that pushes the medium tag out of the list's visible width, and
// the tag that Finish reads back to know what was chosen.
namespace devicesearch {

// "Found an QTS5460 at:4Ch, on printer port:378h", fifty blanks, then
// "Printer " and the entry number n (from 1) in decimal.
std::string PrinterPortEntryText(std::uint8_t addressByte, std::int16_t portAddress, int entryNumber);

// "An QTS5460 was found at:4Ch, on the SMBus", ninety-eight blanks, then
// "SMBus" and the 7-bit address in hexadecimal.
std::string OnBoardEntryText(std::uint8_t address);

// "An QTS5460 was found at:4Ch, on i2c-0, SMBus I801 adapter at f040" (on
// board) or "..., on USB adapter i2c-9, CP2112 SMBus Bridge", ninety-eight
// blanks, then "I2C", the adapter number, ":" and the 7-bit address in
// hexadecimal ("I2C9:4C").
std::string AdapterEntryText(const platform::I2cAdapterInfo& adapter, std::uint8_t address);

struct EntryTag {
  enum class Medium { PrinterPort, OnBoard, Adapter };
  Medium medium;
  // PrinterPort: the entry number, from 1. OnBoard, Adapter: the 7-bit address.
  int value;
  int adapter = -1;  // Adapter: the kernel's adapter number
};

// The tag at the end of a result line. A printer-port entry ends in
// "Printer " and its entry number: one digit up to nine entries, as the tag
// was first read, and all the digits after the blank beyond that, so that
// entry 12 is never taken for entry 2. An on-board entry ends in "SMBus" and
// the address's hexadecimal digits; a kernel adapter's entry in its adapter
// tag. Empty for any other text.
std::optional<EntryTag> ReadEntryTag(std::string_view entry);

}  // namespace devicesearch
