#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "qtsctl/VcdReader.h"

// SCL and SDA levels over time into SMBus transactions: start and stop
// conditions, bytes sampled on rising clock edges with their acknowledges,
// grouped from a start to its stop and named (see SmbusTransactions.h).
namespace smbusdecode {

struct WireByte {
  std::uint8_t value;
  bool acknowledged;  // the ninth bit was low
};

// From one start (or repeated start) to the next start or the stop.
struct Segment {
  double startNanoseconds = 0;
  std::size_t line = 0;     // of the time stamp where its start stands
  bool stopBefore = false;  // a stop and a new start came before it, not a repeated start
  std::uint8_t addressByte = 0;
  bool addressAcknowledged = false;
  bool addressComplete = false;  // all nine bits of the address byte were clocked
  std::vector<WireByte> bytes;   // after the address byte; at most kMostBytes kept
  std::size_t bytesDropped = 0;
  bool Read() const { return (addressByte & 1) != 0; }
  std::uint8_t Address() const { return static_cast<std::uint8_t>(addressByte >> 1); }
};

// What a transaction is, by its shape on the wire.
enum class Kind {
  StartStop,         // a start and a stop without a whole address byte
  NotAcknowledged,   // nobody acknowledged the address
  QuickWrite,
  QuickRead,
  SendByte,
  ReceiveByte,
  AlertResponse,     // a receive byte from the Alert Response Address
  WriteByte,
  WriteWord,
  ReadByte,
  ReadWord,
  BlockWrite,
  BlockRead,
  Write,             // any other write (plain I2C)
  Read,              // any other read
  WriteRead,         // any other write then read
};

std::string KindName(Kind kind);

struct PecCheck {
  std::uint8_t received;
  std::uint8_t computed;
  bool Ok() const { return received == computed; }
};

struct Transaction {
  double startNanoseconds = 0;
  std::size_t line = 0;  // of the time stamp where the first start stands
  std::vector<Segment> segments;
  bool stopped = false;      // ended with a stop condition
  bool stopBetween = false;  // a send byte and a receive byte joined into one read
  Kind kind = Kind::StartStop;
  std::optional<std::uint8_t> address;
  std::optional<std::uint8_t> command;
  std::optional<std::uint8_t> count;   // block transfers
  std::vector<std::uint8_t> data;      // the payload (block: without count and PEC); what was read
  std::vector<std::uint8_t> written;   // a write then read of no named kind: what was written
  std::optional<std::uint16_t> word;   // word transfers, low byte first
  std::optional<std::uint8_t> alertingAddress;
  std::optional<PecCheck> pec;
  std::vector<std::string> errors;     // what is wrong on the wire
};

// The wire, as one line of text: "S 98 A FE A Sr 99 A 41 N P".
std::string WireText(const Transaction& transaction);

struct Options {
  // Byte and word transfers carry a packet error code (block transfers show
  // by their count whether they do).
  bool pec = false;
};

// Names a transaction by its segments, fills its fields, checks every
// acknowledge and the packet error code, and adds what is wrong to its errors.
void Classify(Transaction& transaction, const Options& options);

// Feeds steps in; hands each finished transaction to the sink. Memory stays
// bounded: a transaction keeps at most kMostSegments segments of at most
// kMostBytes bytes; more are counted, not kept.
class Decoder {
 public:
  static constexpr std::size_t kMostBytes = 1024;
  static constexpr std::size_t kMostSegments = 64;

  Decoder(Options options, double nanosecondsPerTick, std::function<void(Transaction)> sink);

  void Add(const vcd::Step& step);
  // The trace has ended: a transaction without its stop is handed out with
  // a missing stop named.
  void Finish();

 private:
  void Scl(bool high, const vcd::Step& step);
  void Sda(bool high, const vcd::Step& step);
  void StartCondition(const vcd::Step& step);
  void StopCondition();
  void Bit(bool bit);
  void ByteDone(std::uint8_t value, bool acknowledged);
  void EndTransaction(bool stopped, const std::string& error = {});
  void Emit(Transaction transaction);

  Options options_;
  double nanosecondsPerTick_;
  std::function<void(Transaction)> sink_;

  std::optional<bool> scl_;
  std::optional<bool> sda_;
  bool sdaMovedWhileSclHigh_ = false;  // since SCL last rose

  std::optional<Transaction> open_;  // between a start and its stop
  int bits_ = 0;                     // of the byte being clocked, the acknowledge as the ninth
  std::uint16_t shift_ = 0;
  std::optional<Transaction> heldSend_;  // a send byte that a receive byte may complete
};

}  // namespace smbusdecode
