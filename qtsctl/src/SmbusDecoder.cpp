#include "qtsctl/SmbusDecoder.h"

#include <utility>

namespace smbusdecode {

namespace {

// A start or stop may follow the one clock that sets the lines up for it;
// two or more bits of a byte before it mean it came inside a byte.
constexpr int kSetUpBits = 1;

}  // namespace

Decoder::Decoder(Options options, double nanosecondsPerTick, std::function<void(Transaction)> sink)
    : options_(options), nanosecondsPerTick_(nanosecondsPerTick), sink_(std::move(sink)) {}

void Decoder::Add(const vcd::Step& step) {
  if (step.initial) {
    if (step.scl) scl_ = step.scl;
    if (step.sda) sda_ = step.sda;
    return;
  }
  const bool sclMoves = step.scl && scl_ && *step.scl != *scl_;
  const bool sdaMoves = step.sda && sda_ && *step.sda != *sda_;
  // A level that was unknown becomes known without an edge.
  if (step.scl && !scl_) scl_ = step.scl;
  if (step.sda && !sda_) sda_ = step.sda;
  // Both at one time: the order that makes no start or stop out of it, data
  // settling before a rising clock and after a falling one.
  if (sclMoves && sdaMoves && *step.scl) {
    Sda(*step.sda, step);
    Scl(true, step);
  } else {
    if (sclMoves) Scl(*step.scl, step);
    if (sdaMoves) Sda(*step.sda, step);
  }
}

void Decoder::Scl(bool high, const vcd::Step&) {
  scl_ = high;
  if (!high) return;
  sdaMovedWhileSclHigh_ = false;
  if (open_ && sda_) Bit(*sda_);
}

void Decoder::Sda(bool high, const vcd::Step& step) {
  const bool clockHigh = scl_ && *scl_;
  sda_ = high;
  if (!clockHigh) return;
  if (high)
    StopCondition();
  else
    StartCondition(step);
  sdaMovedWhileSclHigh_ = true;
}

void Decoder::StartCondition(const vcd::Step& step) {
  Segment segment;
  segment.startNanoseconds = static_cast<double>(step.time) * nanosecondsPerTick_;
  segment.line = step.line;
  if (open_ && bits_ > kSetUpBits)
    EndTransaction(false, "glitch on SDA while SCL was high: a start after " + std::to_string(bits_) +
                              " bits of a byte");
  if (open_ && open_->segments.size() == kMostSegments)
    EndTransaction(false, "more than " + std::to_string(kMostSegments) + " repeated starts without a stop");
  if (!open_) {
    open_ = Transaction{};
    open_->startNanoseconds = segment.startNanoseconds;
    open_->line = segment.line;
  }
  open_->segments.push_back(segment);
  bits_ = 0;
  shift_ = 0;
}

void Decoder::StopCondition() {
  if (!open_) return;
  if (bits_ > kSetUpBits) {
    EndTransaction(true, "glitch on SDA while SCL was high: a stop after " + std::to_string(bits_) + " bits of a byte");
  } else if (sdaMovedWhileSclHigh_ && !open_->segments.back().addressComplete && bits_ == 0) {
    EndTransaction(true, "glitch on SDA while SCL was high: it fell and rose again without a clock");
  } else {
    EndTransaction(true);
  }
  bits_ = 0;
  shift_ = 0;
}

void Decoder::Bit(bool bit) {
  shift_ = static_cast<std::uint16_t>((shift_ << 1) | (bit ? 1 : 0));
  if (++bits_ < 9) return;
  ByteDone(static_cast<std::uint8_t>(shift_ >> 1), (shift_ & 1) == 0);
  bits_ = 0;
  shift_ = 0;
}

void Decoder::ByteDone(std::uint8_t value, bool acknowledged) {
  Segment& segment = open_->segments.back();
  if (segment.addressComplete) {
    if (segment.bytes.size() < kMostBytes)
      segment.bytes.push_back({value, acknowledged});
    else
      ++segment.bytesDropped;
    return;
  }
  segment.addressByte = value;
  segment.addressAcknowledged = acknowledged;
  segment.addressComplete = true;
  const auto& segments = open_->segments;
  if (segments.size() < 2) return;
  // A repeated start turns a write round into a read of the same device;
  // any other start without a stop before it means the stop is missing.
  const Segment& before = segments[segments.size() - 2];
  if (!before.Read() && segment.Read() && before.Address() == segment.Address()) return;
  Segment next = segment;
  open_->segments.pop_back();
  EndTransaction(false, "missing stop: a start for another transfer followed");
  open_ = Transaction{};
  open_->startNanoseconds = next.startNanoseconds;
  open_->line = next.line;
  open_->segments.push_back(std::move(next));
}

void Decoder::EndTransaction(bool stopped, const std::string& error) {
  if (!open_) return;
  Transaction transaction = std::move(*open_);
  open_.reset();
  transaction.stopped = stopped;
  if (!error.empty()) transaction.errors.push_back(error);
  Classify(transaction, options_);
  Emit(std::move(transaction));
}

void Decoder::Emit(Transaction transaction) {
  if (heldSend_) {
    Transaction send = std::move(*heldSend_);
    heldSend_.reset();
    const bool receives = (transaction.kind == Kind::ReceiveByte || transaction.kind == Kind::Read) &&
                          transaction.errors.empty() && transaction.address == send.address;
    if (receives) {
      // A send byte sets the device's pointer, and the receive byte reads
      // there: together a read with a stop between the halves.
      Transaction joined = std::move(send);
      joined.segments.push_back(std::move(transaction.segments.front()));
      joined.segments.back().stopBefore = true;
      joined.stopped = transaction.stopped;
      joined.stopBetween = true;
      Classify(joined, options_);
      sink_(std::move(joined));
      return;
    }
    sink_(std::move(send));
  }
  // Packet error codes belong to each transaction: joining is for plain ones.
  if (transaction.kind == Kind::SendByte && transaction.errors.empty() && transaction.stopped && !options_.pec) {
    heldSend_ = std::move(transaction);
    return;
  }
  sink_(std::move(transaction));
}

void Decoder::Finish() {
  EndTransaction(false, "missing stop: the trace ends inside the transaction");
  if (heldSend_) sink_(std::move(*std::exchange(heldSend_, std::nullopt)));
}

}  // namespace smbusdecode
