#include "vpc/FrameStream.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "vpc/Wire.h"

namespace vpc {

std::optional<std::span<const std::uint8_t>> FrameStream::Receive(std::vector<UniqueFd>* descriptors,
                                                                  std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  if (consumed_ > 0) {
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(consumed_));
    consumed_ = 0;
  }
  std::size_t offset = 0;
  while (true) {
    if (auto frame = NextFrame(in_, offset)) {
      consumed_ = offset;
      return frame;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    pollfd ready{socket_.Get(), POLLIN, 0};
    int polled;
    do {
      polled = ::poll(&ready, 1, static_cast<int>(std::max<std::int64_t>(left, 0)));
    } while (polled < 0 && errno == EINTR);
    if (polled <= 0) return std::nullopt;
    const std::size_t have = in_.size();
    in_.resize(have + 4096);
    const ssize_t received = ReadSome(socket_.Get(), in_.data() + have, 4096, descriptors);
    in_.resize(have + static_cast<std::size_t>(std::max<ssize_t>(received, 0)));
    if (received <= 0) return std::nullopt;
  }
}

Introduction Introduce(FrameStream& stream, Role role, std::string_view programName, std::string_view options) {
  std::vector<std::uint8_t> hello;
  FrameWriter writer(hello);
  writer.Begin(Op::Hello)
      .U32(kProtocolVersion)
      .U8(static_cast<std::uint8_t>(role))
      .Text(programName)
      .U32(static_cast<std::uint32_t>(::getpid()))
      .Text(options);
  writer.End();
  Introduction introduction;
  // A server that refuses at once may have closed before the hello arrived;
  // its answer is still there to read.
  stream.Send(hello);
  auto answer = stream.Receive(&introduction.descriptors);
  if (!answer) return introduction;
  FrameReader reader(*answer);
  const bool accepted = reader.U8() != 0;
  introduction.refusal = reader.Text();
  introduction.outcome = accepted ? Introduction::Outcome::Accepted : Introduction::Outcome::Refused;
  const auto rest = reader.Rest();
  introduction.rest.assign(rest.begin(), rest.end());
  return introduction;
}

std::string CanonicalOptions(std::string_view options) {
  std::vector<std::string> items;
  while (!options.empty()) {
    const auto comma = options.find(',');
    const std::string_view item = options.substr(0, comma);
    if (!item.empty()) items.emplace_back(item);
    options = comma == std::string_view::npos ? std::string_view{} : options.substr(comma + 1);
  }
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ",") + item;
  return text;
}

}  // namespace vpc
