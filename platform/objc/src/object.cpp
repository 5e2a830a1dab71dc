// Object lifetime: creation, the root class's methods, associated values and
// weak references.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "objc/Weak.h"
#include "objc/define.h"
#include "runtime_internal.h"

namespace objc {

struct WeakBlock {
  int refs;          // guarded by sideMutex()
  NSObject* object;  // guarded by sideMutex(); cleared when the object starts dying
};

struct SideTable {
  struct Association {
    const void* key;
    NSObject* value;
    bool retained;
  };
  std::vector<Association> associations;
  WeakBlock* weak = nullptr;
};

namespace {

// One lock for every object's side table. Associations and weak references
// are rare and short; no release ever runs while it is held.
std::mutex& sideMutex() {
  static std::mutex m;
  return m;
}

SideTable* sideTableLocked(NSObject* obj, bool create) {
  auto& slot = Access::side(obj);
  SideTable* st = slot.load(std::memory_order_acquire);
  if (!st && create) {
    st = new SideTable;
    slot.store(st, std::memory_order_release);
  }
  return st;
}

void dropWeakBlockLocked(WeakBlock* b) {
  if (b && --b->refs == 0) delete b;
}

}  // namespace

bool tryRetain(NSObject* obj) noexcept {
  auto& refs = Access::refs(obj);
  std::uint32_t n = refs.load(std::memory_order_relaxed);
  while (n != 0) {
    if (refs.compare_exchange_weak(n, n + 1, std::memory_order_acq_rel, std::memory_order_relaxed)) return true;
  }
  return false;
}

void objectDying(NSObject* obj) noexcept {
  if (Access::side(obj).load(std::memory_order_acquire)) {
    std::lock_guard g(sideMutex());
    if (SideTable* st = sideTableLocked(obj, false); st && st->weak) st->weak->object = nullptr;
  }
  try {
    objc::send<NSObject::deallocMessage>(obj);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dealloc of %s failed: %s\n", class_getName(obj->isa()), e.what());
    std::abort();
  }
}

void destroyInstance(NSObject* obj) noexcept {
  std::vector<SideTable::Association> associations;
  if (SideTable* st = Access::side(obj).exchange(nullptr, std::memory_order_acq_rel)) {
    {
      std::lock_guard g(sideMutex());
      associations.swap(st->associations);
      if (st->weak) st->weak->object = nullptr;
      dropWeakBlockLocked(st->weak);
    }
    delete st;
  }
  for (const auto& a : associations)
    if (a.retained && a.value) a.value->release();
  Class cls = obj->isa();
  cls->data_->destroy(obj);
  std::free(obj);
}

}  // namespace objc

// ------------------------------------------------------------- root class

namespace {

Ref<NSObject> rootAlloc(objc_class* self) { return Ref<NSObject>::adopt(class_createInstance(self)); }
Ref<NSObject> rootNew(objc_class* self) {
  Ref<NSObject> obj = objc::send<NSObject::allocMessage>(self);
  return obj ? obj->init() : obj;
}
Ref<NSObject> rootInit(NSObject* self, SEL) { return Ref<NSObject>(self); }
Ref<NSObject> rootSelf(NSObject* self, SEL) { return Ref<NSObject>(self); }
Ref<NSObject> rootClass(NSObject* self, SEL) { return Ref<NSObject>(object_getClass(self)); }
void rootDealloc(NSObject* self, SEL) { objc::destroyInstance(self); }
bool rootIsKindOfClass(NSObject* self, SEL, Class cls) { return objc_opt_isKindOfClass(self, cls); }
bool rootIsMemberOfClass(NSObject* self, SEL, Class cls) { return object_getClass(self) == cls; }
bool rootRespondsToSelector(NSObject* self, SEL, SEL sel) {
  return class_respondsToSelector(object_getClass(self), sel);
}
bool rootIsEqual(NSObject* self, SEL, NSObject* other) { return self == other; }
unsigned long rootHash(NSObject* self, SEL) { return reinterpret_cast<std::uintptr_t>(self); }

}  // namespace

Class NSObject::cls() {
  static const Class c = objc::defineCxxClass<NSObject>("NSObject", nullptr);
  return c;
}

