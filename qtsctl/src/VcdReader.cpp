#include "qtsctl/VcdReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>

namespace vcd {

namespace {

// Limits that keep memory bounded on any input.
constexpr std::size_t kLongestWord = 4096;
constexpr std::size_t kMostRemembered = 100'000;  // declared identifiers checked
constexpr std::size_t kMostNamesListed = 8;
constexpr std::size_t kLongestDeclaration = 16;  // words between $var (or $timescale) and $end

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool IsBinary(int c) { return (c >= 0 && c < 0x20 && !IsSpace(c)) || c == 0x7F; }

bool IsScalarValue(char c) { return std::string_view("01xXzZ").find(c) != std::string_view::npos; }

std::string Quoted(const std::string& word) {
  constexpr std::size_t kShown = 40;
  return "\"" + (word.size() > kShown ? word.substr(0, kShown) + "..." : word) + "\"";
}

// "SDA", "sda[0]", "top.sda": the reference without a bit index.
std::string ReferenceName(const std::string& reference) { return reference.substr(0, reference.find('[')); }

}  // namespace

ReadError::ReadError(std::size_t line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

Reader::Reader(std::istream& in, std::string sclName, std::string sdaName)
    : in_(in), sclName_(Lower(std::move(sclName))), sdaName_(Lower(std::move(sdaName))) {}

std::optional<std::string> Reader::Word() {
  int c = in_.get();
  while (c != std::char_traits<char>::eof() && IsSpace(c)) {
    if (c == '\n') ++line_;
    c = in_.get();
  }
  if (c == std::char_traits<char>::eof()) return std::nullopt;
  wordLine_ = line_;
  std::string word;
  while (c != std::char_traits<char>::eof() && !IsSpace(c)) {
    if (IsBinary(c)) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      throw ReadError(line_, std::string("binary data (byte ") + hex + "): this is not a text trace");
    }
    if (word.size() == kLongestWord)
      throw ReadError(wordLine_, "a word of more than " + std::to_string(kLongestWord) + " characters");
    word += static_cast<char>(c);
    c = in_.get();
  }
  if (c == '\n') ++line_;
  return word;
}

void Reader::SkipLine() {
  if (line_ != wordLine_) return;  // the word ended the line
  for (std::size_t skipped = 0;; ++skipped) {
    const int c = in_.get();
    if (c == std::char_traits<char>::eof()) return;
    if (c == '\n') {
      ++line_;
      return;
    }
    if (IsBinary(c)) throw ReadError(line_, "binary data: this is not a text trace");
    if (skipped == kLongestWord) throw ReadError(line_, "a line of more than " + std::to_string(kLongestWord) + " characters");
  }
}

std::string Reader::Expect(const std::string& context) {
  auto word = Word();
  if (!word) throw ReadError(line_, "the trace ends inside " + context);
  return *word;
}

void Reader::SkipSection(const std::string& keyword) {
  const std::size_t start = wordLine_;
  for (;;) {
    const auto word = Word();
    if (!word) throw ReadError(start, "the " + keyword + " section has no $end");
    if (*word == "$end") return;
  }
}

void Reader::ReadTimescale() {
  const std::size_t start = wordLine_;
  std::string text;
  for (std::size_t words = 0;; ++words) {
    const std::string word = Expect("$timescale");
    if (word == "$end") break;
    if (words == kLongestDeclaration) throw ReadError(start, "the $timescale section has no $end");
    text += word;
  }
  struct Unit {
    const char* name;
    double nanoseconds;
  };
  constexpr Unit kUnits[]{{"fs", 1e-6}, {"ps", 1e-3}, {"ns", 1}, {"us", 1e3}, {"ms", 1e6}, {"s", 1e9}};
  for (const char* number : {"100", "10", "1"}) {
    const std::string prefix = number;
    if (!text.starts_with(prefix)) continue;
    const std::string unit = Lower(text.substr(prefix.size()));
    for (const Unit& known : kUnits) {
      if (unit != known.name) continue;
      nanosecondsPerTick_ = std::stod(prefix) * known.nanoseconds;
      return;
    }
  }
  throw ReadError(start, "time scale " + Quoted(text) + " is not 1, 10 or 100 of s, ms, us, ns, ps or fs");
}

void Reader::ReadVar() {
  const std::size_t start = wordLine_;
  std::vector<std::string> words;
  for (;;) {
    std::string word = Expect("$var");
    if (word == "$end") break;
    if (words.size() == kLongestDeclaration) throw ReadError(start, "the $var section has no $end");
    words.push_back(std::move(word));
  }
  if (words.size() < 4) throw ReadError(start, "a $var needs a type, a width, an identifier and a name");
  const std::string& width = words[1];
  const std::string& id = words[2];
  const std::string name = ReferenceName(words[3]);
  if (declared_.size() < kMostRemembered)
    declared_.insert(id);
  else
    declaredOverflow_ = true;
  const std::string lower = Lower(name);
  const bool scl = lower == sclName_ && !sclId_;
  const bool sda = lower == sdaName_ && !sdaId_;
  if (!scl && !sda) {
    if (otherNames_.size() < kMostNamesListed) otherNames_.push_back(name);
    return;
  }
  if (width != "1") throw ReadError(start, "wire " + name + " is " + width + " bits wide; a bus line is one bit");
  (scl ? sclId_ : sdaId_) = id;
}

void Reader::ReadHeader() {
  for (;;) {
    const auto word = Word();
    if (!word) throw ReadError(line_, "the trace ends before $enddefinitions");
    if (*word == "$var") {
      ReadVar();
    } else if (*word == "$timescale") {
      ReadTimescale();
    } else if (*word == "$enddefinitions") {
      const std::size_t at = wordLine_;
      if (Expect("$enddefinitions") != "$end") throw ReadError(wordLine_, "$enddefinitions without its $end");
      for (const auto& [id, name] : {std::pair{&sclId_, &sclName_}, std::pair{&sdaId_, &sdaName_}}) {
        if (*id) continue;
        std::string names;
        for (const auto& other : otherNames_) names += (names.empty() ? "" : ", ") + other;
        throw ReadError(at, "no wire named " + Quoted(*name) + " is declared" +
                                (names.empty() ? "" : " (wires: " + names + ")"));
      }
      if (*sclId_ == *sdaId_) throw ReadError(at, "SCL and SDA are declared as the same signal");
      return;
    } else if (word->starts_with("$")) {
      // $date, $version, $comment, $scope, $upscope and any other section.
      SkipSection(*word);
    } else if (*word == "META" && wordLine_ == 1) {
      // sigrok-cli puts "META samplerate: N" above the header when it
      // converts a trace; the time scale says the same.
      SkipLine();
    } else {
      throw ReadError(wordLine_, Quoted(*word) + " stands among the declarations, outside any section");
    }
  }
}

void Reader::CheckDeclared(const std::string& id) {
  if (!declaredOverflow_ && !declared_.contains(id))
    throw ReadError(wordLine_, "a value change for identifier " + Quoted(id) + ", which no $var declares");
}

void Reader::Assign(const std::string& id, char value) {
  CheckDeclared(id);
  const bool scl = id == *sclId_;
  if (!scl && id != *sdaId_) return;
  if (!pending_) pending_ = Step{time_, {}, {}, timeLine_, inDump_ || !timeSeen_};
  if (value == 'x' || value == 'X') return;
  (scl ? pending_->scl : pending_->sda) = value != '0';
}

void Reader::ValueChange(const std::string& word) {
  const char kind = word[0];
  if (IsScalarValue(kind)) {
    if (word.size() == 1) throw ReadError(wordLine_, "value " + Quoted(word) + " names no identifier");
    Assign(word.substr(1), kind);
    return;
  }
  if (kind == 'b' || kind == 'B') {
    const std::string value = word.substr(1);
    if (value.empty() || !std::all_of(value.begin(), value.end(), IsScalarValue))
      throw ReadError(wordLine_, Quoted(word) + " is not a binary value");
    Assign(Expect("a value change"), value.back());
    return;
  }
  if (kind == 'r' || kind == 'R' || kind == 's' || kind == 'S') {
    const std::string id = Expect("a value change");
    CheckDeclared(id);
    if (id == *sclId_ || id == *sdaId_) throw ReadError(wordLine_, "a bus line gets the value " + Quoted(word));
    return;
  }
  throw ReadError(wordLine_, Quoted(word) + " is neither a time stamp (#...) nor a value change");
}

std::optional<Step> Reader::Next() {
  if (ended_) return std::nullopt;
  for (;;) {
    const auto word = Word();
    if (!word) {
      if (inDump_) throw ReadError(line_, "the trace ends inside a $dump section");
      ended_ = true;
      return std::exchange(pending_, std::nullopt);
    }
    if (word->front() == '#') {
      std::uint64_t time = 0;
      const char* first = word->data() + 1;
      const char* last = word->data() + word->size();
      const auto [end, error] = std::from_chars(first, last, time);
      if (first == last || error != std::errc{} || end != last)
        throw ReadError(wordLine_, "time stamp " + Quoted(*word) + " is not a whole number of ticks");
      if (timeSeen_ && time < time_)
        throw ReadError(wordLine_, "time " + std::to_string(time) + " comes after the later time " +
                                       std::to_string(time_));
      auto due = std::exchange(pending_, std::nullopt);
      time_ = time;
      timeLine_ = wordLine_;
      timeSeen_ = true;
      if (due) return due;
    } else if (*word == "$dumpvars" || *word == "$dumpall" || *word == "$dumpon" || *word == "$dumpoff") {
      if (inDump_) throw ReadError(wordLine_, *word + " inside another $dump section");
      auto due = std::exchange(pending_, std::nullopt);
      inDump_ = true;
      if (due) return due;
    } else if (*word == "$end") {
      if (!inDump_) throw ReadError(wordLine_, "an $end that closes no section");
      inDump_ = false;
      if (pending_) return std::exchange(pending_, std::nullopt);
    } else if (*word == "$comment") {
      SkipSection(*word);
    } else if (word->front() == '$') {
      throw ReadError(wordLine_, *word + " after $enddefinitions");
    } else {
      ValueChange(*word);
    }
  }
}

}  // namespace vcd
