#pragma once

#include <cstdint>
#include <optional>

#include "comport/Boolean.h"
#include "comport/HostTransactionEnd.h"

// The on-board SMBus medium: PCI configuration access, the search for a
// supported host controller, the word port accessors and the host
// controller's transactions. Every port access goes through the platform's
// word port library (CanIo); the state is CommonGlobals' OnBoard part.
namespace comport::HardwareSMBus {

enum class HostLayout { None, Layout8086, Layout10B9 };

// ---- PCI configuration access ----

inline constexpr std::int32_t kConfigAddressPort = 0xCF8;
inline constexpr std::int32_t kConfigDataPort = 0xCFC;

// The mechanism-1 address as an unsigned number: the reserved bits of the
// address port's current value, the enable bit, and the four parts combined
// with OR, each unmasked and the register offset unaligned.
double ConfigurationAddress(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset);
// The dword the data port delivers, as a signed 32-bit number.
double ReadPCI(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset);
// Writes `value` (an unsigned 32-bit number) as one dword.
void WritePCIDword(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t offset, double value);

// ---- the host controller's ports ----

// One word from `port`, sign-extended; 0 when the port cannot be opened.
std::int32_t ReadBase(std::int32_t port);
// The same, but empty when the port cannot be opened.
std::optional<std::int32_t> TryReadBase(std::int32_t port);
// One word write; nothing when the port cannot be opened. The word reaches
// `port` and the port above it.
void WriteBase(std::int32_t port, std::int32_t value);
// One byte write that reaches `port` alone; nothing when the port cannot be
// opened. The transactions write their registers with it.
void WriteBaseByte(std::int32_t port, std::uint8_t value);
// The word at `port` as two byte reads, low byte first, sign-extended; empty
// when the port cannot be opened. The transactions read their registers with
// it: a word read would reach two registers in one access, which some
// controllers refuse outright (QEMU's PIIX4 model reads 0 then).
std::optional<std::int32_t> ReadBaseBytes(std::int32_t port);
// The port at `offset` above SMBusBaseAddress; empty when that lies outside
// the 64 KiB I/O space (a base set by a program can be any 32-bit number).
std::optional<std::int32_t> HostRegisterPort(std::int32_t offset);

// ---- discovery ----

// The creation rule of an SMBus object: the version code decides whether
// host access is disabled, and otherwise the search runs.
void InitialiseHostAccess();
// Searches configuration space for a supported controller; on success sets
// DeviceID and SMBusBaseAddress and enables the controller.
void FindSMBusHost();
// The layout that a controller's identification dword selects.
HostLayout LayoutOf(std::int32_t deviceId);

// ---- transactions (7-bit device address) ----

// The waits: true when the controller reached the layout's condition, false
// when about one second passed first.
bool WaitNotBusy();
bool WaitIdle();
std::uint8_t PortRead(std::uint8_t deviceAddress, std::uint8_t addressPointer);
// A receive byte: the device's byte without a command code, as the Alert
// Response Address (0x0C) answers with the alerting device's address.
std::uint8_t ReceiveByte(std::uint8_t deviceAddress);
void PortWrite(std::uint8_t deviceAddress, std::uint8_t addressPointer, std::uint8_t data);
Boolean DevicePresent(std::uint8_t deviceAddress);
// How the controller ended the last transaction of the process; waits for
// the end of a write, which does not wait itself.
HostTransactionEnd LastTransactionEnd();

}  // namespace comport::HardwareSMBus
