#include "vpcserver/Program.h"

#include <algorithm>
#include <cstring>

#include "platform/PortAccessFault.h"
#include "sim/BridgeDriver.h"
#include "sim/Machine.h"
#include "sim/Process.h"
#include "sim/Prtenu32.h"
#include "vpcserver/Server.h"

namespace vpcserver {

namespace {

using vpc::Op;

std::uint32_t Word(std::span<const std::uint8_t> bytes, std::size_t index) {
  std::uint32_t value = 0;
  if (bytes.size() >= (index + 1) * 4) std::memcpy(&value, bytes.data() + index * 4, sizeof value);
  return value;
}

const char* OptionalText(vpc::FrameReader& request, std::string& text) {
  const bool present = request.U8() != 0;
  text = request.Text();
  return present ? text.c_str() : nullptr;
}

// A program has a handful of open port ranges; more than this would be a driver gone wild.
constexpr std::size_t kMaxGrantRanges = 4096;

}  // namespace

Program::Program(Server& server, std::string name, std::uint32_t pid)
    : server_(server),
      name_(std::move(name)),
      pid_(pid),
      logName_(Printable(name_) + " (pid " + std::to_string(pid_) + ")") {
  std::lock_guard lock(server_.MachineLock());
  process_ = server_.Machine().StartProcess(name_);
  Log("program " + logName_ + " attached");
}

Program::~Program() {
  Close();
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard lock(server_.MachineLock());
    entryPoints_.clear();
    process_.reset();
  }
  server_.PortsChanged().notify_all();
  Log("program " + logName_ + " has gone");
}

void Program::Describe(vpc::FrameWriter& answer) {
  std::lock_guard lock(server_.MachineLock());
  const sim::Clock& clock = server_.Machine().GetClock();
  answer.I64(server_.MachineStart())
      .F64(clock.StartTimeOfDay())
      .U32(clock.StartTickCount())
      .U64(server_.Machine().Options().pumpNanoseconds)
      .U8(process_->AllPortsOpen());
  Grants(answer);
}

void Program::Start() {
  thread_ = std::thread([this] { Run(); });
}

void Program::Close() {
  closing_ = true;
  channel_.Close();
  server_.PortsChanged().notify_all();
}

void Program::Run() {
  try {
    while (channel_.AwaitRequests()) {
      Lock lock(server_.MachineLock());
      for (int taken = 0; taken < kBatchRequests; ++taken) {
        const auto frame = channel_.Next();
        if (!frame) break;
        CarryOut(*frame, lock);
      }
      lock.unlock();
      // A claim that waits for a port may go on now.
      server_.PortsChanged().notify_all();
    }
  } catch (const vpc::ProtocolError& error) {
    Log("dropping program " + logName_ + ": " + error.what());
  } catch (const std::exception& failure) {
    Log("dropping program " + logName_ + ", which the machine could not serve: " + failure.what());
  }
  ended_ = true;
  server_.ProgramEnded();
}

void Program::Answer() { channel_.Answer(answer_); }

void Program::CarryOut(std::span<const std::uint8_t> frame, Lock& lock) {
  vpc::FrameReader request(frame);
  const auto op = static_cast<Op>(request.U8());
  switch (op) {
    case Op::In8:
    case Op::In16:
    case Op::In32:
    case Op::Out8:
    case Op::Out16:
    case Op::Out32:
    case Op::CanInpd:
    case Op::CanOutpd:
    case Op::CanInpw:
    case Op::CanOutpw:
    case Op::CanInp:
    case Op::CanOutp:
      PortInstruction(op, request);
      return;
    case Op::CallEntryPoint:
      CallEntryPoint(request);
      return;
    case Op::Sync:
      answer_.clear();
      Answer();
      return;
    default:
      Service(op, request, lock);
  }
}

