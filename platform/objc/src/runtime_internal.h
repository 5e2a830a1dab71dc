// Runtime internals shared by the runtime's own source files.
#pragma once

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "objc/NSObject.h"
#include "objc/class.h"

namespace objc {

struct ClassData {
  std::string name;
  Class superclass = nullptr;
  bool isMeta = false;
  std::size_t instanceSize = 0;
  void (*construct)(void*) = nullptr;
  void (*destroy)(NSObject*) = nullptr;

  // Guarded by tableLock().
  std::unordered_map<SEL, Imp> methods;
  std::vector<std::unique_ptr<objc_property>> properties;
  std::vector<Class> subclasses;

  // Guarded by cacheMutex; readers probe cache_ without it.
  std::mutex cacheMutex;
  std::size_t cacheCount = 0;
  std::vector<const MethodCache*> retired;
};

std::shared_mutex& tableLock();

// The runtime's view of an object header.
struct Access {
  static Class& isa(NSObject* o) { return o->isa_; }
  static std::atomic<std::uint32_t>& refs(NSObject* o) { return o->refs_; }
  static bool& immortal(NSObject* o) { return o->immortal_; }
  static std::atomic<SideTable*>& side(NSObject* o) { return o->side_; }
};

// Releases associated values and runs the C++ destructor, then frees the
// memory. What NSObject's dealloc ends in.
void destroyInstance(NSObject* obj) noexcept;

}  // namespace objc
