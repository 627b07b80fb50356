#pragma once

#include <string>

#include "vpc/FrameStream.h"

namespace platform::shared {

struct Attachment {
  vpc::FrameStream stream;
  vpc::Introduction introduction;  // accepted
};

// Connects this program to the user's shared virtual PC, starting its server
// (qtsvpc, beside this library) when none runs. What a server it started has
// to say about its start (a state file it refused) goes to stderr. Throws
// BackendUnavailable saying why the machine cannot be had.
Attachment Attach(const std::string& options);

}  // namespace platform::shared