// Ports the program may not use fault in the program already (it keeps a
// copy of its open ports); a fault here means the copy was behind.
void Program::PortInstruction(Op op, vpc::FrameReader& request) {
  sim::Process& process = *process_;
  answer_.clear();
  vpc::FrameWriter answer(answer_);
  if (op == Op::CanInpd || op == Op::CanInpw || op == Op::CanInp) {
    const std::int32_t port = request.I32();
    answer.I32(op == Op::CanInpd   ? process.CanInpd(port)
               : op == Op::CanInpw ? process.CanInpw(port)
                                   : process.CanInp(port));
    Answer();
    return;
  }
  if (op == Op::CanOutpd || op == Op::CanOutpw || op == Op::CanOutp) {
    const std::int32_t port = request.I32();
    const std::int32_t value = request.I32();
    if (op == Op::CanOutpd) process.CanOutpd(port, value);
    else if (op == Op::CanOutpw) process.CanOutpw(port, value);
    else process.CanOutp(port, value);
    return;
  }
  const std::uint16_t port = request.U16();
  if (op == Op::Out8 || op == Op::Out16 || op == Op::Out32) {
    const std::uint32_t value = request.U32();
    try {
      if (op == Op::Out8) process.Out8(port, static_cast<std::uint8_t>(value));
      if (op == Op::Out16) process.Out16(port, static_cast<std::uint16_t>(value));
      if (op == Op::Out32) process.Out32(port, value);
    } catch (const platform::PortAccessFault&) {
      faultLog_.Log("program " + logName_ + " wrote to port " + std::to_string(port) + ", which is not open to it");
    }
    return;
  }
  bool faulted = false;
  std::uint32_t value = 0;
  try {
    if (op == Op::In8) value = process.In8(port);
    if (op == Op::In16) value = process.In16(port);
    if (op == Op::In32) value = process.In32(port);
  } catch (const platform::PortAccessFault&) {
    faulted = true;
  }
  answer.U8(faulted).U32(value);
  Answer();
}

void Program::Grants(vpc::FrameWriter& answer) {
  if (process_->AllPortsOpen() || process_->PortGrantsVersion() == grantsSent_) {
    answer.U16(vpc::kGrantsUnchanged);
    return;
  }
  grantsSent_ = process_->PortGrantsVersion();
  std::vector<std::pair<std::uint16_t, std::uint32_t>> ranges;
  const auto ports = process_->GrantedPorts();
  for (auto open = std::find_if(ports.begin(), ports.end(), [](std::uint16_t p) { return p != 0; });
       open != ports.end() && ranges.size() < kMaxGrantRanges;) {
    const auto closed = std::find(open, ports.end(), 0);
    ranges.emplace_back(static_cast<std::uint16_t>(open - ports.begin()), static_cast<std::uint32_t>(closed - open));
    open = std::find_if(closed, ports.end(), [](std::uint16_t p) { return p != 0; });
  }
  answer.U16(static_cast<std::uint16_t>(ranges.size()));
  for (const auto& [first, count] : ranges) answer.U16(first).U32(count);
}

