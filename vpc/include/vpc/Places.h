#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vpc {

// Where one user's shared virtual PC lives: its runtime directory (socket,
// lock and log, gone with the session) and the state file that keeps the
// board's memories across machine restarts.
struct Places {
  std::filesystem::path runtimeDirectory;
  std::optional<std::filesystem::path> stateFile;  // none without a home directory

  std::filesystem::path Socket() const { return runtimeDirectory / "vpc.sock"; }
  std::filesystem::path Lock() const { return runtimeDirectory / "vpc.lock"; }
  std::filesystem::path Log() const { return runtimeDirectory / "vpc.log"; }
};

// $XDG_RUNTIME_DIR/qtseval (else /tmp/qtseval-UID), and
// $XDG_STATE_HOME/qtseval/virtual-pc.state (else ~/.local/state/qtseval/...).
Places UserPlaces();

// Creates the runtime directory if it is missing and makes sure that it is a
// directory of this user that no one else may enter, so that no other user
// can reach or stand in for this user's machine. Answers what is wrong, or an
// empty text.
std::string PrepareRuntimeDirectory(const std::filesystem::path& directory);

}  // namespace vpc
