// A class object and the lookup through its method cache.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "objc/NSObject.h"
#include "objc/runtime.h"

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

namespace objc {
// Lookup through the class's cache; the slow path fills it.
[[gnu::always_inline]] inline Imp lookup(Class cls, SEL sel) {
  if (const MethodCache* c = cls->cache_.load(std::memory_order_acquire)) {
    if (const CacheSlot* e = cacheProbe(c, sel)) return e->imp;
  }
  return lookupSlow(cls, sel);
}
}  // namespace objc
