#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

// A value change dump (VCD) as a stream of SCL and SDA levels, read from any
// recorder: the virtual PC's traces, a logic analyser's export (which puts a
// time and its changes on one line), a simulator's dump with scopes, vectors
// and reals. Only the two wires are kept; everything else is read and
// passed over. Memory stays bounded whatever the input: words are limited in
// length, and declarations are remembered only up to a limit.
namespace vcd {

// A trace that cannot be read. The message names the line.
class ReadError : public std::runtime_error {
 public:
  ReadError(std::size_t line, const std::string& message);
  std::size_t Line() const { return line_; }

 private:
  std::size_t line_;
};

// The levels that changed at one time: a wire that was not assigned at this
// time is empty. A 'z' (released) reads high, as the pull-up leaves it; an
// 'x' (unknown) leaves the wire empty.
struct Step {
  std::uint64_t time;  // in the trace's ticks
  std::optional<bool> scl;
  std::optional<bool> sda;
  std::size_t line;  // where the time stamp stands
  bool initial;      // from $dumpvars (or before the first time stamp): levels, not edges
};

class Reader {
 public:
  // Wires are found by name, compared without regard to case.
  Reader(std::istream& in, std::string sclName = "SCL", std::string sdaName = "SDA");

  // Reads the declarations up to $enddefinitions. Throws ReadError when
  // they are damaged, or when either wire is missing or wider than one bit.
  void ReadHeader();
  // Length of one tick in nanoseconds ($timescale; 1 ns when not given).
  double NanosecondsPerTick() const { return nanosecondsPerTick_; }

  // The next time at which SCL or SDA was assigned; empty at the end of the
  // trace. Throws ReadError for damage: a word that is no time and no value
  // change, a time that goes back, an identifier never declared, binary data,
  // a section without its $end.
  std::optional<Step> Next();

  std::size_t Line() const { return line_; }

 private:
  // The next word, or empty at the end; `wordLine_` is where it started.
  std::optional<std::string> Word();
  std::string Expect(const std::string& context);
  // Passes over the rest of the line the last word stood on.
  void SkipLine();
  void SkipSection(const std::string& keyword);
  void ReadTimescale();
  void ReadVar();
  // Applies a value change word (and, for vectors and reals, its identifier).
  void ValueChange(const std::string& word);
  void Assign(const std::string& id, char value);
  void CheckDeclared(const std::string& id);

  std::istream& in_;
  std::string sclName_;
  std::string sdaName_;
  std::size_t line_ = 1;
  std::size_t wordLine_ = 1;
  double nanosecondsPerTick_ = 1;

  std::optional<std::string> sclId_;
  std::optional<std::string> sdaId_;
  std::vector<std::string> otherNames_;  // a few, for the message when a wire is missing
  std::unordered_set<std::string> declared_;
  bool declaredOverflow_ = false;

  bool inDump_ = false;  // between $dumpvars (or $dumpall, ...) and its $end
  bool timeSeen_ = false;
  std::uint64_t time_ = 0;
  std::size_t timeLine_ = 1;
  std::optional<Step> pending_;  // changes at the current time, not yet handed out
  bool ended_ = false;
};

}  // namespace vcd
