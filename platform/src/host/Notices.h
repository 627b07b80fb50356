#pragma once

#include <string>

namespace platform::host {

// One line on stderr for the user, prefixed "QtsEval host: ". The host
// backend's refusals come this way, because the component skips a refused
// access without a word.
void Notice(const std::string& text);
// The same, but only the first time for `key` in this process.
void NoticeOnce(const std::string& key, const std::string& text);

}  // namespace platform::host
