#include "objc/runtime.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "objc/define.h"
#include "runtime_internal.h"

struct objc_selector {
  std::string name;
};

struct objc_property {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

namespace objc {

// Method tables change at load time and are read from every thread. Writers
// take this lock exclusively; the slow path of a send takes it shared, so a
// cache is only ever filled from tables that cannot change under it.
std::shared_mutex& tableLock() {
  static std::shared_mutex m;
  return m;
}

std::atomic<std::uint64_t> methodEpoch{1};

namespace {

// Called with tableLock() held exclusively, after the change and after the
// caches it touches are dropped: a site that reads the new epoch and then
// looks up must find the new tables.
void tablesChanged() { methodEpoch.fetch_add(1, std::memory_order_acq_rel); }

struct Registry {
  std::mutex selMutex;
  std::unordered_map<std::string, std::unique_ptr<objc_selector>> selectors;
  std::mutex typesMutex;
  std::unordered_set<std::string> types;
  // Guarded by tableLock().
  std::unordered_map<std::string, Class> classes;
};

Registry& registry() {
  static Registry* r = new Registry;  // lives as long as the process: classes are never unloaded
  return *r;
}

constexpr std::size_t kInitialCacheSlots = 8;

MethodCache* newCache(std::size_t slots) {
  void* mem = ::operator new(sizeof(MethodCache) + slots * sizeof(CacheSlot));
  auto* c = ::new (mem) MethodCache;
  c->mask = slots - 1;
  unsigned bits = 0;
  while ((std::size_t{1} << bits) < slots) ++bits;
  c->shift = 64 - bits;
  for (std::size_t i = 0; i < slots; ++i) ::new (&c->slots()[i]) CacheSlot{nullptr, Imp{}};
  return c;
}

void insertInto(MethodCache* c, SEL sel, Imp imp) {
  CacheSlot* slots = c->slots();
  for (std::size_t i = selectorSlot(c, sel);; i = (i + 1) & c->mask) {
    if (!slots[i].sel.load(std::memory_order_relaxed)) {
      slots[i].imp = imp;
      slots[i].sel.store(sel, std::memory_order_release);
      return;
    }
  }
}

// A replaced cache may still be probed by a sender that loaded it just
// before; it is kept, never freed. Tables change a bounded number of times.
void retire(ClassData* d, const MethodCache* c) {
  if (c) d->retired.push_back(c);
}

// Called with tableLock() held exclusively.
void dropCaches(Class cls) {
  ClassData* d = cls->data_;
  {
    std::lock_guard g(d->cacheMutex);
    retire(d, cls->cache_.exchange(nullptr, std::memory_order_acq_rel));
    d->cacheCount = 0;
  }
  for (Class sub : d->subclasses) dropCaches(sub);
}

void invalidateCaches(Class cls) {
  dropCaches(cls);
  tablesChanged();
}

Imp findInChain(Class cls, SEL sel) {
  for (Class c = cls; c; c = c->data_->superclass) {
    auto it = c->data_->methods.find(sel);
    if (it != c->data_->methods.end()) return it->second;
  }
  return {};
}

void fillCache(Class cls, SEL sel, Imp imp) {
  ClassData* d = cls->data_;
  std::lock_guard g(d->cacheMutex);
  const MethodCache* cur = cls->cache_.load(std::memory_order_relaxed);
  if (cur && cacheProbe(cur, sel)) return;
  std::size_t capacity = cur ? cur->mask + 1 : 0;
  if (!cur || (d->cacheCount + 1) * 4 > capacity * 3) {
    MethodCache* grown = newCache(cur ? capacity * 2 : kInitialCacheSlots);
    if (cur) {
      for (std::size_t i = 0; i < capacity; ++i) {
        const CacheSlot& slot = cur->slots()[i];
        if (SEL s = slot.sel.load(std::memory_order_relaxed)) insertInto(grown, s, slot.imp);
      }
    }
    insertInto(grown, sel, imp);
    cls->cache_.store(grown, std::memory_order_release);
    retire(d, cur);
  } else {
    insertInto(const_cast<MethodCache*>(cur), sel, imp);
  }
  ++d->cacheCount;
}

Class newClassObject(std::string_view name, Class superclass, Class isa, bool meta) {
  auto* cls = static_cast<objc_class*>(std::calloc(1, sizeof(objc_class)));
  Lifecycle<objc_class>::construct(cls);
  Access::isa(cls) = isa;
  Access::immortal(cls) = true;
  Access::refs(cls).store(1, std::memory_order_relaxed);
  cls->data_ = new ClassData;
  cls->data_->name = std::string(name);
  cls->data_->superclass = superclass;
  cls->data_->isMeta = meta;
  if (superclass) superclass->data_->subclasses.push_back(cls);
  return cls;
}

// Called with tableLock() held exclusively. Makes the class and its metaclass.
Class makeClassPair(std::string_view name, Class superclass) {
  Class rootMeta = nullptr;
  Class superMeta = nullptr;
  if (superclass) {
    superMeta = superclass->isa();
    rootMeta = superMeta->isa();
  }
  Class meta = newClassObject(name, superclass ? superMeta : nullptr, nullptr, true);
  // The root metaclass is its own isa and inherits from the root class, so
  // classes answer the root class's instance methods too.
  Access::isa(meta) = rootMeta ? rootMeta : meta;
  Class cls = newClassObject(name, superclass, meta, false);
  if (!superclass) {
    meta->data_->superclass = cls;
    cls->data_->subclasses.push_back(meta);
  }
  return cls;
}

}  // namespace

const char* internTypes(std::string_view types) {
  Registry& r = registry();
  std::lock_guard g(r.typesMutex);
  return r.types.emplace(types).first->c_str();
}

std::string encodingFor(std::initializer_list<const char*> parts) {
  std::string s;
  for (const char* p : parts) s += p;
  return s;
}

Imp lookupSlow(Class cls, SEL sel) {
  if (!cls || !sel) return {};
  std::shared_lock g(tableLock());
  Imp imp = findInChain(cls, sel);
  fillCache(cls, sel, imp);
  return imp;
}

namespace {

// Points `slot` at `cls`'s implementation, unless it has already changed
// class `kMonomorphicRefills` times (counted in `changes`).
Imp refillEntry(std::atomic<const SiteEntry*>& slot, std::atomic<std::uint32_t>& changes, Class cls, SEL sel,
                const char* types) {
  const std::uint64_t epoch = methodEpoch.load(std::memory_order_acquire);
  const Imp imp = lookup(cls, sel);
  if (!imp || imp.types != types) return imp;  // the caller reports it
  const SiteEntry* e = slot.load(std::memory_order_acquire);
  if (e && e->cls == cls && e->fn == imp.fn) {
    // Found again after an unrelated change: the entry still holds.
    const_cast<SiteEntry*>(e)->epoch.store(epoch, std::memory_order_relaxed);
    return imp;
  }
  if (e && changes.fetch_add(1, std::memory_order_relaxed) + 1 >= kMonomorphicRefills) return imp;
  // Every entry stays reachable from here: a replaced one may still be in a
  // sender's hands, so none is ever freed.
  static std::mutex entriesMutex;
  static auto* entries = new std::vector<const SiteEntry*>;
  auto* fresh = new SiteEntry{cls, imp.fn, sel, types, epoch};
  {
    std::lock_guard g(entriesMutex);
    entries->push_back(fresh);
  }
  slot.store(fresh, std::memory_order_release);
  return imp;
}

}  // namespace

Imp refillSite(SendSite& site, Class cls, SEL sel, const char* types) {
  return refillEntry(site.entry, site.refills, cls, sel, types);
}

Imp refillSecond(SendSite& site, Class cls, SEL sel, const char* types) {
  return refillEntry(site.second, site.secondRefills, cls, sel, types);
}

void throwUnrecognized(id self, SEL sel) {
  Class c = object_getClass(self);
  std::ostringstream os;
  os << (class_isMetaClass(c) ? "+[" : "-[") << class_getName(c) << ' ' << sel_getName(sel)
     << "]: unrecognized selector sent to " << (class_isMetaClass(c) ? "class " : "instance ") << self;
  throw RuntimeError(os.str());
}

void throwSignatureMismatch(id self, SEL sel, const char* have, const char* want) {
  Class c = object_getClass(self);
  std::ostringstream os;
  os << (class_isMetaClass(c) ? "+[" : "-[") << class_getName(c) << ' ' << sel_getName(sel)
     << "]: sent with signature \"" << want << "\" but implemented as \"" << (have ? have : "?") << '"';
  throw RuntimeError(os.str());
}

Class defineClass(std::string_view name, Class superclass, std::size_t instanceSize, void (*construct)(void*),
                  void (*destroy)(NSObject*)) {
  std::unique_lock g(tableLock());
  auto& classes = registry().classes;
  if (auto it = classes.find(std::string(name)); it != classes.end()) {
    if (it->second->data_->instanceSize != instanceSize || it->second->data_->superclass != superclass)
      throw RuntimeError("class " + std::string(name) + " is defined twice with different layouts");
    return it->second;
  }
  Class cls = makeClassPair(name, superclass);
  cls->data_->instanceSize = instanceSize;
  cls->data_->construct = construct;
  cls->data_->destroy = destroy;
  classes.emplace(std::string(name), cls);
  tablesChanged();
  return cls;
}

void addOwnMethod(Class cls, SEL sel, Imp imp) {
  std::unique_lock g(tableLock());
  auto [it, added] = cls->data_->methods.emplace(sel, imp);
  if (!added) throw RuntimeError(std::string(class_getName(cls)) + " defines " + sel_getName(sel) + " twice");
  invalidateCaches(cls);
}

HookResult exchangeOrAddMethod(Class cls, SEL sel, Imp imp, Imp* previous) {
  std::unique_lock g(tableLock());
  auto& own = cls->data_->methods;
  Imp before;
  if (auto it = own.find(sel); it != own.end()) {
    before = it->second;
  } else {
    before = findInChain(cls->data_->superclass, sel);
    if (!before) return {HookStatus::NoMethod, {}};
  }
  if (before.types != imp.types) return {HookStatus::SignatureMismatch, before};
  // The previous implementation is in place before any sender can reach the
  // replacement, which may call it at once from another thread.
  if (previous) *previous = before;
  own[sel] = imp;
  invalidateCaches(cls);
  return {HookStatus::Installed, before};
}

void addCategoryMethod(Class cls, SEL sel, Imp imp, const char* category) {
  if (class_addMethod(cls, sel, imp, imp.types)) return;
  std::fprintf(stderr, "category %s: %c[%s %s] not added: the class already has it\n", category,
               class_isMetaClass(cls) ? '+' : '-', class_getName(cls), sel_getName(sel));
  assert(!"a category method was not added");
}

void checkCast(NSObject* obj, Class expected) noexcept {
  if (!obj || objc_opt_isKindOfClass(obj, expected)) return;
  std::fprintf(stderr, "ref_cast: a %s is not a %s\n", class_getName(object_getClass(obj)), class_getName(expected));
  std::abort();
}

}  // namespace objc

using objc::registry;
using objc::tableLock;

SEL sel_registerName(std::string_view name) {
  auto& r = registry();
  std::lock_guard g(r.selMutex);
  auto it = r.selectors.find(std::string(name));
  if (it != r.selectors.end()) return it->second.get();
  auto sel = std::make_unique<objc_selector>();
  sel->name = std::string(name);
  SEL s = sel.get();
  r.selectors.emplace(std::string(name), std::move(sel));
  return s;
}

const char* sel_getName(SEL sel) { return sel ? sel->name.c_str() : "<null selector>"; }

Class objc_getClass(std::string_view name) {
  std::shared_lock g(tableLock());
  auto& classes = registry().classes;
  auto it = classes.find(std::string(name));
  return it == classes.end() ? nullptr : it->second;
}

Class objc_getMetaClass(std::string_view name) {
  Class c = objc_getClass(name);
  return c ? c->isa() : nullptr;
}

Class NSClassFromString(std::string_view name) { return objc_getClass(name); }

const char* class_getName(Class cls) { return cls ? cls->data_->name.c_str() : "nil"; }

std::string NSStringFromClassName(Class cls) { return class_getName(cls); }

Class class_getSuperclass(Class cls) { return cls ? cls->data_->superclass : nullptr; }

bool class_isMetaClass(Class cls) { return cls && cls->data_->isMeta; }

Class object_getClass(id obj) { return obj ? obj->isa() : nullptr; }

bool objc_opt_isKindOfClass(id obj, Class cls) {
  if (!obj || !cls) return false;
  for (Class c = obj->isa(); c; c = c->data_->superclass)
    if (c == cls) return true;
  return false;
}

bool class_respondsToSelector(Class cls, SEL sel) { return cls && sel && static_cast<bool>(objc::lookup(cls, sel)); }

std::size_t class_getInstanceSize(Class cls) { return cls ? cls->data_->instanceSize : 0; }

Class objc_allocateClassPair(Class superclass, std::string_view name, std::size_t extraBytes) {
  if (!superclass || objc_getClass(name)) return nullptr;
  std::unique_lock g(tableLock());
  Class cls = objc::makeClassPair(name, superclass);
  cls->data_->instanceSize = superclass->data_->instanceSize + extraBytes;
  cls->data_->construct = superclass->data_->construct;
  cls->data_->destroy = superclass->data_->destroy;
  return cls;
}

void objc_registerClassPair(Class cls) {
  if (!cls) return;
  std::unique_lock g(tableLock());
  registry().classes.emplace(cls->data_->name, cls);
  objc::tablesChanged();
}

IMP class_getMethodImplementation(Class cls, SEL sel) { return cls && sel ? objc::lookup(cls, sel) : IMP{}; }

const char* method_getTypeEncodingOf(Class cls, SEL sel) { return class_getMethodImplementation(cls, sel).types; }

namespace {
void checkTypes(Class cls, SEL sel, IMP imp, std::string_view types) {
  if (objc::internTypes(types) != imp.types)
    throw objc::RuntimeError(std::string(class_getName(cls)) + " " + sel_getName(sel) + ": declared as \"" +
                             std::string(types) + "\" but the implementation is \"" + (imp.types ? imp.types : "?") +
                             "\"");
}
}  // namespace

bool class_addMethod(Class cls, SEL sel, IMP imp, std::string_view types) {
  if (!cls || !sel || !imp) return false;
  checkTypes(cls, sel, imp, types);
  std::unique_lock g(tableLock());
  auto [it, added] = cls->data_->methods.emplace(sel, imp);
  if (added) objc::invalidateCaches(cls);
  return added;
}

IMP class_replaceMethod(Class cls, SEL sel, IMP imp, std::string_view types) {
  if (!cls || !sel || !imp) return {};
  checkTypes(cls, sel, imp, types);
  std::unique_lock g(tableLock());
  auto& own = cls->data_->methods;
  IMP previous;
  if (auto it = own.find(sel); it != own.end()) previous = it->second;
  own[sel] = imp;
  objc::invalidateCaches(cls);
  return previous;
}

std::vector<std::string> class_copyMethodNames(Class cls) {
  std::vector<std::string> names;
  if (!cls) return names;
  std::shared_lock g(tableLock());
  for (const auto& [sel, imp] : cls->data_->methods) names.push_back(sel->name);
  return names;
}

bool class_addProperty(Class cls, std::string_view name, const objc_property_attribute_t* attributes, unsigned count) {
  if (!cls || name.empty()) return false;
  std::unique_lock g(tableLock());
  auto& props = cls->data_->properties;
  for (const auto& p : props)
    if (p->name == name) return false;
  auto p = std::make_unique<objc_property>();
  p->name = std::string(name);
  for (unsigned i = 0; i < count; ++i)
    p->attributes.emplace_back(attributes[i].name ? attributes[i].name : "",
                               attributes[i].value ? attributes[i].value : "");
  props.push_back(std::move(p));
  return true;
}

objc_property_t class_getProperty(Class cls, std::string_view name) {
  std::shared_lock g(tableLock());
  for (Class c = cls; c; c = c->data_->superclass)
    for (const auto& p : c->data_->properties)
      if (p->name == name) return p.get();
  return nullptr;
}

const char* property_getName(objc_property_t property) { return property ? property->name.c_str() : nullptr; }

std::string property_getAttributes(objc_property_t property) {
  std::string s;
  if (!property) return s;
  for (const auto& [name, value] : property->attributes) {
    if (!s.empty()) s += ',';
    s += name;
    s += value;
  }
  return s;
}

bool property_copyAttributeValue(objc_property_t property, std::string_view attribute, std::string* value) {
  if (!property) return false;
  for (const auto& [name, v] : property->attributes) {
    if (name == attribute) {
      if (value) *value = v;
      return true;
    }
  }
  return false;
}

id class_createInstance(Class cls) {
  if (!cls || class_isMetaClass(cls) || !cls->data_->construct) return nullptr;
  void* mem = std::calloc(1, cls->data_->instanceSize);
  if (!mem) throw std::bad_alloc();
  cls->data_->construct(mem);
  auto* obj = static_cast<NSObject*>(mem);
  objc::Access::isa(obj) = cls;
  objc::Access::refs(obj).store(1, std::memory_order_relaxed);
  return obj;
}
