#pragma once

#include <atomic>
#include <cstdint>

namespace vpcserver {

// A lock taken in the order it was asked for. The machine's lock is handed
// back and forth between a program's thread, which takes it again at once
// after each batch of requests, and everyone else: with a lock that lets the
// fastest taker win, a program that keeps its requests coming would keep the
// others (and the server's main thread) waiting without end.
class FairMutex {
 public:
  void lock() {
    const std::uint32_t ticket = next_.fetch_add(1, std::memory_order_relaxed);
    for (std::uint32_t serving = serving_.load(std::memory_order_acquire); serving != ticket;
         serving = serving_.load(std::memory_order_acquire))
      serving_.wait(serving, std::memory_order_acquire);
  }
  void unlock() {
    serving_.fetch_add(1, std::memory_order_release);
    serving_.notify_all();
  }

 private:
  std::atomic<std::uint32_t> next_{0};
  std::atomic<std::uint32_t> serving_{0};
};

}  // namespace vpcserver