// The root's methods are free functions: the root has no C++ state to reach.
void NSObject::registerMethods(objc::ClassBuilder<NSObject>& b) {
  b.implementClass<allocMessage, &rootAlloc>()
      .implementClass<newMessage, &rootNew>()
      .implement<initMessage, &rootInit>()
      .implement<selfMessage, &rootSelf>()
      .implement<classMessage, &rootClass>()
      .implement<deallocMessage, &rootDealloc>()
      .implement<isKindOfClassMessage, &rootIsKindOfClass>()
      .implement<isMemberOfClassMessage, &rootIsMemberOfClass>()
      .implement<respondsToSelectorMessage, &rootRespondsToSelector>()
      .implement<isEqualMessage, &rootIsEqual>()
      .implement<hashMessage, &rootHash>();
}

namespace {
[[maybe_unused]] const Class registeredNSObject = NSObject::cls();
}

Ref<NSObject> NSObject::alloc() { return objc::send<allocMessage>(cls()); }
Ref<NSObject> NSObject::make() { return objc::send<newMessage>(cls()); }

std::string NSObject::defaultDescription() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", static_cast<const void*>(this));
  return std::string("<") + class_getName(isa()) + ": " + buf + ">";
}

// ------------------------------------------------------ associated objects

using objc::sideMutex;
using objc::SideTable;

Ref<NSObject> objc_getAssociatedObject(id object, const void* key) {
  if (!object || !key) return nullptr;
  std::lock_guard g(sideMutex());
  SideTable* st = objc::sideTableLocked(object, false);
  if (!st) return nullptr;
  for (const auto& a : st->associations)
    if (a.key == key) return Ref<NSObject>(a.value);
  return nullptr;
}

void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy) {
  if (!object || !key) return;
  // Copying policies keep the value itself: the values stored this way are immutable.
  bool retain = policy != OBJC_ASSOCIATION_ASSIGN;
  if (value && retain) value->retain();
  SideTable::Association old{nullptr, nullptr, false};
  {
    std::lock_guard g(sideMutex());
    SideTable* st = objc::sideTableLocked(object, value != nullptr);
    if (st) {
      auto& list = st->associations;
      auto it = std::find_if(list.begin(), list.end(), [&](const auto& a) { return a.key == key; });
      if (it != list.end()) {
        old = *it;
        if (value)
          *it = {key, value, retain};
        else
          list.erase(it);
      } else if (value) {
        list.push_back({key, value, retain});
      }
    }
  }
  if (old.value && old.retained) old.value->release();
}

void objc_removeAssociatedObjects(id object) {
  if (!object) return;
  std::vector<SideTable::Association> associations;
  {
    std::lock_guard g(sideMutex());
    if (SideTable* st = objc::sideTableLocked(object, false)) associations.swap(st->associations);
  }
  for (const auto& a : associations)
    if (a.retained && a.value) a.value->release();
}

// ---------------------------------------------------------- weak references

WeakBase::WeakBase(NSObject* obj) {
  if (!obj) return;
  std::lock_guard g(sideMutex());
  SideTable* st = objc::sideTableLocked(obj, true);
  if (!st->weak) st->weak = new objc::WeakBlock{1, obj};
  ++st->weak->refs;
  block_ = st->weak;
}

WeakBase::WeakBase(const WeakBase& o) {
  std::lock_guard g(sideMutex());
  block_ = o.block_;
  if (block_) ++block_->refs;
}

WeakBase& WeakBase::operator=(const WeakBase& o) {
  if (this == &o) return *this;
  std::lock_guard g(sideMutex());
  objc::dropWeakBlockLocked(block_);
  block_ = o.block_;
  if (block_) ++block_->refs;
  return *this;
}

WeakBase::~WeakBase() {
  if (!block_) return;
  std::lock_guard g(sideMutex());
  objc::dropWeakBlockLocked(block_);
}

Ref<NSObject> WeakBase::lockObject() const {
  if (!block_) return nullptr;
  std::lock_guard g(sideMutex());
  NSObject* obj = block_->object;
  if (obj && objc::tryRetain(obj)) return Ref<NSObject>::adopt(obj);
  return nullptr;
}
