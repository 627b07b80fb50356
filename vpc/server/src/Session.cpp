#include "vpcserver/Session.h"

#include <unistd.h>

#include <cerrno>

#include "vpc/FrameStream.h"
#include "vpcserver/Program.h"
#include "vpcserver/Server.h"

namespace vpcserver {

using vpc::Op;

Session::Session(Server& server, vpc::UniqueFd socket, std::string refusal)
    : server_(server), socket_(std::move(socket)), refusal_(std::move(refusal)) {}

Session::~Session() {
  if (program_) program_->Close();
}

vpc::FrameWriter Session::Answer() {
  vpc::FrameWriter writer(out_);
  writer.Begin();
  return writer;
}

bool Session::Receive() {
  bool open = true;
  while (true) {
    const std::size_t have = in_.size();
    in_.resize(have + 4096);
    const ssize_t got = vpc::ReadSome(socket_.Get(), in_.data() + have, 4096);
    in_.resize(have + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    if (got > 0) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    open = false;  // the peer has gone
    break;
  }
  // A program sends nothing here after its hello: its requests take its channel.
  if (program_) return false;
  std::size_t offset = consumed_;
  try {
    while (open) {
      const auto frame = vpc::NextFrame(in_, offset);
      if (!frame) break;
      if (CarryOut(*frame) == Outcome::Close) open = false;
      consumed_ = offset;
      if (program_) break;
    }
  } catch (const vpc::ProtocolError& error) {
    Log("dropping a connection: " + std::string(error.what()));
    open = false;
  }
  in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(consumed_));
  consumed_ = 0;
  const bool sent = out_.empty() || vpc::WriteAll(socket_.Get(), out_.data(), out_.size());
  out_.clear();
  if (stopAfterAnswer_) server_.Stop();
  return open && sent;
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

  program_ = std::make_unique<Program>(server_, name, pid, socket_.Get());
  auto answer = Answer();
  answer.U8(1).Text("");
  program_->Describe(answer);
  answer.End();
  const int descriptors[] = {server_.Counters().Descriptor(), program_->ChannelDescriptor()};
  const bool sent = vpc::WriteAllWithDescriptors(socket_.Get(), out_.data(), out_.size(), descriptors);
  out_.clear();
  if (!sent) return Outcome::Close;
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
