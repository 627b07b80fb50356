#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/WinTypes.h"

namespace platform {

// An entry point found by name. The caller asks for the signature it expects;
// a different one answers nothing instead of calling through a wrong type.
class EntryPoint {
 public:
  virtual ~EntryPoint() = default;
};

template <class Signature>
class TypedEntryPoint : public EntryPoint {
 public:
  explicit TypedEntryPoint(std::function<Signature> function) : function_(std::move(function)) {}
  const std::function<Signature>& Function() const { return function_; }

 private:
  std::function<Signature> function_;
};

using ProcAddress = std::shared_ptr<const EntryPoint>;

template <class Signature>
std::function<Signature> EntryPointAs(const ProcAddress& address) {
  auto typed = std::dynamic_pointer_cast<const TypedEntryPoint<Signature>>(address);
  return typed ? typed->Function() : std::function<Signature>{};
}

// Loading libraries by name.
class Libraries {
 public:
  virtual ~Libraries() = default;
  virtual ModuleHandle LoadLibraryA(const std::string& name) = 0;
  // Null when the module has no entry point of that name.
  virtual ProcAddress GetProcAddress(ModuleHandle module, const std::string& name) = 0;
  virtual bool FreeLibrary(ModuleHandle module) = 0;
};

}  // namespace platform
