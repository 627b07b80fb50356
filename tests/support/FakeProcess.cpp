#include "FakeProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace testsupport {

namespace {
std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}
constexpr platform::ModuleHandle kModule = 0x7000;
}  // namespace

std::vector<std::uint8_t> FakeProcess::Words(std::initializer_list<std::uint32_t> words) {
  std::vector<std::uint8_t> bytes(words.size() * 4);
  std::size_t offset = 0;
  for (std::uint32_t word : words) {
    std::memcpy(bytes.data() + offset, &word, 4);
    offset += 4;
  }
  return bytes;
}

FakeProcess::Answer FakeProcess::Status(std::uint32_t status) { return {true, Words({status}), 0}; }

bool FakeProcess::Logged(const std::string& line) const {
  return std::find(log.begin(), log.end(), line) != log.end();
}

std::uint32_t FakeProcess::GetVersion() {
  log.push_back("GetVersion");
  return packedVersion;
}

bool FakeProcess::GetVersionExA(platform::OsVersionInfoA& info) {
  log.push_back("GetVersionExA");
  if (info.dwOSVersionInfoSize != 148) return false;
  info = version;
  return true;
}

std::uint32_t FakeProcess::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
  const std::string directory = "C:\\WINDOWS\\system32";
  log.push_back("GetSystemDirectoryA " + std::to_string(size));
  if (size <= directory.size()) return static_cast<std::uint32_t>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<std::uint32_t>(directory.size());
}

void FakeProcess::Sleep(std::uint32_t milliseconds) { log.push_back("Sleep " + std::to_string(milliseconds)); }

platform::Handle FakeProcess::CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t shareMode,
                                          std::uint32_t creationDisposition, std::uint32_t flags) {
  log.push_back("CreateFileA " + path + " " + Hex(access) + " " + Hex(shareMode) + " " +
                std::to_string(creationDisposition) + " " + Hex(flags));
  if (std::find(absentDevices.begin(), absentDevices.end(), path) != absentDevices.end()) {
    lastError = platform::ErrorFileNotFound;
    return platform::InvalidHandleValue;
  }
  return deviceHandle;
}

bool FakeProcess::DeviceIoControl(platform::Handle device, std::uint32_t code, const void* inBuffer,
                                  std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                  std::uint32_t* bytesReturned) {
  Request request{device, code, {}, outBuffer == nullptr, outSize};
  if (inBuffer) {
    const auto* bytes = static_cast<const std::uint8_t*>(inBuffer);
    request.in.assign(bytes, bytes + inSize);
  }
  requests.push_back(std::move(request));
  Answer answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (!answer.ok) {
    lastError = answer.error;
    return false;
  }
  const std::size_t copied = std::min<std::size_t>(answer.out.size(), outSize);
  if (copied) std::memcpy(outBuffer, answer.out.data(), copied);
  if (bytesReturned) *bytesReturned = static_cast<std::uint32_t>(copied);
  return true;
}

bool FakeProcess::CloseHandle(platform::Handle handle) {
  log.push_back("CloseHandle " + Hex(handle));
  return true;
}

bool FakeProcess::DuplicateHandle(platform::Handle sourceProcess, platform::Handle source,
                                  platform::Handle targetProcess, platform::Handle* target, std::uint32_t access,
                                  bool inherit, std::uint32_t options) {
  log.push_back("DuplicateHandle " + Hex(sourceProcess) + " " + Hex(source) + " " + Hex(targetProcess) + " " +
                Hex(access) + " " + (inherit ? "inherit" : "no-inherit") + " " + std::to_string(options));
  if (duplicateFails) {
    lastError = platform::ErrorAccessDenied;
    return false;
  }
  *target = nextHandle_;
  nextHandle_ += 4;
  return true;
}

platform::ScHandle FakeProcess::OpenSCManagerA(const char*, const char*, std::uint32_t access) {
  log.push_back("OpenSCManagerA " + Hex(access));
  return 0x500;
}

platform::ScHandle FakeProcess::CreateServiceA(platform::ScHandle, const std::string& name,
                                               const std::string& displayName, std::uint32_t access,
                                               std::uint32_t serviceType, std::uint32_t startType,
                                               std::uint32_t errorControl, const std::string& imagePath) {
  log.push_back("CreateServiceA " + name + " " + displayName + " " + Hex(access) + " " + std::to_string(serviceType) +
                " " + std::to_string(startType) + " " + std::to_string(errorControl) + " " + imagePath);
  return 0x504;
}

platform::ScHandle FakeProcess::OpenServiceA(platform::ScHandle, const std::string& name, std::uint32_t access) {
  log.push_back("OpenServiceA " + name + " " + Hex(access));
  return 0x508;
}

bool FakeProcess::StartServiceA(platform::ScHandle service) {
  log.push_back("StartServiceA " + Hex(service));
  return true;
}

bool FakeProcess::ControlService(platform::ScHandle service, std::uint32_t control, platform::ServiceStatus&) {
  log.push_back("ControlService " + Hex(service) + " " + std::to_string(control));
  return true;
}

bool FakeProcess::DeleteService(platform::ScHandle service) {
  log.push_back("DeleteService " + Hex(service));
  return true;
}

bool FakeProcess::CloseServiceHandle(platform::ScHandle handle) {
  log.push_back("CloseServiceHandle " + Hex(handle));
  return true;
}

platform::ModuleHandle FakeProcess::LoadLibraryA(const std::string& name) {
  log.push_back("LoadLibraryA " + name);
  return prtenu32Present ? kModule : platform::NullModule;
}

platform::ProcAddress FakeProcess::GetProcAddress(platform::ModuleHandle, const std::string& name) {
  if (name == "GetParallelPortCount" && prtenu32Count)
    return std::make_shared<platform::TypedEntryPoint<std::int32_t()>>(prtenu32Count);
  if (name == "GetParallelPortInfo" && prtenu32Info)
    return std::make_shared<platform::TypedEntryPoint<std::int32_t(std::int32_t, void*)>>(prtenu32Info);
  return nullptr;
}

bool FakeProcess::FreeLibrary(platform::ModuleHandle module) {
  log.push_back("FreeLibrary " + Hex(module));
  return true;
}

}  // namespace testsupport