void Program::Service(Op op, vpc::FrameReader& request, Lock& lock) {
  sim::Process& process = *process_;
  const std::uint32_t lastError = request.U32();
  process.SetLastError(lastError);
  std::vector<std::uint8_t> fields;
  vpc::FrameWriter result(fields);
  std::string text, other;
  switch (op) {
    case Op::GetVersion:
      result.U32(process.GetVersion());
      break;
    case Op::GetVersionExA: {
      platform::OsVersionInfoA info;
      const auto record = request.Bytes();
      std::memcpy(&info, record.data(), std::min(record.size(), sizeof info));
      const bool ok = process.GetVersionExA(info);
      result.U8(ok).Bytes({reinterpret_cast<const std::uint8_t*>(&info), sizeof info});
      break;
    }
    case Op::BuildNumberText:
      result.Text(process.BuildNumberText());
      break;
    case Op::GetSystemDirectoryA: {
      const bool given = request.U8() != 0;
      const std::uint32_t size = std::min(request.U32(), vpc::kMaxBufferBytes);
      std::vector<char> buffer(size);
      const std::uint32_t length = process.GetSystemDirectoryA(given ? buffer.data() : nullptr, size);
      result.U32(length).Bytes({reinterpret_cast<const std::uint8_t*>(buffer.data()), buffer.size()});
      break;
    }
    case Op::CreateFileA: {
      text = request.Text();
      const std::uint32_t access = request.U32(), share = request.U32(), disposition = request.U32();
      result.U32(process.CreateFileA(text, access, share, disposition, request.U32()));
      break;
    }
    case Op::DeviceIoControl:
      DeviceIoControl(request, result, lastError, lock);
      break;
    case Op::CloseHandle:
      result.U8(process.CloseHandle(request.U32()));
      break;
    case Op::GetCurrentProcess:
      result.U32(process.GetCurrentProcess());
      break;
    case Op::DuplicateHandle: {
      const platform::Handle sourceProcess = request.U32(), source = request.U32(), targetProcess = request.U32();
      const bool wantsTarget = request.U8() != 0;
      const std::uint32_t access = request.U32();
      const bool inherit = request.U8() != 0;
      platform::Handle target = 0;
      const bool ok = process.DuplicateHandle(sourceProcess, source, targetProcess, wantsTarget ? &target : nullptr,
                                              access, inherit, request.U32());
      result.U8(ok).U32(target);
      break;
    }
    case Op::OpenSCManagerA: {
      const char* machine = OptionalText(request, text);
      const char* database = OptionalText(request, other);
      result.U32(process.OpenSCManagerA(machine, database, request.U32()));
      break;
    }
    case Op::CreateServiceA: {
      const platform::ScHandle manager = request.U32();
      text = request.Text();
      other = request.Text();
      const std::uint32_t access = request.U32(), type = request.U32(), start = request.U32(), error = request.U32();
      result.U32(process.CreateServiceA(manager, text, other, access, type, start, error, request.Text()));
      break;
    }
    case Op::OpenServiceA: {
      const platform::ScHandle manager = request.U32();
      text = request.Text();
      result.U32(process.OpenServiceA(manager, text, request.U32()));
      break;
    }
    case Op::StartServiceA:
      result.U8(process.StartServiceA(request.U32()));
      break;
    case Op::ControlService: {
      const platform::ScHandle service = request.U32();
      const std::uint32_t control = request.U32();
      platform::ServiceStatus status;
      const auto record = request.Bytes();
      std::memcpy(&status, record.data(), std::min(record.size(), sizeof status));
      const bool ok = process.ControlService(service, control, status);
      result.U8(ok).Bytes({reinterpret_cast<const std::uint8_t*>(&status), sizeof status});
      break;
    }
    case Op::DeleteService:
      result.U8(process.DeleteService(request.U32()));
      break;
    case Op::CloseServiceHandle:
      result.U8(process.CloseServiceHandle(request.U32()));
      break;
    case Op::LoadLibraryA:
      result.U32(process.LoadLibraryA(request.Text()));
      break;
    case Op::GetProcAddress: {
      const platform::ModuleHandle module = request.U32();
      text = request.Text();
      platform::ProcAddress address = process.GetProcAddress(module, text);
      vpc::EntryKind kind = vpc::EntryKind::Unknown;
      if (platform::EntryPointAs<sim::Prtenu32Count>(address)) kind = vpc::EntryKind::Count;
      if (platform::EntryPointAs<sim::Prtenu32Info>(address)) kind = vpc::EntryKind::PortRecord;
      std::uint32_t id = 0;
      if (address) {
        id = nextEntryPoint_++;
        entryPoints_[id] = std::move(address);
      }
      result.U8(id != 0).U32(id).U8(static_cast<std::uint8_t>(kind));
      break;
    }
    case Op::FreeLibrary:
      result.U8(process.FreeLibrary(request.U32()));
      break;
    case Op::AddMultiPort: {
      const std::int32_t port = request.I32();
      result.I32(process.AddMultiPort(port, request.I32()));
      break;
    }
    case Op::RemovePort:
      result.I32(process.RemovePort(request.I32()));
      break;
    case Op::SharedCounter:
      result.U32(server_.Counters().Slot(request.Text()));
      break;
    default:
      throw vpc::ProtocolError("unknown request " + std::to_string(static_cast<int>(op)));
  }
  answer_.clear();
  vpc::FrameWriter answer(answer_);
  answer.U32(process.GetLastError());
  Grants(answer);
  answer_.insert(answer_.end(), fields.begin(), fields.end());
  Answer();
}

