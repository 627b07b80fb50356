#pragma once

#include <sstream>
#include <string>
#include <vector>

// The register transfers in a decoded bus trace (support::Decode).

// One register transfer to a device: a read byte (with a stop or a repeated
// start between its halves) or a write byte.
struct RegisterTransfer {
  bool read;
  int code;
  int value;
  bool operator==(const RegisterTransfer&) const = default;
};

// The register transfers to the device at `addressByte` in a decoded trace.
inline std::vector<RegisterTransfer> RegisterTransfers(const std::string& decoded, int addressByte) {
  std::vector<std::string> tokens;
  std::istringstream words(decoded);
  for (std::string word; words >> word;) tokens.push_back(word);
  auto isByte = [&](std::size_t i) { return i < tokens.size() && tokens[i].size() == 3; };
  auto byteAt = [&](std::size_t i) { return std::stoi(tokens[i].substr(0, 2), nullptr, 16); };
  std::vector<RegisterTransfer> transfers;
  for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
    if (tokens[i] != "S" || !isByte(i + 1) || byteAt(i + 1) != addressByte || !isByte(i + 2)) continue;
    const int code = byteAt(i + 2);
    std::size_t next = i + 3;
    if (next < tokens.size() && tokens[next] == "P") ++next;
    if (next < tokens.size() && tokens[next] == "S" && isByte(next + 1) && byteAt(next + 1) == (addressByte | 1) &&
        isByte(next + 2)) {
      transfers.push_back({true, code, byteAt(next + 2)});
      i = next + 2;
    } else if (isByte(next)) {
      transfers.push_back({false, code, byteAt(next)});
      i = next;
    }
  }
  return transfers;
}
