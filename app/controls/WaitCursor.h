#pragma once

namespace controls {

// The hourglass over every window of the program while it lives, on child
// controls with a cursor of their own too; the previous cursor comes back
// however the scope ends, a failure included.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();

  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace controls
