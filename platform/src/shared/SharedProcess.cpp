#include "SharedProcess.h"

#include <sys/mman.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "Attach.h"
#include "platform/Current.h"
#include "platform/PortAccessFault.h"

namespace platform::shared {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr std::size_t kCounterBytes = vpc::kCounterSlots * sizeof(std::int32_t);
static_assert(std::atomic<std::int32_t>::is_always_lock_free, "counters are shared between processes");
static_assert(sizeof(std::atomic<std::int32_t>) == sizeof(std::int32_t));

// A service the machine can no longer answer fails as a device that stopped working.
constexpr std::uint32_t kGoneError = ErrorGenFailure;

std::int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void OptionalText(vpc::FrameWriter& writer, const char* text) {
  writer.U8(text != nullptr);
  writer.Text(text ? text : "");
}

}  // namespace

SharedProcess::SharedProcess(const std::string& options) : openPorts_(0x10000, 0) {
  Attachment attachment = Attach(options);
  vpc::FrameReader hello(attachment.introduction.rest);
  try {
    machineStart_ = hello.I64();
    startTimeOfDay_ = hello.F64();
    startTickCount_ = hello.U32();
    pumpNanoseconds_ = hello.U64();
    allPortsOpen_ = hello.U8() != 0;
    TakeGrants(hello);
  } catch (const vpc::ProtocolError& error) {
    throw BackendUnavailable(std::string("the shared virtual PC answered in a way this program does not know: ") +
                             error.what());
  }
  auto& descriptors = attachment.introduction.descriptors;
  if (descriptors.size() != 2) throw BackendUnavailable("the shared virtual PC did not hand over its memory");
  vpc::ChannelMapping channel(descriptors[1].Get());
  if (!channel) throw BackendUnavailable("the shared virtual PC's channel cannot be mapped");
  void* memory = ::mmap(nullptr, kCounterBytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptors[0].Get(), 0);
  if (memory != MAP_FAILED) counterMemory_ = memory;
  connection_ = std::make_shared<Connection>(std::move(attachment.stream), std::move(channel));
}

SharedProcess::~SharedProcess() {
  connection_.reset();
  if (counterMemory_) ::munmap(counterMemory_, kCounterBytes);
}

template <typename Result, typename Fill, typename Parse>
Result SharedProcess::Call(vpc::Op op, Result failed, Fill&& fill, Parse&& parse) {
  auto answer = connection_->Request([&](vpc::FrameWriter& writer) {
    writer.U8(static_cast<std::uint8_t>(op)).U32(lastError_);
    fill(writer);
  });
  if (!answer) {
    lastError_ = kGoneError;
    return failed;
  }
  try {
    vpc::FrameReader reader(*answer);
    lastError_ = reader.U32();
    TakeGrants(reader);
    return parse(reader);
  } catch (const vpc::ProtocolError&) {
    lastError_ = kGoneError;
    return failed;
  }
}

void SharedProcess::TakeGrants(vpc::FrameReader& reader) {
  const std::uint16_t count = reader.U16();
  if (count == vpc::kGrantsUnchanged) return;
  std::fill(openPorts_.begin(), openPorts_.end(), 0);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint32_t first = reader.U16();
    const std::uint32_t length = reader.U32();
    for (std::uint32_t port = first; port < first + length && port <= 0xFFFF; ++port) openPorts_[port] = 1;
  }
}

// ---- version ----

std::uint32_t SharedProcess::GetVersion() {
  return Call(
      vpc::Op::GetVersion, 0u, [](vpc::FrameWriter&) {}, [](vpc::FrameReader& r) { return r.U32(); });
}

bool SharedProcess::GetVersionExA(OsVersionInfoA& info) {
  return Call(
      vpc::Op::GetVersionExA, false,
      [&](vpc::FrameWriter& w) {
        w.Bytes({reinterpret_cast<const std::uint8_t*>(&info), sizeof info});
      },
      [&](vpc::FrameReader& r) {
        const bool ok = r.U8() != 0;
        const auto record = r.Bytes();
        if (record.size() == sizeof info) std::memcpy(&info, record.data(), sizeof info);
        return ok;
      });
}

