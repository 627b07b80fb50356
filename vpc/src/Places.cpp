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
  if (auto runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR"))
    places.runtimeDirectory = *runtime / "qtseval";
  else
    places.runtimeDirectory = "/tmp/qtseval-" + std::to_string(geteuid());
  if (auto state = AbsoluteFromEnvironment("XDG_STATE_HOME"))
    places.stateFile = *state / "qtseval" / "virtual-pc.state";
  else if (auto home = AbsoluteFromEnvironment("HOME"))
    places.stateFile = *home / ".local" / "state" / "qtseval" / "virtual-pc.state";
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

}  // namespace vpc
