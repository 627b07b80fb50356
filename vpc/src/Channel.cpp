#include "vpc/Channel.h"

#include <linux/futex.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "vpc/Protocol.h"
#include "vpc/Wire.h"

namespace vpc {

namespace {

using namespace std::chrono_literals;

// A sleeping side looks this often whether the other has gone.
constexpr auto kSleepSlice = 100ms;
constexpr std::uint32_t kRingMask = ChannelMemory::kRequestBytes - 1;
static_assert((ChannelMemory::kRequestBytes & kRingMask) == 0, "the ring's size is a power of two");
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t), "futexes are 32-bit words");

std::uint32_t* Word(std::atomic<std::uint32_t>& atomic) { return reinterpret_cast<std::uint32_t*>(&atomic); }

// Sleeps while `word` holds `expected`, for `most` at most.
void FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, std::chrono::nanoseconds most) {
  const timespec slice{static_cast<time_t>(most.count() / 1'000'000'000),
                       static_cast<long>(most.count() % 1'000'000'000)};
  ::syscall(SYS_futex, Word(word), FUTEX_WAIT, expected, &slice, nullptr, 0);
}

void FutexWake(std::atomic<std::uint32_t>& word) {
  ::syscall(SYS_futex, Word(word), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

}  // namespace

ChannelMapping::ChannelMapping(int fd) {
  void* memory = ::mmap(nullptr, sizeof(ChannelMemory), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory != MAP_FAILED) memory_ = static_cast<ChannelMemory*>(memory);
}

ChannelMapping::~ChannelMapping() {
  if (memory_) ::munmap(memory_, sizeof(ChannelMemory));
}

ChannelMapping::ChannelMapping(ChannelMapping&& other) noexcept : memory_(std::exchange(other.memory_, nullptr)) {}

// ---- the program's end ----

ProgramChannel::ProgramChannel(ChannelMapping memory, int socket) : memory_(std::move(memory)), socket_(socket) {
  tail_ = memory_->requestTail.load();
  answersAwaited_ = memory_->answers.load();
}

bool ProgramChannel::ServerGone() const {
  if (memory_->closed.load() != 0) return true;
  // The server never writes to the program's socket after the hello: when it
  // is readable, it has closed.
  pollfd socket{socket_, POLLIN, 0};
  return ::poll(&socket, 1, 0) != 0;
}

bool ProgramChannel::Publish(std::span<const std::uint8_t> frame, bool answered) {
  const auto size = static_cast<std::uint32_t>(frame.size());
  if (size > ChannelMemory::kRequestBytes) return false;
  // Wait for room: the server takes requests as fast as the machine carries them out.
  while (ChannelMemory::kRequestBytes - (tail_ - memory_->requestHead.load(std::memory_order_acquire)) < size) {
    if (ServerGone()) return false;
    std::this_thread::sleep_for(50us);
  }
  const std::uint32_t at = tail_ & kRingMask;
  const std::uint32_t first = std::min(size, ChannelMemory::kRequestBytes - at);
  std::memcpy(memory_->requests + at, frame.data(), first);
  std::memcpy(memory_->requests, frame.data() + first, size - first);
  tail_ += size;
  // Ordered against the server's going to sleep: either it sees the new tail
  // or this side sees that it sleeps.
  memory_->requestTail.store(tail_, std::memory_order_seq_cst);
  const std::uint32_t waiting = memory_->serverWaiting.load(std::memory_order_seq_cst);
  const bool wake = waiting == ChannelMemory::kAsleep || (answered && waiting == ChannelMemory::kNapping);
  // One wake per sleep: until the server runs again, later requests need none.
  if (wake && memory_->serverWaiting.exchange(ChannelMemory::kBusy) != ChannelMemory::kBusy)
    FutexWake(memory_->requestTail);
  return true;
}

std::optional<std::span<const std::uint8_t>> ProgramChannel::AwaitAnswer() {
  const std::uint32_t awaited = ++answersAwaited_;
  while (true) {
    memory_->programAsleep.store(1, std::memory_order_seq_cst);
    const std::uint32_t seen = memory_->answers.load(std::memory_order_seq_cst);
    if (seen == awaited) break;
    FutexWait(memory_->answers, seen, kSleepSlice);
    if (memory_->answers.load(std::memory_order_acquire) == awaited) break;
    if (ServerGone()) {
      memory_->programAsleep.store(0, std::memory_order_relaxed);
      return std::nullopt;
    }
  }
  memory_->programAsleep.store(0, std::memory_order_relaxed);
  const std::uint32_t length =
      std::min(memory_->answerLength.load(std::memory_order_relaxed), ChannelMemory::kAnswerBytes);
  answer_.assign(memory_->answer, memory_->answer + length);
  return std::span<const std::uint8_t>(answer_);
}

// ---- the server's end ----

namespace {
UniqueFd MemoryFile() {
  UniqueFd file(::memfd_create("qtsvpc-channel", MFD_CLOEXEC));
  if (!file || ::ftruncate(file.Get(), sizeof(ChannelMemory)) != 0)
    throw std::runtime_error(std::string("cannot make a program's channel: ") + std::strerror(errno));
  return file;
}
}  // namespace

ServerChannel::ServerChannel() : file_(MemoryFile()), memory_(file_.Get()) {
  if (!memory_) throw std::runtime_error(std::string("cannot map a program's channel: ") + std::strerror(errno));
}

std::uint32_t ServerChannel::Available() const { return memory_->requestTail.load(std::memory_order_acquire) - head_; }

bool ServerChannel::AwaitRequests() {
  auto ready = [&] { return Available() != 0 || memory_->closed.load() != 0; };
  std::chrono::microseconds napped{0};
  while (!ready()) {
    const bool nap = napped < ChannelMemory::kNappingAtMost;
    memory_->serverWaiting.store(nap ? ChannelMemory::kNapping : ChannelMemory::kAsleep, std::memory_order_seq_cst);
    const std::uint32_t tail = memory_->requestTail.load(std::memory_order_seq_cst);
    if (tail != head_ || memory_->closed.load() != 0) break;
    FutexWait(memory_->requestTail, tail, nap ? std::chrono::nanoseconds(ChannelMemory::kNap) : kSleepSlice);
    if (nap) napped += ChannelMemory::kNap;
  }
  memory_->serverWaiting.store(ChannelMemory::kBusy, std::memory_order_relaxed);
  return Available() != 0 || memory_->closed.load() == 0;
}

std::optional<std::span<const std::uint8_t>> ServerChannel::Next() {
  const std::uint32_t available = Available();
  if (available > ChannelMemory::kRequestBytes) throw ProtocolError("the request ring's ends do not fit together");
  if (available < sizeof(std::uint32_t)) return std::nullopt;
  auto copy = [&](std::uint32_t from, std::uint8_t* to, std::uint32_t size) {
    const std::uint32_t at = from & kRingMask;
    const std::uint32_t first = std::min(size, ChannelMemory::kRequestBytes - at);
    std::memcpy(to, memory_->requests + at, first);
    std::memcpy(to + first, memory_->requests, size - first);
  };
  std::uint32_t length = 0;
  copy(head_, reinterpret_cast<std::uint8_t*>(&length), sizeof length);
  if (length > kMaxFrameBytes || length > ChannelMemory::kRequestBytes - sizeof length)
    throw ProtocolError("a request is longer than any request");
  if (available - sizeof length < length) {
    // The program publishes whole frames only.
    throw ProtocolError("a request in the ring is not whole");
  }
  frame_.resize(length);
  copy(head_ + sizeof length, frame_.data(), length);
  head_ += sizeof length + length;
  memory_->requestHead.store(head_, std::memory_order_release);
  return std::span<const std::uint8_t>(frame_);
}

void ServerChannel::Answer(std::span<const std::uint8_t> answer) {
  const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(answer.size(), ChannelMemory::kAnswerBytes));
  // An empty answer may have no bytes at all to copy from.
  if (length != 0) std::memcpy(memory_->answer, answer.data(), length);
  memory_->answerLength.store(length, std::memory_order_relaxed);
  memory_->answers.fetch_add(1, std::memory_order_seq_cst);
  if (memory_->programAsleep.load(std::memory_order_seq_cst) != 0 && memory_->programAsleep.exchange(0) != 0)
    FutexWake(memory_->answers);
}

void ServerChannel::Close() {
  memory_->closed.store(1, std::memory_order_seq_cst);
  FutexWake(memory_->requestTail);
}

}  // namespace vpc
