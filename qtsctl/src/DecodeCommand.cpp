#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>

#include "qtsctl/BadInput.h"
#include "qtsctl/Commands.h"
#include "qtsctl/InputParsing.h"
#include "qtsctl/Interrupt.h"
#include "qtsctl/Json.h"
#include "qtsctl/SmbusDecoder.h"

namespace qtsctl {

namespace {

using smbusdecode::Kind;
using smbusdecode::Transaction;

std::string HexWord(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string Bytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    text.append(text.empty() ? "" : " ").append(hex);
  }
  return text;
}

// What the transaction carried, in words.
std::string Details(const Transaction& t) {
  std::string text;
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "  ") + part; };
  switch (t.kind) {
    case Kind::NotAcknowledged:
      add(std::string("nobody acknowledged the address (") + (t.segments.front().Read() ? "read" : "write") + ")");
      break;
    case Kind::SendByte:
      add("byte " + HexByte(t.data.front()));
      break;
    case Kind::AlertResponse:
      add(HexByte(*t.alertingAddress) + " is alerting (it answered " + HexByte(t.data.front()) + ")");
      break;
    case Kind::WriteRead:
      if (t.command) add("command " + HexByte(*t.command));
      add("wrote " + Bytes(t.written));
      add("read " + Bytes(t.data));
      break;
    default:
      if (t.command) add("command " + HexByte(*t.command));
      if (t.count) add("count " + std::to_string(*t.count));
      if (t.word) add("word " + HexWord(*t.word));
      else if (!t.data.empty()) add((t.data.size() == 1 ? "data " + HexByte(t.data.front()) : "data " + Bytes(t.data)));
      break;
  }
  if (t.pec)
    add("PEC " + HexByte(t.pec->received) + (t.pec->Ok() ? " ok" : " wrong, the bytes give " + HexByte(t.pec->computed)));
  if (t.stopBetween) add("(a stop between the halves)");
  return text;
}

std::string TextLine(const Transaction& t) {
  char head[80];
  std::snprintf(head, sizeof head, "%14.3f us  %-15s %-5s ", t.startNanoseconds / 1000.0,
                smbusdecode::KindName(t.kind).c_str(), t.address ? HexByte(*t.address).c_str() : "-");
  std::string line = head + Details(t);
  line += "  [" + smbusdecode::WireText(t) + "]";
  for (std::size_t i = 0; i < t.errors.size(); ++i) line += (i == 0 ? "  ERROR: " : "; ") + t.errors[i];
  return line;
}

std::string JsonLine(const Transaction& t) {
  JsonObject json;
  json.Add("time_us", t.startNanoseconds / 1000.0).Add("line", t.line).Add("kind", smbusdecode::KindName(t.kind));
  json.Add("address", t.address ? std::optional(HexByte(*t.address)) : std::nullopt);
  if (!t.segments.empty()) json.Add("read", t.segments.back().Read());
  json.Add("command", t.command ? std::optional(HexByte(*t.command)) : std::nullopt);
  if (t.count) json.Add("count", static_cast<int>(*t.count));
  if (t.word) json.Add("word", HexWord(*t.word));
  json.Add("data", HexTexts(t.data));
  if (!t.written.empty()) json.Add("written", HexTexts(t.written));
  if (t.alertingAddress) json.Add("alerting", HexByte(*t.alertingAddress));
  if (t.pec)
    json.Add("pec", JsonObject().Add("received", HexByte(t.pec->received)).Add("computed", HexByte(t.pec->computed)).Add("ok", t.pec->Ok()));
  json.Add("stop", t.stopped).Add("stopBetween", t.stopBetween).Add("wire", smbusdecode::WireText(t)).Add("errors", t.errors);
  return json.Text();
}

}  // namespace

int Decode(const DecodeRequest& request, std::istream& in, Output& output) {
  std::ifstream file;
  const bool standardInput = request.file == "-";
  if (!standardInput) {
    file.open(request.file, std::ios::binary);
    if (!file) throw BadInput("cannot open the trace \"" + request.file + "\": " + std::strerror(errno));
  }
  std::istream& trace = standardInput ? in : file;
  const std::string name = standardInput ? "standard input" : request.file;
  std::size_t transactions = 0;
  std::size_t withErrors = 0;
  try {
    vcd::Reader reader(trace, request.scl, request.sda);
    reader.ReadHeader();
    smbusdecode::Decoder decoder({request.pec}, reader.NanosecondsPerTick(), [&](Transaction t) {
      ++transactions;
      if (!t.errors.empty()) ++withErrors;
      output.out << (output.json ? JsonLine(t) : TextLine(t)) << '\n';
    });
    while (const auto step = reader.Next()) {
      decoder.Add(*step);
      ThrowIfStopped();
    }
    // Ctrl-C while standard input is read ends the read as if the trace
    // ended there; the trace is not over, so nothing more is decoded.
    ThrowIfStopped();
    decoder.Finish();
  } catch (const vcd::ReadError& damage) {
    ThrowIfStopped();
    output.out << std::flush;
    throw BadInput(name + ": " + damage.what());
  }
  if (trace.bad()) throw BadInput("cannot read the trace \"" + name + "\"");
  if (transactions == 0) output.err << "qtsctl: " << name << " holds no SMBus transaction\n";
  if (withErrors == 0) return kSuccess;
  output.err << "qtsctl: " << withErrors << " of " << transactions << " transactions show errors on the wire\n";
  return kFailure;
}

}  // namespace qtsctl
