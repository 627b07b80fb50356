#include "vpc/Socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vpc {

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

UniqueFd ConnectTo(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return {};
  }
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return {};
  int result;
  do {
    result = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return {};
  return fd;
}

namespace {

// A peer that has not taken anything for this long is taken for gone.
constexpr int kStalledPeerMilliseconds = 5000;

bool Send(int fd, const void* data, std::size_t size, std::span<const int> descriptors) {
  const auto* bytes = static_cast<const char*>(data);
  if (descriptors.size() > kMaxPassedDescriptors) return false;
  while (size > 0) {
    const ssize_t sent = SendSome(fd, bytes, size, descriptors);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      pollfd ready{fd, POLLOUT, 0};
      if (::poll(&ready, 1, kStalledPeerMilliseconds) <= 0) return false;
      continue;
    }
    descriptors = {};
    bytes += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

bool WriteAll(int fd, const void* data, std::size_t size) { return Send(fd, data, size, {}); }

bool WriteAllWithDescriptors(int fd, const void* data, std::size_t size, std::span<const int> descriptors) {
  return Send(fd, data, size, descriptors);
}

ssize_t SendSome(int fd, const void* data, std::size_t size, std::span<const int> descriptors) {
  if (descriptors.size() > kMaxPassedDescriptors) {
    errno = EINVAL;
    return -1;
  }
  iovec part{const_cast<void*>(data), size};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxPassedDescriptors)];
  if (!descriptors.empty()) {
    std::memset(control, 0, sizeof control);
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(sizeof(int) * descriptors.size());
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int) * descriptors.size());
    std::memcpy(CMSG_DATA(header), descriptors.data(), sizeof(int) * descriptors.size());
  }
  return ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
}

ssize_t ReadSome(int fd, void* data, std::size_t size, std::vector<UniqueFd>* descriptors) {
  iovec part{data, size};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxPassedDescriptors)];
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t received;
  do {
    received = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
  } while (received < 0 && errno == EINTR);
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int passed = -1;
      std::memcpy(&passed, CMSG_DATA(header) + i * sizeof(int), sizeof passed);
      if (descriptors)
        descriptors->emplace_back(passed);
      else
        ::close(passed);
    }
  }
  return received;
}

}  // namespace vpc
