#pragma once

#include <functional>

namespace platform {

// Lets waiting code hand control to the window's pending messages. A program
// with windows installs its event processing; elsewhere pumping does nothing.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void DoEvents() = 0;
  virtual void SetMessagePump(std::function<void()> pump) = 0;
};

}  // namespace platform
