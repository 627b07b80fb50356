// Single transactions through the on-board host controller, one byte write
// per register, in the order each layout's table lists them. A word write
// would also reach the register above: the control write would clear the
// command register as the transaction starts. Register reads are words made
// of two byte reads, for the same reason.
#include <array>
#include <cmath>
#include <optional>
#include <span>

#include "TimerSpan.h"
#include "comport/CommonGlobals.h"
#include "comport/HardwareSMBus.h"
#include "comport/RuntimeError.h"
#include "platform/Current.h"

namespace comport::HardwareSMBus {

namespace {

using CommonGlobals::State;

// Where a register write takes its value from.
enum class Operand { Constant, Command, ReadAddress, WriteAddress, Data };

struct RegisterWrite {
  std::uint8_t offset;
  Operand operand;
  std::uint8_t constant = 0;
};

struct Layout {
  std::uint8_t status;
  std::uint8_t data;       // where a read's byte arrives
  std::uint8_t readyBit;   // the status bit the waits watch
  bool readyWhenSet;       // 0x8086: busy clear; 0x10B9: idle set
  std::int32_t errorMask;  // status bits that mean the device was not reached
  std::span<const RegisterWrite> read, write, presence, receive;
  // The status flags of a finished transaction that name why it failed.
  std::uint8_t deviceError, collision, failed;
};

// 0x8086 layout: 0 status, 2 control, 3 command, 4 address, 5 data 0, 6 data 1.
// 0x1F clears the five status flags; 0x48 starts a byte-data transaction.
constexpr RegisterWrite k8086Read[]{
    {6, Operand::Constant, 0}, {5, Operand::Constant, 0},  {3, Operand::Command},
    {4, Operand::ReadAddress}, {0, Operand::Constant, 31}, {2, Operand::Constant, 72},
};
constexpr RegisterWrite k8086Write[]{
    {6, Operand::Constant, 0}, {3, Operand::Command},      {4, Operand::WriteAddress},
    {5, Operand::Data},        {0, Operand::Constant, 31}, {2, Operand::Constant, 72},
};
constexpr RegisterWrite k8086Presence[]{
    {3, Operand::Constant, 0},
    {4, Operand::ReadAddress},
    {0, Operand::Constant, 31},
    {2, Operand::Constant, 72},
};
// A receive byte (no command code): 0x44 starts the byte protocol. Both data
// registers are cleared first, so that a device that does not answer leaves
// 0 and the word read at data 0 fits a byte.
constexpr RegisterWrite k8086Receive[]{
    {6, Operand::Constant, 0},  {5, Operand::Constant, 0},  {4, Operand::ReadAddress},
    {0, Operand::Constant, 31}, {2, Operand::Constant, 68},
};

// 0x10B9 layout: 0 status, 1 protocol, 2 start, 3 address, 4 data, 7 command.
// 0xF0 clears the upper four status flags; protocol 0x20 is byte data; any
// write to the start register starts.
constexpr RegisterWrite k10B9Read[]{
    {0, Operand::Constant, 240}, {7, Operand::Command},     {3, Operand::ReadAddress},
    {1, Operand::Constant, 32},  {2, Operand::Constant, 0},
};
constexpr RegisterWrite k10B9Write[]{
    {0, Operand::Constant, 240}, {7, Operand::Command},      {3, Operand::WriteAddress},
    {4, Operand::Data},          {1, Operand::Constant, 32}, {2, Operand::Constant, 0},
};
constexpr RegisterWrite k10B9Presence[]{
    {0, Operand::Constant, 240}, {7, Operand::Constant, 0},   {3, Operand::ReadAddress},
    {1, Operand::Constant, 32},  {2, Operand::Constant, 255},
};
// A receive byte: protocol 0x10 is send/receive byte; no command code. The
// data register is cleared first, as on the other layout.
constexpr RegisterWrite k10B9Receive[]{
    {0, Operand::Constant, 240}, {4, Operand::Constant, 0}, {3, Operand::ReadAddress},
    {1, Operand::Constant, 16},  {2, Operand::Constant, 0},
};

// Presence errors: every status bit but the completion flag (bit 1) and the
// ICH's in-use flag (bit 6). That flag is a semaphore that the first status
// read sets and that the 0x1F clear leaves alone: counted as an error, it
// would make every device absent on those chipsets after the first wait.
constexpr Layout k8086{0, 5, 0x01, false, 0xBD, k8086Read, k8086Write, k8086Presence, k8086Receive, 0x04, 0x08, 0x10};
constexpr Layout k10B9{0, 4, 0x04, true, 0xE0, k10B9Read, k10B9Write, k10B9Presence, k10B9Receive, 0x20, 0x40, 0x80};

using Progress = CommonGlobals::OnBoardState::Progress;

void NoteProgress(Progress progress) { State().OnBoard.LastTransaction = progress; }
Progress Waited(bool finished) { return finished ? Progress::Finished : Progress::WaitGaveUp; }

const Layout* SelectedLayout() {
  switch (LayoutOf(State().OnBoard.DeviceID)) {
    case HostLayout::Layout8086:
      return &k8086;
    case HostLayout::Layout10B9:
      return &k10B9;
    case HostLayout::None:
      break;
  }
  return nullptr;
}

// A register outside the I/O space cannot be opened: it reads like a
// refused port and takes no writes.
std::optional<std::int32_t> ReadRegister(std::uint8_t offset) {
  const auto port = HostRegisterPort(offset);
  return port ? ReadBaseBytes(*port) : std::nullopt;
}

void WriteRegister(std::uint8_t offset, std::uint8_t value) {
  if (const auto port = HostRegisterPort(offset)) WriteBaseByte(*port, value);
}

bool Ready(const Layout& layout, std::int32_t status) {
  return ((status & layout.readyBit) != 0) == layout.readyWhenSet;
}

// The deadline is the time of day plus one second, rounded to a whole second
// (half to even), so the wait lasts between half a second and one and a half.
// The span counts across midnight, where the time of day restarts and a
// deadline past 86400 would never come.
bool WaitReady(const Layout& layout) {
  auto& process = platform::Current();
  const double start = process.Timer();
  const double length = std::nearbyint(start + 1) - start;
  const TimerSpan span(start);
  for (;;) {
    if (Ready(layout, ReadRegister(layout.status).value_or(0))) return true;
    if (span.Elapsed() >= length) return false;
    process.DoEvents();
  }
}

void WriteSequence(std::span<const RegisterWrite> writes, std::uint8_t deviceAddress, std::uint8_t addressPointer,
                   std::uint8_t data) {
  for (const RegisterWrite& write : writes) {
    std::uint8_t value = write.constant;
    switch (write.operand) {
      case Operand::Constant:
        break;
      case Operand::Command:
        value = addressPointer;
        break;
      case Operand::ReadAddress:
        value = static_cast<std::uint8_t>(deviceAddress * 2 + 1);
        break;
      case Operand::WriteAddress:
        value = static_cast<std::uint8_t>(deviceAddress * 2);
        break;
      case Operand::Data:
        value = data;
        break;
    }
    WriteRegister(write.offset, value);
  }
}

// Runs a read sequence and returns the byte that arrived in the data register.
std::uint8_t ReadTransaction(const Layout& layout, std::span<const RegisterWrite> writes, std::uint8_t deviceAddress,
                             std::uint8_t addressPointer) {
  WaitReady(layout);
  WriteSequence(writes, deviceAddress, addressPointer, 0);
  NoteProgress(Waited(WaitReady(layout)));
  const std::int32_t word = ReadRegister(layout.data).value_or(0);
  // The byte above the data register belongs to the word read; a value
  // there does not fit the byte this returns.
  if (word < 0 || word > 0xFF) throw RuntimeError::Overflow();
  return static_cast<std::uint8_t>(word);
}

}  // namespace

bool WaitNotBusy() { return WaitReady(k8086); }
bool WaitIdle() { return WaitReady(k10B9); }

std::uint8_t PortRead(std::uint8_t deviceAddress, std::uint8_t addressPointer) {
  const Layout* layout = SelectedLayout();
  return layout ? ReadTransaction(*layout, layout->read, deviceAddress, addressPointer) : 0;
}

std::uint8_t ReceiveByte(std::uint8_t deviceAddress) {
  const Layout* layout = SelectedLayout();
  return layout ? ReadTransaction(*layout, layout->receive, deviceAddress, 0) : 0;
}

void PortWrite(std::uint8_t deviceAddress, std::uint8_t addressPointer, std::uint8_t data) {
  const Layout* layout = SelectedLayout();
  if (!layout) return;
  WaitReady(*layout);
  WriteSequence(layout->write, deviceAddress, addressPointer, data);
  NoteProgress(Progress::Started);
}

// A device counts as present only when the controller finished the
// transaction and its status could be read without an error bit. A status
// that cannot be read (the port library refused the port) or a controller
// that never finished would otherwise read as "no error", which would report
// every address present.
Boolean DevicePresent(std::uint8_t deviceAddress) {
  const Layout* layout = SelectedLayout();
  if (!layout) return kFalse;
  WaitReady(*layout);
  WriteSequence(layout->presence, deviceAddress, 0, 0);
  const bool finished = WaitReady(*layout);
  NoteProgress(Waited(finished));
  const auto status = ReadRegister(layout->status);
  return ToBoolean(finished && status && (*status & layout->errorMask) == 0);
}

HostTransactionEnd LastTransactionEnd() {
  const Layout* layout = SelectedLayout();
  Progress& progress = State().OnBoard.LastTransaction;
  if (!layout || progress == Progress::NoneRun) return HostTransactionEnd::None;
  if (progress == Progress::Started) progress = Waited(WaitReady(*layout));
  if (progress == Progress::WaitGaveUp) return HostTransactionEnd::Busy;
  const auto status = ReadRegister(layout->status);
  if (!status) return HostTransactionEnd::Unreadable;
  if (*status & layout->deviceError) return HostTransactionEnd::NotAcknowledged;
  if (*status & layout->collision) return HostTransactionEnd::Collision;
  if (*status & layout->failed) return HostTransactionEnd::Failed;
  return HostTransactionEnd::Completed;
}

}  // namespace comport::HardwareSMBus
