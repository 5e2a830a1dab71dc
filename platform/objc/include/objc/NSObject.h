// The root class, which every runtime object derives from.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "objc/Ref.h"
#include "objc/runtime.h"
#include "objc/selector.h"

namespace objc {
struct SideTable;
struct Access;
void objectDying(NSObject* obj) noexcept;
bool tryRetain(NSObject* obj) noexcept;
}  // namespace objc

namespace objc {
template <class T>
class ClassBuilder;
template <class T>
struct Lifecycle;
}  // namespace objc

namespace objc {
// Picks the initialiser `make` sends: every class declares one overload of
// `initOverload` per initialiser it answers, returning that init's message.
struct InitTag {};
template <class T>
struct Param;
}  // namespace objc

// Every runtime object begins with this header. Instance variables of
// subclasses are plain C++ members with their initial values in their
// declarations; the object is value-initialised, then an init… method does
// the rest, as on the device.
class NSObject {
 public:
  static constexpr const char* className = "NSObject";
  static Class cls();
  static void registerMethods(objc::ClassBuilder<NSObject>& b);

  // The root's messages. `description` is answered once foundation is loaded.
  using allocMessage = objc::Message<"alloc", Ref<NSObject>()>;
  using newMessage = objc::Message<"new", Ref<NSObject>()>;
  using initMessage = objc::Message<"init", Ref<NSObject>()>;
  using selfMessage = objc::Message<"self", Ref<NSObject>()>;
  using classMessage = objc::Message<"class", Ref<NSObject>()>;
  using deallocMessage = objc::Message<"dealloc", void()>;
  using isKindOfClassMessage = objc::Message<"isKindOfClass:", bool(Class)>;
  using isMemberOfClassMessage = objc::Message<"isMemberOfClass:", bool(Class)>;
  using respondsToSelectorMessage = objc::Message<"respondsToSelector:", bool(SEL)>;
  using isEqualMessage = objc::Message<"isEqual:", bool(id)>;
  using hashMessage = objc::Message<"hash", unsigned long()>;
  using descriptionMessage = objc::Message<"description", Ref<NSObject>()>;
  static initMessage initOverload(objc::InitTag);

  static Ref<NSObject> alloc();
  static Ref<NSObject> make();

  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  Class isa() const noexcept { return isa_; }

  void retain() noexcept {
    if (!immortal_) refs_.fetch_add(1, std::memory_order_relaxed);
  }
  void release() noexcept {
    if (immortal_) return;
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) objc::objectDying(this);
  }
  std::uint32_t retainCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

  // Typed senders for the root class's methods (objc/send.h defines them).
  inline Ref<NSObject> init();
  inline bool isKindOfClass(Class cls);
  inline bool isMemberOfClass(Class cls);
  inline bool respondsToSelector(SEL sel);
  inline Class class_();
  inline bool isEqual(id other);
  inline unsigned long hash();
  inline Ref<NSObject> description();

  // "<ClassName: 0x…>", what `description` answers unless a class overrides it.
  std::string defaultDescription() const;

 protected:
  NSObject() = default;
  ~NSObject() = default;
  template <class T>
  friend struct objc::Lifecycle;

 private:
  friend struct objc::Access;

  // Initialised here, not left to the zeroed allocation: a constructor may
  // treat the memory it runs on as undefined, and the optimiser may drop the
  // zeroing as a dead store before it. The runtime sets isa_ and refs_ after.
  Class isa_ = nullptr;
  std::atomic<std::uint32_t> refs_{0};
  bool immortal_ = false;
  std::atomic<objc::SideTable*> side_{nullptr};
};
