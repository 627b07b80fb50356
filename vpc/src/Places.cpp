#include "vpc/Places.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vpc {

namespace {

std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

std::string UserName(uid_t uid) {
  const passwd* entry = getpwuid(uid);
  return entry ? std::string(entry->pw_name) : "uid " + std::to_string(uid);
}

}  // namespace

Places UserPlaces() {
  Places places;
  if (auto state = AbsoluteFromEnvironment("XDG_STATE_HOME"))
    places.stateFile = *state / "qtseval" / "virtual-pc.state";
  else if (auto home = AbsoluteFromEnvironment("HOME"))
    places.stateFile = *home / ".local" / "state" / "qtseval" / "virtual-pc.state";
  if (auto runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR")) {
    places.runtimeDirectory = *runtime / "qtseval";
  } else {
    places.runtimeDirectory = "/tmp/qtseval-" + std::to_string(geteuid());
    if (places.stateFile) places.runtimeFallback = places.stateFile->parent_path() / "run";
  }
  return places;
}

std::string PrepareRuntimeDirectory(const std::filesystem::path& directory) {
  const std::string name = directory.string();
  if (sizeof(sockaddr_un{}.sun_path) <= (directory / "vpc.sock").string().size())
    return "the runtime directory " + name + " has too long a path for a socket";
  if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST)
    return "cannot create the runtime directory " + name + ": " + std::strerror(errno);
  struct stat status {};
  if (lstat(name.c_str(), &status) != 0) return "cannot look at " + name + ": " + std::strerror(errno);
  if (!S_ISDIR(status.st_mode)) return name + " is not a directory";
  if (status.st_uid != geteuid())
    return "the shared virtual PC at " + name + " belongs to user " + UserName(status.st_uid) +
           "; each user has a machine of their own";
  if ((status.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    return "the runtime directory " + name + " is open to other users (mode " + mode + "); it must be 0700";
  }
  return {};
}

SettledRuntime SettleRuntimeDirectory(Places& places) {
  std::string refusal = PrepareRuntimeDirectory(places.runtimeDirectory);
  if (refusal.empty() || !places.runtimeFallback) return {refusal, {}};
  // Only a place that is not this user's own moves: a directory of this user
  // with the wrong mode is the user's to mend.
  struct stat status {};
  if (lstat(places.runtimeDirectory.c_str(), &status) != 0 ||
      (S_ISDIR(status.st_mode) && status.st_uid == geteuid()))
    return {refusal, {}};
  const std::filesystem::path fallback = *places.runtimeFallback;
  std::error_code ignored;
  std::filesystem::create_directories(fallback.parent_path(), ignored);
  if (std::string second = PrepareRuntimeDirectory(fallback); !second.empty())
    return {refusal + "; the place in the home directory cannot be used either: " + second, {}};
  std::string note = places.runtimeDirectory.string() +
                     (S_ISDIR(status.st_mode) ? " belongs to user " + UserName(status.st_uid) : " is not a directory") +
                     ", so this user's shared virtual PC lives in " + fallback.string() +
                     " instead (XDG_RUNTIME_DIR chooses another place)";
  places.runtimeDirectory = fallback;
  return {{}, note};
}

}  // namespace vpc
