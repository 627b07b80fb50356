#include "Notices.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace platform::host {

void Notice(const std::string& text) { std::fprintf(stderr, "QtsEval host: %s\n", text.c_str()); }

void NoticeOnce(const std::string& key, const std::string& text) {
  static std::mutex mutex;
  static std::set<std::string> told;
  std::lock_guard lock(mutex);
  if (told.insert(key).second) Notice(text);
}

}  // namespace platform::host
