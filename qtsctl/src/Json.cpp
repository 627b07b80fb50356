#include "qtsctl/Json.h"

#include <cmath>
#include <cstdio>

#include "qtsctl/InputParsing.h"

namespace qtsctl {

namespace {

// The length of the UTF-8 sequence that starts at `text[i]`, or 0 when it
// is not a valid one (overlong forms, surrogates and values beyond U+10FFFF
// included).
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  std::uint32_t point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    point = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    point = point << 6 | (byte(i + k) & 0x3F);
  }
  if ((length == 3 && point < 0x800) || (length == 4 && point < 0x10000) || point > 0x10FFFF ||
      (point >= 0xD800 && point <= 0xDFFF))
    return 0;
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = Utf8Length(text, i);
      if (length == 0) {
        json += "\\ufffd";
        ++i;
      } else {
        json += text.substr(i, length);
        i += length;
      }
      continue;
    }
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c == '\n') {
      json += "\\n";
    } else if (c == '\t') {
      json += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      json += escape;
    } else {
      json += static_cast<char>(c);
    }
    ++i;
  }
  return json + "\"";
}

JsonObject& JsonObject::Member(std::string_view key, const std::string& value) {
  if (!members_.empty()) members_ += ",";
  members_ += JsonString(key) + ":" + value;
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) { return Member(key, JsonString(text)); }

JsonObject& JsonObject::Add(std::string_view key, long long number) { return Member(key, std::to_string(number)); }

JsonObject& JsonObject::Add(std::string_view key, double number) {
  if (!std::isfinite(number)) return Member(key, "null");
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", number);
  return Member(key, text);
}

JsonObject& JsonObject::Add(std::string_view key, bool value) { return Member(key, value ? "true" : "false"); }

JsonObject& JsonObject::AddNull(std::string_view key) { return Member(key, "null"); }

JsonObject& JsonObject::Add(std::string_view key, const std::vector<std::string>& texts) {
  std::string array = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) array.append(i ? "," : "").append(JsonString(texts[i]));
  return Member(key, array + "]");
}

JsonObject& JsonObject::Add(std::string_view key, const std::vector<std::optional<std::string>>& texts) {
  std::string array = "[";
  for (std::size_t i = 0; i < texts.size(); ++i) array.append(i ? "," : "").append(texts[i] ? JsonString(*texts[i]) : "null");
  return Member(key, array + "]");
}

JsonObject& JsonObject::Add(std::string_view key, const JsonObject& object) { return Member(key, object.Text()); }

JsonObject& JsonObject::Add(std::string_view key, const std::vector<JsonObject>& objects) {
  std::string array = "[";
  for (std::size_t i = 0; i < objects.size(); ++i) array.append(i ? "," : "").append(objects[i].Text());
  return Member(key, array + "]");
}

JsonObject& JsonObject::Add(std::string_view key, const std::optional<std::string>& text) {
  return text ? Add(key, std::string_view(*text)) : AddNull(key);
}

std::vector<std::string> HexTexts(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> texts;
  for (const std::uint8_t byte : bytes) texts.push_back(HexByte(byte));
  return texts;
}

}  // namespace qtsctl
