// The root class, strong and weak references.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

#include "objc/runtime.h"
#include "objc/selector.h"

namespace objc {
struct SideTable;
struct WeakBlock;
struct Access;
void objectDying(NSObject* obj) noexcept;
bool tryRetain(NSObject* obj) noexcept;
}  // namespace objc

// Every runtime object begins with this header. Instance variables of
// subclasses are plain C++ members with their initial values in their
// declarations; the object is value-initialised, then an init… method does
// the rest, as on the device.
template <class T>
class Ref;

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

  // Typed senders for the root class's methods (message.h defines them).
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

namespace objc {
struct ClassData;

// The per-class lookup cache: open addressing, probed without a lock. A slot
// is written once: its implementation first, then (with release) its
// selector, so a reader that sees the selector sees the rest. When tables
// change the cache is replaced whole, never edited.
struct CacheSlot {
  std::atomic<SEL> sel;
  Imp imp;  // fn == nullptr: the class does not answer sel
};
struct MethodCache {
  std::size_t mask;
  unsigned shift;
  CacheSlot* slots() noexcept { return reinterpret_cast<CacheSlot*>(this + 1); }
  const CacheSlot* slots() const noexcept { return reinterpret_cast<const CacheSlot*>(this + 1); }
};
inline std::size_t selectorSlot(const MethodCache* c, SEL sel) noexcept {
  return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(sel) * 0x9E3779B97F4A7C15ull) >> c->shift);
}
inline const CacheSlot* cacheProbe(const MethodCache* c, SEL sel) noexcept {
  const CacheSlot* slots = c->slots();
  for (std::size_t i = selectorSlot(c, sel);; i = (i + 1) & c->mask) {
    SEL s = slots[i].sel.load(std::memory_order_acquire);
    if (s == sel) return &slots[i];
    if (!s) return nullptr;
  }
}
}  // namespace objc

// A class is itself an object: its isa is its metaclass, whose table holds the
// class methods. Class objects are never released.
struct objc_class : NSObject {
  std::atomic<const objc::MethodCache*> cache_{nullptr};
  objc::ClassData* data_ = nullptr;
};

// A strong reference. Object results of sends arrive as Refs: the caller owns
// one count, so nothing needs an autorelease pool.
template <class T>
class Ref {
 public:
  struct AdoptTag {};

  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  Ref(T* p, AdoptTag) noexcept : p_(p) {}
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& o) noexcept : p_(static_cast<T*>(o.leak())) {}
  ~Ref() {
    if (p_) p_->release();
  }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Takes over a count the caller already holds.
  static Ref adopt(T* p) noexcept { return Ref(p, AdoptTag{}); }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // Borrowing is implicit only from a reference that outlives the statement:
  // a pointer taken from a temporary would dangle at the semicolon.
  operator T*() const& noexcept { return p_; }
  operator T*() const&& = delete;
  // Gives up ownership without releasing.
  [[nodiscard]] T* leak() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

namespace objc {
void checkCast(NSObject* obj, Class expected) noexcept;

// The downcast generic code needs when T may already be U.
template <class T, class U>
Ref<T> downcast(Ref<U> r) noexcept {
  if constexpr (std::is_same_v<T, U>) {
    return r;
  } else {
#ifndef NDEBUG
    if constexpr (requires { T::cls(); }) checkCast(r.get(), T::cls());
#endif
    return Ref<T>::adopt(static_cast<T*>(r.leak()));
  }
}
}  // namespace objc

// A downcast of a reference whose class the caller knows; debug builds check
// the object's class and stop with a message when it is not a kind of T.
template <class T, class U>
Ref<T> ref_cast(Ref<U> r) noexcept {
  static_assert(!std::is_same_v<T, U>, "ref_cast to the type the reference already has");
  static_assert(std::is_base_of_v<U, T>, "ref_cast only casts down");
  return objc::downcast<T>(std::move(r));
}

// A checked cast: the object when it is a kind of T's class, else nothing.
template <class T>
T* objc_cast(NSObject* obj) {
  return objc_opt_isKindOfClass(obj, T::cls()) ? static_cast<T*>(obj) : nullptr;
}

// A zeroing weak reference: it answers nothing once the object is gone, and
// taking a strong reference never races with the last release.
class WeakBase {
 public:
  WeakBase() = default;
  explicit WeakBase(NSObject* obj);
  WeakBase(const WeakBase& o);
  WeakBase& operator=(const WeakBase& o);
  ~WeakBase();
  Ref<NSObject> lockObject() const;

 private:
  objc::WeakBlock* block_ = nullptr;
};

template <class T>
class Weak : WeakBase {
 public:
  Weak() = default;
  Weak(T* obj) : WeakBase(obj) {}
  Ref<T> lock() const { return objc::downcast<T>(lockObject()); }
};

// The value associated with object under key, or nothing.
Ref<NSObject> objc_getAssociatedObject(id object, const void* key);