// A claim of a port that another program on the machine holds waits, with
// the machine's lock given up, until that program lets go of the port or
// goes away, for kClaimPatience at most; then it is carried out again and
// answered as it turns out. The driver itself refuses at once, as before: a
// port held by something that is not a program here is refused at once too.
void Program::DeviceIoControl(vpc::FrameReader& request, vpc::FrameWriter& result, std::uint32_t lastError,
                              Lock& lock) {
  sim::Process& process = *process_;
  const platform::Handle device = request.U32();
  const std::uint32_t code = request.U32();
  const bool inGiven = request.U8() != 0;
  const std::uint32_t inSize = request.U32();
  const auto in = request.Bytes();
  const bool outGiven = request.U8() != 0;
  const std::uint32_t outSize = request.U32();
  const auto outBefore = request.Bytes();
  const bool wantsReturned = request.U8() != 0;
  if (inGiven && in.size() != inSize) throw vpc::ProtocolError("a device request's input has the wrong size");
  if (outGiven && outBefore.size() != outSize) throw vpc::ProtocolError("a device request's output has the wrong size");

  const auto deadline = std::chrono::steady_clock::now() + kClaimPatience;
  std::vector<std::uint8_t> out;
  std::uint32_t returned = 0;
  bool ok = false;
  while (true) {
    out.assign(outBefore.begin(), outBefore.end());
    returned = 0;
    process.SetLastError(lastError);
    ok = process.DeviceIoControl(device, code, inGiven ? in.data() : nullptr, inSize, outGiven ? out.data() : nullptr,
                                 outSize, wantsReturned ? &returned : nullptr);
    const bool heldByOther = ok && code == sim::BridgeDriver::kClaim && outGiven && outSize >= 4 &&
                             Word(out, 0) == sim::BridgeDriver::kHeldByOther;
    if (!heldByOther) break;
    const int port = static_cast<int>(Word(in, 0));
    auto portLetGo = [&] {
      const std::uint32_t holder = server_.Machine().Arbiter().Holder(port);
      return closing_ || holder == process.Pid() || !server_.Machine().FindProcess(holder);
    };
    if (portLetGo() || std::chrono::steady_clock::now() >= deadline) break;
    server_.PortsChanged().wait_until(lock, deadline, portLetGo);
  }
  result.U8(ok).U32(returned).Bytes(out);
}

void Program::CallEntryPoint(vpc::FrameReader& request) {
  const std::uint32_t id = request.U32();
  const std::int32_t port = request.I32();
  const bool recordGiven = request.U8() != 0;
  const auto recordBytes = request.Bytes(vpc::kPortRecordBytes);
  std::vector<std::uint8_t> record(vpc::kPortRecordBytes, 0);
  std::copy(recordBytes.begin(), recordBytes.end(), record.begin());
  std::int32_t result = 0;
  if (auto found = entryPoints_.find(id); found != entryPoints_.end()) {
    if (auto count = platform::EntryPointAs<sim::Prtenu32Count>(found->second))
      result = count();
    else if (auto info = platform::EntryPointAs<sim::Prtenu32Info>(found->second))
      result = info(port, recordGiven ? record.data() : nullptr);
  }
  answer_.clear();
  vpc::FrameWriter answer(answer_);
  answer.I32(result).Bytes(std::span(record).first(recordBytes.size()));
  Answer();
}

}  // namespace vpcserver
