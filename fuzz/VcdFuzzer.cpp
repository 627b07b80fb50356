// VCD traces from anywhere: read and decoded into SMBus transactions, with
// and without packet error codes. A damaged trace is refused with a message
// naming a line of it; nothing else may fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "qtsctl/SmbusDecoder.h"
#include "qtsctl/VcdReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t lines = 1;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  for (const bool pec : {false, true}) {
    std::istringstream in(text);
    try {
      vcd::Reader reader(in);
      reader.ReadHeader();
      smbusdecode::Decoder decoder({pec}, reader.NanosecondsPerTick(), [](smbusdecode::Transaction transaction) {
        smbusdecode::WireText(transaction);
        smbusdecode::KindName(transaction.kind);
      });
      while (const auto step = reader.Next()) decoder.Add(*step);
      decoder.Finish();
    } catch (const vcd::ReadError& damage) {
      if (damage.Line() < 1 || damage.Line() > lines) std::abort();
      if (std::string(damage.what()).rfind("line " + std::to_string(damage.Line()) + ": ", 0) != 0) std::abort();
    }
  }
  return 0;
}
