#pragma once

#include <string_view>
#include <vector>

namespace platform {

// One item of a backend's option text "key=value,flag,...".
struct OptionItem {
  std::string_view text;  // the whole item, for messages
  std::string_view key;
  std::string_view value;  // empty without '='
  bool hasValue;
};

// The items of an option text in order; empty items (",,") are skipped.
inline std::vector<OptionItem> SplitOptionItems(std::string_view text) {
  std::vector<OptionItem> items;
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (item.empty()) continue;
    const auto equals = item.find('=');
    items.push_back({item, item.substr(0, equals),
                     equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1),
                     equals != std::string_view::npos});
  }
  return items;
}

}  // namespace platform