std::string SharedProcess::BuildNumberText() {
  return Call(
      vpc::Op::BuildNumberText, std::string(), [](vpc::FrameWriter&) {}, [](vpc::FrameReader& r) { return r.Text(); });
}

std::uint32_t SharedProcess::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
  return Call(
      vpc::Op::GetSystemDirectoryA, 0u, [&](vpc::FrameWriter& w) { w.U8(buffer != nullptr).U32(size); },
      [&](vpc::FrameReader& r) {
        const std::uint32_t length = r.U32();
        const auto text = r.Bytes();
        if (buffer) std::memcpy(buffer, text.data(), std::min<std::size_t>(text.size(), size));
        return length;
      });
}

// ---- clock and messages ----

std::uint64_t SharedProcess::Now() const {
  return static_cast<std::uint64_t>(std::max<std::int64_t>(SteadyNanoseconds() - machineStart_, 0));
}

double SharedProcess::Timer() { return std::fmod(startTimeOfDay_ + static_cast<double>(Now()) * 1e-9, kSecondsPerDay); }

std::uint32_t SharedProcess::GetTickCount() { return static_cast<std::uint32_t>(startTickCount_ + Now() / 1'000'000u); }

void SharedProcess::Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The machine's message-pump iteration takes its time as on the virtual PC
// inside a program.
void SharedProcess::DoEvents() {
  std::this_thread::sleep_for(std::chrono::nanoseconds(pumpNanoseconds_));
  if (pump_) pump_();
}

void SharedProcess::SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

// ---- handles ----

Handle SharedProcess::CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
  return Call(
      vpc::Op::CreateFileA, InvalidHandleValue,
      [&](vpc::FrameWriter& w) {
        w.Text(path).U32(access).U32(shareMode).U32(creationDisposition).U32(flagsAndAttributes);
      },
      [](vpc::FrameReader& r) { return r.U32(); });
}

bool SharedProcess::DeviceIoControl(Handle device, std::uint32_t code, const void* inBuffer, std::uint32_t inSize,
                                    void* outBuffer, std::uint32_t outSize, std::uint32_t* bytesReturned) {
  if ((inBuffer && inSize > vpc::kMaxBufferBytes) || (outBuffer && outSize > vpc::kMaxBufferBytes)) {
    lastError_ = ErrorInvalidParameter;
    return false;
  }
  const auto* in = static_cast<const std::uint8_t*>(inBuffer);
  auto* out = static_cast<std::uint8_t*>(outBuffer);
  return Call(
      vpc::Op::DeviceIoControl, false,
      [&](vpc::FrameWriter& w) {
        w.U32(device).U32(code).U8(in != nullptr).U32(inSize).Bytes({in, in ? inSize : 0u});
        w.U8(out != nullptr).U32(outSize).Bytes({out, out ? outSize : 0u});
        w.U8(bytesReturned != nullptr);
      },
      [&](vpc::FrameReader& r) {
        const bool ok = r.U8() != 0;
        const std::uint32_t returned = r.U32();
        const auto after = r.Bytes();
        if (out) std::memcpy(out, after.data(), std::min<std::size_t>(after.size(), outSize));
        if (bytesReturned) *bytesReturned = returned;
        return ok;
      });
}

bool SharedProcess::CloseHandle(Handle handle) {
  return Call(
      vpc::Op::CloseHandle, false, [&](vpc::FrameWriter& w) { w.U32(handle); },
      [](vpc::FrameReader& r) { return r.U8() != 0; });
}

Handle SharedProcess::GetCurrentProcess() {
  return Call(
      vpc::Op::GetCurrentProcess, CurrentProcessHandle, [](vpc::FrameWriter&) {},
      [](vpc::FrameReader& r) { return r.U32(); });
}

