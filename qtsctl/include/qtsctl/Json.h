#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The tool's --json output: one JSON object per line. Texts are escaped as
// JSON requires, and bytes that are no valid UTF-8 (a name read from a
// damaged file) become U+FFFD, so every line is valid JSON.
namespace qtsctl {

std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  JsonObject& Add(std::string_view key, const std::string& text) { return Add(key, std::string_view(text)); }
  JsonObject& Add(std::string_view key, long long number);
  JsonObject& Add(std::string_view key, int number) { return Add(key, static_cast<long long>(number)); }
  JsonObject& Add(std::string_view key, std::size_t number) { return Add(key, static_cast<long long>(number)); }
  JsonObject& Add(std::string_view key, double number);
  JsonObject& Add(std::string_view key, bool value);
  JsonObject& AddNull(std::string_view key);
  JsonObject& Add(std::string_view key, const std::vector<std::string>& texts);
  // Texts, with null for the empty ones.
  JsonObject& Add(std::string_view key, const std::vector<std::optional<std::string>>& texts);
  JsonObject& Add(std::string_view key, const JsonObject& object);
  JsonObject& Add(std::string_view key, const std::vector<JsonObject>& objects);
  // A text, or null when empty.
  JsonObject& Add(std::string_view key, const std::optional<std::string>& text);

  std::string Text() const { return "{" + members_ + "}"; }

 private:
  JsonObject& Member(std::string_view key, const std::string& value);
  std::string members_;
};

// "0x4C" texts for a list of bytes.
std::vector<std::string> HexTexts(const std::vector<std::uint8_t>& bytes);

}  // namespace qtsctl
