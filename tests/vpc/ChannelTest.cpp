// A program's channel to the server, both ends in one process: frames of
// every size go through the ring in order, across its end, and answers come
// back to the request that waits for them.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <thread>

#include "vpc/Channel.h"
#include "vpc/Wire.h"

namespace {

// The program's socket: its other end stays open while the server lives.
struct SocketPair {
  SocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM, 0, ends); }
  ~SocketPair() {
    ::close(ends[0]);
    ::close(ends[1]);
  }
  int ends[2] = {-1, -1};
};

// Frame i: i as a 32-bit number, then bytes that follow from it, of a length
// that wanders from tiny to a third of the ring.
std::vector<std::uint8_t> Frame(std::uint32_t i) {
  const std::size_t size = i % 7 == 0 ? 90'000 : (i * 37) % 3000;
  std::vector<std::uint8_t> frame;
  vpc::FrameWriter writer(frame);
  writer.Begin().U32(i);
  for (std::size_t k = 0; k < size; ++k) frame.push_back(static_cast<std::uint8_t>(i + k));
  writer.End();
  return frame;
}

TEST(Channel, CarriesEveryFrameInOrderAndAnswersTheOnesThatWait) {
  constexpr std::uint32_t kFrames = 400;  // about 8 times the ring
  vpc::ServerChannel server;
  SocketPair socket;
  vpc::ProgramChannel program(vpc::ChannelMapping(server.Descriptor()), socket.ends[0]);

  std::vector<std::string> wrong;
  std::thread serving([&] {
    std::uint32_t expected = 0;
    while (expected < kFrames && server.AwaitRequests()) {
      while (auto frame = server.Next()) {
        vpc::FrameReader reader(*frame);
        const std::uint32_t i = reader.U32();
        const auto rest = reader.Rest();
        bool whole = i == expected && rest.size() + 4 == Frame(i).size() - 4;
        for (std::size_t k = 0; whole && k < rest.size(); ++k) whole = rest[k] == static_cast<std::uint8_t>(i + k);
        if (!whole) wrong.push_back("frame " + std::to_string(expected) + " arrived as " + std::to_string(i));
        ++expected;
        if (i % 3 == 0) {
          const std::uint8_t answer[] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8)};
          server.Answer(answer);
        }
      }
    }
  });
  for (std::uint32_t i = 0; i < kFrames; ++i) {
    ASSERT_TRUE(program.Publish(Frame(i), i % 3 == 0));
    if (i % 3 != 0) continue;
    const auto answer = program.AwaitAnswer();
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->size(), 2u);
    EXPECT_EQ((*answer)[0] | (*answer)[1] << 8, static_cast<int>(i));
  }
  serving.join();
  EXPECT_TRUE(wrong.empty()) << wrong.front();
}

TEST(Channel, AProgramWaitingForAnAnswerHearsThatTheServerHasGone) {
  vpc::ServerChannel server;
  SocketPair socket;
  vpc::ProgramChannel program(vpc::ChannelMapping(server.Descriptor()), socket.ends[0]);
  ASSERT_TRUE(program.Publish(Frame(1), true));
  ::shutdown(socket.ends[1], SHUT_RDWR);  // the server's end of the socket
  EXPECT_FALSE(program.AwaitAnswer());
}

TEST(Channel, TheServerRefusesARingThatMakesNoSense) {
  vpc::ServerChannel server;
  vpc::ChannelMapping memory(server.Descriptor());
  // A length beyond any request, written as if by a broken program.
  const std::uint32_t length = 0x7FFFFFFF;
  std::memcpy(memory->requests, &length, sizeof length);
  memory->requestTail.store(64);
  ASSERT_TRUE(server.AwaitRequests());
  EXPECT_THROW(server.Next(), vpc::ProtocolError);
}

TEST(Channel, TheServerSideEndsOnceTheProgramHasGoneAndItsRequestsAreTaken) {
  vpc::ServerChannel server;
  SocketPair socket;
  vpc::ProgramChannel program(vpc::ChannelMapping(server.Descriptor()), socket.ends[0]);
  ASSERT_TRUE(program.Publish(Frame(2), false));
  server.Close();
  ASSERT_TRUE(server.AwaitRequests());  // what the program wrote before it went
  ASSERT_TRUE(server.Next());
  EXPECT_FALSE(server.AwaitRequests());
}

}  // namespace
