#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace comport {

// An event of a component class: handlers run synchronously, in the order
// they subscribed, on the thread that raises the event. An empty handler is
// skipped; an exception from a handler passes to the caller of the method
// that raised the event.
template <typename... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;
  using Subscription = std::uint64_t;

  Subscription Subscribe(Handler handler) {
    handlers_.emplace(++last_, std::move(handler));
    return last_;
  }
  void Unsubscribe(Subscription subscription) { handlers_.erase(subscription); }

  void Raise(Args... args) const {
    // A handler may subscribe or unsubscribe while the event runs.
    const auto handlers = handlers_;
    for (const auto& [subscription, handler] : handlers)
      if (handler) handler(args...);
  }

 private:
  std::map<Subscription, Handler> handlers_;
  Subscription last_ = 0;
};

}  // namespace comport
