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
  // Where the runtime directory goes when its place in /tmp, which any user
  // can take first, has been taken: a place under the home directory.
  std::optional<std::filesystem::path> runtimeFallback;
  std::optional<std::filesystem::path> stateFile;  // none without a home directory

  std::filesystem::path Socket() const { return runtimeDirectory / "vpc.sock"; }
  std::filesystem::path Lock() const { return runtimeDirectory / "vpc.lock"; }
  std::filesystem::path Log() const { return runtimeDirectory / "vpc.log"; }
};

// $XDG_RUNTIME_DIR/qtseval (else /tmp/qtseval-UID, falling back to
// $XDG_STATE_HOME/qtseval/run), and $XDG_STATE_HOME/qtseval/virtual-pc.state
// (else ~/.local/state/qtseval/...).
Places UserPlaces();

// Creates the runtime directory if it is missing and makes sure that it is a
// directory of this user that no one else may enter, so that no other user
// can reach or stand in for this user's machine. Answers what is wrong, or an
// empty text.
std::string PrepareRuntimeDirectory(const std::filesystem::path& directory);

// Prepares the places' runtime directory; when another user has taken its
// place in /tmp, moves it to the fallback, so that no other user can keep
// this user from the machine. Every program and the server settle it the
// same way, so they meet in the same place.
struct SettledRuntime {
  std::string refusal;  // why there is no runtime directory; empty when there is one
  std::string note;     // where the machine went instead; empty when it is where it belongs
};
SettledRuntime SettleRuntimeDirectory(Places& places);

}  // namespace vpc
