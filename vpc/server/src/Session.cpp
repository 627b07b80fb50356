#include "vpcserver/Session.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "vpc/FrameStream.h"
#include "vpcserver/LogLimit.h"
#include "vpcserver/Program.h"
#include "vpcserver/Server.h"

namespace vpcserver {

using vpc::Op;

namespace {

// Only the hello and a control tool's requests come over the socket; the
// largest is a hello with a program name and options of the longest texts.
constexpr std::uint32_t kMostFrame = 2 * vpc::kMaxBufferBytes + 64;
constexpr std::size_t kMostBuffered = sizeof(std::uint32_t) + kMostFrame;
// What one peer gets of the main thread's time per turn.
constexpr std::size_t kTakenPerTurn = 64 * 1024;

}  // namespace

Session::Session(Server& server, vpc::UniqueFd socket, std::string refusal)
    : server_(server),
      socket_(std::move(socket)),
      refusal_(std::move(refusal)),
      opened_(std::chrono::steady_clock::now()) {}

Session::~Session() {
  if (program_) program_->Close();
}

std::unique_ptr<Program> Session::TakeProgram() { return std::move(program_); }

vpc::FrameWriter Session::Answer() {
  vpc::FrameWriter writer(out_);
  writer.Begin();
  return writer;
}

bool Session::Receive() {
  // A program sends nothing here after its hello: its requests take its
  // channel, and its socket turns readable when it has gone.
  if (program_) return false;
  for (std::size_t taken = 0; taken < kTakenPerTurn;) {
    // Never more than the frame that is arriving can still need: whole
    // frames are carried out as soon as they are in.
    const std::size_t have = in_.size();
    if (have >= kMostBuffered) return false;
    const std::size_t room = std::min(kTakenPerTurn - taken, kMostBuffered - have);
    in_.resize(have + room);
    const ssize_t got = vpc::ReadSome(socket_.Get(), in_.data() + have, room);
    in_.resize(have + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (got <= 0) return false;  // the peer has gone
    taken += static_cast<std::size_t>(got);

    std::size_t offset = 0;
    Outcome outcome = Outcome::Done;
    try {
      while (outcome == Outcome::Done && !program_) {
        const auto frame = vpc::NextFrame(in_, offset, kMostFrame);
        if (!frame) break;
        outcome = CarryOut(*frame);
        // A peer that asks on and on without taking its answers is dropped
        // as soon as they pile up, not after all it sent.
        if (out_.size() > kMostQueued && !Flush()) return false;
      }
    } catch (const vpc::ProtocolError& error) {
      server_.ProtocolLog().Log("dropping a connection: " + std::string(error.what()));
      return false;
    }
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (outcome == Outcome::Close) {
      Flush();
      return false;
    }
    if (program_) break;
  }
  const bool open = Flush();
  if (stopAfterAnswer_) server_.Stop();
  return open;
}

bool Session::Flush() {
  std::size_t sent = 0;
  while (sent < out_.size()) {
    const ssize_t part = vpc::SendSome(socket_.Get(), out_.data() + sent, out_.size() - sent, passing_);
    if (part < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      return false;
    }
    passing_.clear();
    sent += static_cast<std::size_t>(part);
  }
  out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(sent));
  return out_.size() <= kMostQueued;
}

Session::Outcome Session::CarryOut(std::span<const std::uint8_t> frame) {
  vpc::FrameReader request(frame);
  const auto op = static_cast<Op>(request.U8());
  if (!introduced_) {
    if (op != Op::Hello) throw vpc::ProtocolError("the first request is not a hello");
    return Hello(request);
  }
  return Control(op);
}

Session::Outcome Session::Hello(vpc::FrameReader& request) {
  const std::uint32_t protocol = request.U32();
  const auto role = static_cast<vpc::Role>(request.U8());
  const std::string name = request.Text();
  const std::uint32_t pid = request.U32();
  const std::string options = request.Text();
  introduced_ = true;
  auto refuse = [&](const std::string& why) {
    auto answer = Answer();
    answer.U8(0).Text(why);
    answer.End();
    return Outcome::Close;
  };
  if (!refusal_.empty()) return refuse(refusal_);
  if (protocol != vpc::kProtocolVersion)
    return refuse("it speaks protocol " + std::to_string(vpc::kProtocolVersion) + ", this program " +
                  std::to_string(protocol) + "; stop it (qtsvpc stop) so that a matching one starts");
  if (role == vpc::Role::Control) {
    auto answer = Answer();
    answer.U8(1).Text("");
    answer.End();
    return Outcome::Done;
  }
  if (role != vpc::Role::Program) throw vpc::ProtocolError("unknown role");
  const std::string asked = Server::EffectiveOptions(options);
  if (!vpc::CanonicalOptions(options).empty() && asked != server_.Options())
    return refuse("it runs with the options \"" + server_.Options() + "\", not \"" + asked +
                  "\"; leave the options out to use it as it is, or stop it (qtsvpc stop) to start it anew");

  program_ = std::make_unique<Program>(server_, name, pid);
  auto answer = Answer();
  answer.U8(1).Text("");
  program_->Describe(answer);
  answer.End();
  passing_ = {server_.Counters().Descriptor(), program_->ChannelDescriptor()};
  program_->Start();
  return Outcome::Done;
}

Session::Outcome Session::Control(Op op) {
  auto answer = Answer();
  switch (op) {
    case Op::Status: {
      const auto programs = server_.Programs();
      answer.U32(static_cast<std::uint32_t>(::getpid()))
          .U64(static_cast<std::uint64_t>(server_.Uptime().count()))
          .Text(server_.Options())
          .U32(static_cast<std::uint32_t>(programs.size()));
      for (const Program* program : programs) answer.U32(program->Pid()).Text(program->Name());
      break;
    }
    case Op::Stop:
      stopAfterAnswer_ = true;
      break;
    default:
      throw vpc::ProtocolError("a control tool asked for a program's service");
  }
  answer.End();
  return Outcome::Done;
}

}  // namespace vpcserver
