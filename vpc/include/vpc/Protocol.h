// The messages between a program and the shared virtual PC.
//
// A frame is a 32-bit length (of what follows), then the frame's bytes. A
// request starts with its operation code; an answer carries no code, because
// every program waits for the answer to its one open request before it asks
// again. Port writes and the word port library's writes have no answer: a
// program writes them and goes on at once. Numbers travel in the byte order
// of this machine, as both ends run on it.
//
// A connection starts on the socket: Hello and its answer. A control tool
// goes on there. A program gets its channel (see Channel.h) with the answer
// and sends every further request through it; its socket then only tells
// each side when the other has gone.
#pragma once

#include <cstdint>

namespace vpc {

// Raised whenever a message changes; a program and a server of different
// versions refuse each other.
inline constexpr std::uint32_t kProtocolVersion = 2;
// No frame is larger: a device request's two buffers are at most 64 KiB each.
inline constexpr std::uint32_t kMaxFrameBytes = 1u << 20;
inline constexpr std::uint32_t kMaxBufferBytes = 64u * 1024u;

enum class Op : std::uint8_t {
  // {u32 protocol, u8 role, string program name, u32 program pid, string machine options}
  Hello = 1,
  // Port instructions: {u16 port} -> {u8 faulted, value}; writes {u16 port, value}, no answer.
  In8,
  In16,
  In32,
  Out8,
  Out16,
  Out32,
  // The word port library: reads {i32 port} -> {i32}; writes {i32 port, i32 value}, no answer.
  CanInpd,
  CanOutpd,
  CanInpw,
  CanOutpw,
  CanInp,
  CanOutp,
  // System services. Each request starts with the program's last error and
  // each answer with the last error afterwards and the ports open to the
  // program when they changed (see PortGrants).
  GetVersion,
  GetVersionExA,
  BuildNumberText,
  GetSystemDirectoryA,
  CreateFileA,
  DeviceIoControl,
  CloseHandle,
  GetCurrentProcess,
  DuplicateHandle,
  OpenSCManagerA,
  CreateServiceA,
  OpenServiceA,
  StartServiceA,
  ControlService,
  DeleteService,
  CloseServiceHandle,
  LoadLibraryA,
  GetProcAddress,  // -> {u8 found, u32 id, u8 EntryKind}
  FreeLibrary,
  AddMultiPort,
  RemovePort,
  SharedCounter,  // {string name} -> {u32 slot in the counter memory}
  // An entry point found before: {u32 id, i32 port, u8 record given, bytes
  // record} -> {i32 result, bytes record afterwards}; no last error.
  CallEntryPoint,
  // Everything sent before has been carried out: {} -> {}.
  Sync,
  // Control connections only.
  Status,  // {} -> {u32 server pid, u64 seconds up, string options, u32 count, {u32 pid, string name}...}
  Stop,    // {} -> {}; the server ends after answering
};

// Who opens a connection: a program that runs on the machine (a process of
// it), or a control tool that asks about the server or stops it.
enum class Role : std::uint8_t { Program = 1, Control = 2 };

// The answer to Hello: {u8 accepted, string refusal} and, for a program,
// {i64 machine start on the steady clock in ns, f64 time of day at start,
// u32 tick count at start, u64 ns per message-pump iteration, u8 every port
// open, PortGrants}. Two file descriptors arrive with a program's answer:
// the machine-wide counters (a memory file of kCounterSlots 32-bit counters)
// and the program's channel.
inline constexpr std::uint32_t kCounterSlots = 1024;

// Ports open to a program, sent when they changed: {u16 count, {u16 first,
// u32 count}...}; a count of kGrantsUnchanged means no change.
inline constexpr std::uint16_t kGrantsUnchanged = 0xFFFF;

// What an entry point found by GetProcAddress takes, so that a program can
// call it through the server with a matching signature.
enum class EntryKind : std::uint8_t {
  Unknown = 0,
  Count = 1,       // int32 ()
  PortRecord = 2,  // int32 (int32 port, record*): the record's first field is its size
};
// The record of a PortRecord entry point crosses at most this many bytes.
inline constexpr std::uint32_t kPortRecordBytes = 12;

}  // namespace vpc
