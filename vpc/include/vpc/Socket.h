#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <span>
#include <utility>
#include <vector>

namespace vpc {

// Owns a file descriptor and closes it.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

// A stream connection to the socket at `path`; empty with errno set when
// nothing listens there.
UniqueFd ConnectTo(const std::filesystem::path& path);

// Writes all bytes, waiting while the peer's buffer is full (also on a
// non-blocking descriptor); false when the peer has gone or has taken
// nothing for seconds. Never raises SIGPIPE.
bool WriteAll(int fd, const void* data, std::size_t size);

// The same with file descriptors (at most kMaxPassedDescriptors) passed
// along with the first byte.
inline constexpr std::size_t kMaxPassedDescriptors = 4;
bool WriteAllWithDescriptors(int fd, const void* data, std::size_t size, std::span<const int> descriptors);

// Sends what the peer's buffer takes now, never waiting: the count, or -1
// with errno set (EAGAIN when it takes nothing now). The descriptors go with
// the first byte sent. Never raises SIGPIPE.
ssize_t SendSome(int fd, const void* data, std::size_t size, std::span<const int> descriptors = {});

// Reads what has arrived, waiting for at least one byte (on a blocking
// descriptor): the count, 0 when the peer has gone, -1 on an error.
// Descriptors passed along are added to `descriptors` (when not null),
// otherwise closed.
ssize_t ReadSome(int fd, void* data, std::size_t size, std::vector<UniqueFd>* descriptors = nullptr);

}  // namespace vpc