bool SharedProcess::DuplicateHandle(Handle sourceProcess, Handle source, Handle targetProcess, Handle* target,
                                    std::uint32_t desiredAccess, bool inheritHandle, std::uint32_t options) {
  return Call(
      vpc::Op::DuplicateHandle, false,
      [&](vpc::FrameWriter& w) {
        w.U32(sourceProcess).U32(source).U32(targetProcess).U8(target != nullptr);
        w.U32(desiredAccess).U8(inheritHandle).U32(options);
      },
      [&](vpc::FrameReader& r) {
        const bool ok = r.U8() != 0;
        const Handle duplicate = r.U32();
        if (target && ok) *target = duplicate;
        return ok;
      });
}

// ---- service control manager ----

ScHandle SharedProcess::OpenSCManagerA(const char* machine, const char* database, std::uint32_t access) {
  return Call(
      vpc::Op::OpenSCManagerA, NullScHandle,
      [&](vpc::FrameWriter& w) {
        OptionalText(w, machine);
        OptionalText(w, database);
        w.U32(access);
      },
      [](vpc::FrameReader& r) { return r.U32(); });
}

ScHandle SharedProcess::CreateServiceA(ScHandle manager, const std::string& name, const std::string& displayName,
                                       std::uint32_t access, std::uint32_t serviceType, std::uint32_t startType,
                                       std::uint32_t errorControl, const std::string& imagePath) {
  return Call(
      vpc::Op::CreateServiceA, NullScHandle,
      [&](vpc::FrameWriter& w) {
        w.U32(manager).Text(name).Text(displayName).U32(access).U32(serviceType).U32(startType).U32(errorControl);
        w.Text(imagePath);
      },
      [](vpc::FrameReader& r) { return r.U32(); });
}

ScHandle SharedProcess::OpenServiceA(ScHandle manager, const std::string& name, std::uint32_t access) {
  return Call(
      vpc::Op::OpenServiceA, NullScHandle, [&](vpc::FrameWriter& w) { w.U32(manager).Text(name).U32(access); },
      [](vpc::FrameReader& r) { return r.U32(); });
}

bool SharedProcess::StartServiceA(ScHandle service) {
  return Call(
      vpc::Op::StartServiceA, false, [&](vpc::FrameWriter& w) { w.U32(service); },
      [](vpc::FrameReader& r) { return r.U8() != 0; });
}

bool SharedProcess::ControlService(ScHandle service, std::uint32_t control, ServiceStatus& status) {
  return Call(
      vpc::Op::ControlService, false,
      [&](vpc::FrameWriter& w) {
        w.U32(service).U32(control).Bytes({reinterpret_cast<const std::uint8_t*>(&status), sizeof status});
      },
      [&](vpc::FrameReader& r) {
        const bool ok = r.U8() != 0;
        const auto record = r.Bytes();
        if (record.size() == sizeof status) std::memcpy(&status, record.data(), sizeof status);
        return ok;
      });
}

bool SharedProcess::DeleteService(ScHandle service) {
  return Call(
      vpc::Op::DeleteService, false, [&](vpc::FrameWriter& w) { w.U32(service); },
      [](vpc::FrameReader& r) { return r.U8() != 0; });
}

bool SharedProcess::CloseServiceHandle(ScHandle handle) {
  return Call(
      vpc::Op::CloseServiceHandle, false, [&](vpc::FrameWriter& w) { w.U32(handle); },
      [](vpc::FrameReader& r) { return r.U8() != 0; });
}

// ---- libraries ----

ModuleHandle SharedProcess::LoadLibraryA(const std::string& name) {
  return Call(
      vpc::Op::LoadLibraryA, NullModule, [&](vpc::FrameWriter& w) { w.Text(name); },
      [](vpc::FrameReader& r) { return r.U32(); });
}

