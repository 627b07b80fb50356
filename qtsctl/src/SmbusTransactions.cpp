// Naming a transaction by its shape on the wire, as SMBus defines them, and
// checking its acknowledges and packet error code.
#include <cstdio>
#include <span>

#include "comport/CommunicationsProcedures.h"
#include "qtsctl/SmbusDecoder.h"

namespace smbusdecode {

namespace {

constexpr std::uint8_t kAlertResponseAddress = 0x0C;

std::string Hex(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
  return text;
}

std::vector<std::uint8_t> Values(const Segment& segment) {
  std::vector<std::uint8_t> values;
  for (const WireByte& byte : segment.bytes) values.push_back(byte.value);
  return values;
}

// Every acknowledge where SMBus wants one: the device's after each address
// and written byte, the master's after each byte read but the last.
void CheckAcknowledges(Transaction& transaction) {
  for (std::size_t s = 0; s < transaction.segments.size(); ++s) {
    const Segment& segment = transaction.segments[s];
    const std::string where = s == 0 ? "" : " after the repeated start";
    if (!segment.addressAcknowledged) {
      transaction.errors.push_back("NACK where an ACK was due: " + Hex(segment.Address()) +
                                   " did not acknowledge its address" + where);
      continue;
    }
    const std::size_t count = segment.bytes.size();
    for (std::size_t i = 0; i < count; ++i) {
      const bool acknowledged = segment.bytes[i].acknowledged;
      const std::string which = "byte " + std::to_string(i + 1) + " (" + Hex(segment.bytes[i].value) + ")";
      if (!segment.Read() && !acknowledged)
        transaction.errors.push_back("NACK where an ACK was due: " + Hex(segment.Address()) + " refused " + which);
      const bool last = i + 1 == count && segment.bytesDropped == 0;
      if (segment.Read() && !acknowledged && !last)
        transaction.errors.push_back("NACK where an ACK was due: the master did not acknowledge " + which +
                                     ", yet it read on");
      const bool ends = transaction.stopped || s + 1 < transaction.segments.size();
      if (segment.Read() && acknowledged && last && ends)
        transaction.errors.push_back("the master acknowledged the last byte it read; it must not");
    }
  }
}

// The code over every byte on the wire before the last, which carries it.
void CheckPec(Transaction& transaction) {
  std::vector<std::uint8_t> bytes;
  for (const Segment& segment : transaction.segments) {
    bytes.push_back(segment.addressByte);
    for (const WireByte& byte : segment.bytes) bytes.push_back(byte.value);
  }
  const std::uint8_t received = bytes.back();
  bytes.pop_back();
  const std::uint8_t computed = comport::CommunicationsProcedures::ComputePEC(std::span<const std::uint8_t>(bytes));
  transaction.pec = PecCheck{received, computed};
  if (received != computed)
    transaction.errors.push_back("PEC mismatch: received " + Hex(received) + ", the bytes give " + Hex(computed));
}

// With `pec`, the last byte is taken for the code when there is one beyond the first.
void NameWrite(Transaction& transaction, const std::vector<std::uint8_t>& w, bool pec) {
  pec = pec && w.size() >= 2;
  const std::size_t n = w.size() - (pec ? 1 : 0);
  if (w.empty()) {
    transaction.kind = Kind::QuickWrite;
  } else if (n == 1) {
    transaction.kind = Kind::SendByte;
    transaction.data = {w[0]};
  } else if (n == 2) {
    transaction.kind = Kind::WriteByte;
    transaction.command = w[0];
    transaction.data = {w[1]};
  } else if (n == 3) {
    // A word wins over a block of one byte, which looks the same.
    transaction.kind = Kind::WriteWord;
    transaction.command = w[0];
    transaction.word = static_cast<std::uint16_t>(w[1] | w[2] << 8);
    transaction.data = {w[1], w[2]};
  }
  if (transaction.kind != Kind::StartStop) {
    if (pec) CheckPec(transaction);
    return;
  }
  // Blocks tell by their count whether a code follows.
  const std::size_t count = w[1];
  if (count >= 1 && (count + 2 == w.size() || count + 3 == w.size())) {
    transaction.kind = Kind::BlockWrite;
    transaction.command = w[0];
    transaction.count = w[1];
    transaction.data.assign(w.begin() + 2, w.begin() + 2 + static_cast<std::ptrdiff_t>(count));
    if (count + 3 == w.size()) CheckPec(transaction);
    return;
  }
  transaction.kind = Kind::Write;
  transaction.data = w;
}

void NameRead(Transaction& transaction, const std::vector<std::uint8_t>& r, bool pec) {
  pec = pec && r.size() >= 2;
  const std::size_t n = r.size() - (pec ? 1 : 0);
  if (r.empty()) {
    transaction.kind = Kind::QuickRead;
    return;
  }
  if (n == 1) {
    transaction.kind = transaction.address == kAlertResponseAddress ? Kind::AlertResponse : Kind::ReceiveByte;
    transaction.data = {r[0]};
    if (transaction.kind == Kind::AlertResponse) transaction.alertingAddress = static_cast<std::uint8_t>(r[0] >> 1);
    if (pec) CheckPec(transaction);
    return;
  }
  transaction.kind = Kind::Read;
  transaction.data = r;
}

void NameWriteRead(Transaction& transaction, const std::vector<std::uint8_t>& w, const std::vector<std::uint8_t>& r,
                   bool pec) {
  pec = pec && r.size() >= 2;
  const std::size_t n = r.size() - (pec ? 1 : 0);
  if (w.size() == 1 && !r.empty()) {
    transaction.command = w[0];
    if (n == 1) {
      transaction.kind = Kind::ReadByte;
      transaction.data = {r[0]};
    } else if (n == 2) {
      transaction.kind = Kind::ReadWord;
      transaction.word = static_cast<std::uint16_t>(r[0] | r[1] << 8);
      transaction.data = {r[0], r[1]};
    }
    if (transaction.kind != Kind::StartStop) {
      if (pec) CheckPec(transaction);
      return;
    }
    const std::size_t count = r[0];
    if (count >= 1 && (count + 1 == r.size() || count + 2 == r.size())) {
      transaction.kind = Kind::BlockRead;
      transaction.count = r[0];
      transaction.data.assign(r.begin() + 1, r.begin() + 1 + static_cast<std::ptrdiff_t>(count));
      if (count + 2 == r.size()) CheckPec(transaction);
      return;
    }
  }
  transaction.kind = Kind::WriteRead;
  transaction.written = w;
  transaction.data = r;
}

}  // namespace

std::string KindName(Kind kind) {
  switch (kind) {
    case Kind::StartStop:
      return "start and stop";
    case Kind::NotAcknowledged:
      return "no acknowledge";
    case Kind::QuickWrite:
      return "quick write";
    case Kind::QuickRead:
      return "quick read";
    case Kind::SendByte:
      return "send byte";
    case Kind::ReceiveByte:
      return "receive byte";
    case Kind::AlertResponse:
      return "alert response";
    case Kind::WriteByte:
      return "write byte";
    case Kind::WriteWord:
      return "write word";
    case Kind::ReadByte:
      return "read byte";
    case Kind::ReadWord:
      return "read word";
    case Kind::BlockWrite:
      return "block write";
    case Kind::BlockRead:
      return "block read";
    case Kind::Write:
      return "write";
    case Kind::Read:
      return "read";
    case Kind::WriteRead:
      return "write and read";
  }
  return "unknown";
}

void Classify(Transaction& transaction, const Options& options) {
  transaction.kind = Kind::StartStop;
  auto& segments = transaction.segments;
  // A start whose address byte never finished: a start and stop of its own,
  // or a repeated start that led nowhere.
  if (!segments.empty() && !segments.back().addressComplete) {
    segments.pop_back();
    if (!segments.empty()) transaction.errors.push_back("a repeated start with no address after it");
  }
  if (segments.empty()) return;
  transaction.address = segments.front().Address();
  if (!segments.front().addressAcknowledged && segments.size() == 1 && segments.front().bytes.empty()) {
    // Nobody there: the answer to a probe, not a fault of the wire.
    transaction.kind = Kind::NotAcknowledged;
    return;
  }
  CheckAcknowledges(transaction);
  bool dropped = false;
  for (const Segment& segment : segments) dropped = dropped || segment.bytesDropped > 0;
  // Packet error codes of joined halves belong to each half; joining is for plain ones.
  const bool pec = options.pec && !transaction.stopBetween && !dropped;
  if (segments.size() == 1) {
    if (segments[0].Read())
      NameRead(transaction, Values(segments[0]), pec);
    else
      NameWrite(transaction, Values(segments[0]), pec);
    return;
  }
  if (segments.size() == 2 && !segments[0].Read() && segments[1].Read() && !dropped) {
    NameWriteRead(transaction, Values(segments[0]), Values(segments[1]), pec);
    return;
  }
  transaction.kind = Kind::WriteRead;
  for (const Segment& segment : segments) {
    const auto values = Values(segment);
    auto& into = segment.Read() ? transaction.data : transaction.written;
    into.insert(into.end(), values.begin(), values.end());
  }
}

std::string WireText(const Transaction& transaction) {
  if (transaction.segments.empty()) return transaction.stopped ? "S P" : "S";
  std::string text;
  for (std::size_t s = 0; s < transaction.segments.size(); ++s) {
    const Segment& segment = transaction.segments[s];
    if (s == 0)
      text += "S ";
    else
      text += segment.stopBefore ? " P S " : " Sr ";
    char byte[8];
    std::snprintf(byte, sizeof byte, "%02X %c", segment.addressByte, segment.addressAcknowledged ? 'A' : 'N');
    text += byte;
    for (const WireByte& data : segment.bytes) {
      std::snprintf(byte, sizeof byte, " %02X %c", data.value, data.acknowledged ? 'A' : 'N');
      text += byte;
    }
    if (segment.bytesDropped > 0) text.append(" (+").append(std::to_string(segment.bytesDropped)).append(" bytes)");
  }
  if (transaction.stopped) text += " P";
  return text;
}

}  // namespace smbusdecode