// The entry point calls the server's entry point of the same name on the
// program's process there. It keeps the connection, not this object.
ProcAddress SharedProcess::GetProcAddress(ModuleHandle module, const std::string& name) {
  struct Found {
    bool found = false;
    std::uint32_t id = 0;
    vpc::EntryKind kind = vpc::EntryKind::Unknown;
  };
  const Found found = Call(
      vpc::Op::GetProcAddress, Found{}, [&](vpc::FrameWriter& w) { w.U32(module).Text(name); },
      [](vpc::FrameReader& r) {
        Found answer;
        answer.found = r.U8() != 0;
        answer.id = r.U32();
        answer.kind = static_cast<vpc::EntryKind>(r.U8());
        return answer;
      });
  if (!found.found) return nullptr;
  std::weak_ptr<Connection> link = connection_;
  const std::uint32_t id = found.id;
  // Calls entry point `id` with a port and a record of `size` bytes (0: none).
  auto call = [link, id](std::int32_t port, std::uint8_t* record, std::uint32_t size) -> std::int32_t {
    auto connection = link.lock();
    if (!connection) return 0;
    auto answer = connection->Request([&](vpc::FrameWriter& w) {
      w.U8(static_cast<std::uint8_t>(vpc::Op::CallEntryPoint)).U32(id).I32(port).U8(record != nullptr);
      w.Bytes({record, record ? size : 0u});
    });
    if (!answer) return 0;
    try {
      vpc::FrameReader r(*answer);
      const std::int32_t result = r.I32();
      const auto after = r.Bytes();
      if (record) std::memcpy(record, after.data(), std::min<std::size_t>(after.size(), size));
      return result;
    } catch (const vpc::ProtocolError&) {
      return 0;
    }
  };
  switch (found.kind) {
    case vpc::EntryKind::Count:
      return std::make_shared<TypedEntryPoint<std::int32_t()>>([call] { return call(0, nullptr, 0); });
    case vpc::EntryKind::PortRecord:
      return std::make_shared<TypedEntryPoint<std::int32_t(std::int32_t, void*)>>(
          [call](std::int32_t port, void* record) {
            // The record's first field is its size; at most kPortRecordBytes of it cross.
            std::uint32_t size = 0;
            if (record) std::memcpy(&size, record, sizeof size);
            size = std::clamp<std::uint32_t>(size, sizeof size, vpc::kPortRecordBytes);
            return call(port, static_cast<std::uint8_t*>(record), size);
          });
    case vpc::EntryKind::Unknown:
      break;
  }
  return std::make_shared<EntryPoint>();
}

bool SharedProcess::FreeLibrary(ModuleHandle module) {
  return Call(
      vpc::Op::FreeLibrary, false, [&](vpc::FrameWriter& w) { w.U32(module); },
      [](vpc::FrameReader& r) { return r.U8() != 0; });
}

// ---- port instructions ----

void SharedProcess::CheckPort(std::uint16_t port) const {
  if (!allPortsOpen_ && !openPorts_[port]) throw PortAccessFault(port);
}

// A machine that has gone leaves an empty bus behind: reads float high.
std::uint32_t SharedProcess::PortRead(vpc::Op op, std::uint16_t port) {
  CheckPort(port);
  auto answer = connection_->Request([&](vpc::FrameWriter& w) { w.U8(static_cast<std::uint8_t>(op)).U16(port); });
  if (!answer) return 0xFFFFFFFFu;
  try {
    vpc::FrameReader r(*answer);
    const bool faulted = r.U8() != 0;
    const std::uint32_t value = r.U32();
    if (faulted) throw PortAccessFault(port);
    return value;
  } catch (const vpc::ProtocolError&) {
    return 0xFFFFFFFFu;
  }
}

void SharedProcess::PortWrite(vpc::Op op, std::uint16_t port, std::uint32_t value) {
  CheckPort(port);
  connection_->Post([&](vpc::FrameWriter& w) { w.U8(static_cast<std::uint8_t>(op)).U16(port).U32(value); });
}

std::uint8_t SharedProcess::In8(std::uint16_t port) { return static_cast<std::uint8_t>(PortRead(vpc::Op::In8, port)); }
std::uint16_t SharedProcess::In16(std::uint16_t port) {
  return static_cast<std::uint16_t>(PortRead(vpc::Op::In16, port));
}
std::uint32_t SharedProcess::In32(std::uint16_t port) { return PortRead(vpc::Op::In32, port); }
void SharedProcess::Out8(std::uint16_t port, std::uint8_t value) { PortWrite(vpc::Op::Out8, port, value); }
void SharedProcess::Out16(std::uint16_t port, std::uint16_t value) { PortWrite(vpc::Op::Out16, port, value); }
void SharedProcess::Out32(std::uint16_t port, std::uint32_t value) { PortWrite(vpc::Op::Out32, port, value); }

// ---- the word port library ----

std::int32_t SharedProcess::CanRead(vpc::Op op, std::int32_t port) {
  auto answer = connection_->Request([&](vpc::FrameWriter& w) { w.U8(static_cast<std::uint8_t>(op)).I32(port); });
  if (!answer) return 0;
  try {
    vpc::FrameReader r(*answer);
    return r.I32();
  } catch (const vpc::ProtocolError&) {
    return 0;
  }
}

// The library ignores writes to ports it has not opened, so a write needs no answer.
void SharedProcess::CanWrite(vpc::Op op, std::int32_t port, std::int32_t value) {
  connection_->Post([&](vpc::FrameWriter& w) { w.U8(static_cast<std::uint8_t>(op)).I32(port).I32(value); });
}

std::int32_t SharedProcess::CanInpd(std::int32_t port) { return CanRead(vpc::Op::CanInpd, port); }
void SharedProcess::CanOutpd(std::int32_t port, std::int32_t value) { CanWrite(vpc::Op::CanOutpd, port, value); }
std::int32_t SharedProcess::CanInpw(std::int32_t port) { return CanRead(vpc::Op::CanInpw, port); }
void SharedProcess::CanOutpw(std::int32_t port, std::int32_t value) { CanWrite(vpc::Op::CanOutpw, port, value); }
std::int32_t SharedProcess::CanInp(std::int32_t port) { return CanRead(vpc::Op::CanInp, port); }
void SharedProcess::CanOutp(std::int32_t port, std::int32_t value) { CanWrite(vpc::Op::CanOutp, port, value); }

std::int32_t SharedProcess::AddMultiPort(std::int32_t port, std::int32_t count) {
  return Call(
      vpc::Op::AddMultiPort, 0, [&](vpc::FrameWriter& w) { w.I32(port).I32(count); },
      [](vpc::FrameReader& r) { return r.I32(); });
}

std::int32_t SharedProcess::RemovePort(std::int32_t port) {
  return Call(
      vpc::Op::RemovePort, 0, [&](vpc::FrameWriter& w) { w.I32(port); }, [](vpc::FrameReader& r) { return r.I32(); });
}

// ---- machine-wide counters ----

std::atomic<std::int32_t>& SharedProcess::SharedCounter(const std::string& name) {
  if (auto found = counters_.find(name); found != counters_.end()) return *found->second;
  const std::uint32_t slot = Call(
      vpc::Op::SharedCounter, vpc::kCounterSlots, [&](vpc::FrameWriter& w) { w.Text(name); },
      [](vpc::FrameReader& r) { return r.U32(); });
  if (!counterMemory_ || slot >= vpc::kCounterSlots) return counterOfAGoneMachine_;
  auto* counter = static_cast<std::atomic<std::int32_t>*>(counterMemory_) + slot;
  counters_.emplace(name, counter);
  return *counter;
}

}  // namespace platform::shared
