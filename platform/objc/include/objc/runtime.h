// The object runtime: classes by name, interned selectors, per-class method
// tables whose entries can be replaced, properties, associated objects.
//
// The free functions keep the names tweak code uses on the device, so a call
// site reads the same here as there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class NSObject;
template <class T>
class Ref;
struct objc_class;
struct objc_selector;
struct objc_property;

using id = NSObject*;
using Class = objc_class*;
using SEL = const objc_selector*;
using objc_property_t = const objc_property*;

namespace objc {

using RawFn = void (*)();

// An implementation is a plain function together with the interned type
// encoding of its C++ signature. Comparing encodings is a pointer compare.
struct Imp {
  RawFn fn = nullptr;
  const char* types = nullptr;
  explicit operator bool() const noexcept { return fn != nullptr; }
  friend bool operator==(const Imp&, const Imp&) = default;
};

// Thrown for programming errors a send can detect: a signature that does not
// match the implementation's encoding, or a selector nobody answers.
class RuntimeError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Interns an encoding so that equal encodings share one pointer.
const char* internTypes(std::string_view types);

// Slow path of a send; the fast path lives inline in message.h.
Imp lookupSlow(Class cls, SEL sel);

// Moves on with every change that can alter what a send finds: a method
// added, replaced or hooked, a class registered. Send sites compare it with
// the epoch their entry was filled at.
extern std::atomic<std::uint64_t> methodEpoch;

// What one send site remembers: the receiver class it last saw and that
// class's implementation, whose encoding was checked against the site's
// message when the entry was made. Entries are immutable but for the epoch
// and never freed, so a sender may read one while another thread replaces it.
struct SiteEntry {
  Class cls;
  RawFn fn;
  SEL sel;
  const char* types;  // the message's encoding, for the site's miss path
  std::atomic<std::uint64_t> epoch;
};
// A site that has had to change class this often serves its sends from the
// per-class cache instead, so receivers of alternating classes never make it
// allocate without end.
inline constexpr std::uint32_t kMonomorphicRefills = 8;

struct SendSite {
  std::atomic<const SiteEntry*> entry{nullptr};
  std::atomic<std::uint32_t> refills{0};  // class changes; past a few the site is polymorphic
  // A polymorphic site's second entry, checked on its miss path before the
  // per-class cache: two classes in turn are the common polymorphic case.
  std::atomic<const SiteEntry*> second{nullptr};
  std::atomic<std::uint32_t> secondRefills{0};
};

// A site's miss: looks `sel` up for `cls` and, while the site is monomorphic
// and the implementation has the message's encoding, points the site at it.
// Answers the implementation for this send (checked by the caller).
Imp refillSite(SendSite& site, Class cls, SEL sel, const char* types);
// The same for a polymorphic site's second entry, with its own bound.
Imp refillSecond(SendSite& site, Class cls, SEL sel, const char* types);
[[noreturn]] void throwUnrecognized(id self, SEL sel);
[[noreturn]] void throwSignatureMismatch(id self, SEL sel, const char* have, const char* want);

// Defines a class backed by a C++ type. `construct` runs the C++ constructor
// on zeroed memory; `destroy` runs its destructor. Returns the existing class
// when the name is taken by a class of the same size (a library loaded twice).
Class defineClass(std::string_view name, Class superclass, std::size_t instanceSize, void (*construct)(void*),
                  void (*destroy)(NSObject*));

// What a method hook needs, done under one lock: when cls defines sel, swap
// its entry; when it only inherits it, add an entry to cls alone. *previous
// receives what answered before, written before the replacement is visible.
// Nobody answering, or a replacement whose signature differs, changes nothing.
enum class HookStatus { Installed, NoMethod, SignatureMismatch };
struct HookResult {
  HookStatus status;
  Imp before;  // what answers sel (also when the signatures differ)
};
HookResult exchangeOrAddMethod(Class cls, SEL sel, Imp imp, Imp* previous);

}  // namespace objc

using IMP = objc::Imp;

// Association policies; retain-nonatomic is the one the platform uses.
enum objc_AssociationPolicy : std::uintptr_t {
  OBJC_ASSOCIATION_ASSIGN = 0,
  OBJC_ASSOCIATION_RETAIN_NONATOMIC = 1,
  OBJC_ASSOCIATION_COPY_NONATOMIC = 3,
  OBJC_ASSOCIATION_RETAIN = 01401,
  OBJC_ASSOCIATION_COPY = 01403,
};

struct objc_property_attribute_t {
  const char* name;
  const char* value;
};

SEL sel_registerName(std::string_view name);
const char* sel_getName(SEL sel);

Class objc_getClass(std::string_view name);
Class objc_getMetaClass(std::string_view name);
Class NSClassFromString(std::string_view name);
std::string NSStringFromClassName(Class cls);
const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
bool class_isMetaClass(Class cls);
Class object_getClass(id obj);
bool objc_opt_isKindOfClass(id obj, Class cls);
bool class_respondsToSelector(Class cls, SEL sel);
std::size_t class_getInstanceSize(Class cls);

// Runtime-created subclasses share their superclass's C++ layout.
Class objc_allocateClassPair(Class superclass, std::string_view name, std::size_t extraBytes);
void objc_registerClassPair(Class cls);

IMP class_getMethodImplementation(Class cls, SEL sel);
const char* method_getTypeEncodingOf(Class cls, SEL sel);
// Adds an entry to cls's own table; refuses (returns false) when cls already
// has one, even if it only inherited it before. `types` must describe imp.
bool class_addMethod(Class cls, SEL sel, IMP imp, std::string_view types);
// Sets cls's own entry, adding it when absent; returns what cls answered before.
IMP class_replaceMethod(Class cls, SEL sel, IMP imp, std::string_view types);
// The names of the selectors cls's own table holds, for introspection.
std::vector<std::string> class_copyMethodNames(Class cls);

bool class_addProperty(Class cls, std::string_view name, const objc_property_attribute_t* attributes, unsigned count);
objc_property_t class_getProperty(Class cls, std::string_view name);
const char* property_getName(objc_property_t property);
// "T@\"UIColor\",&,N": the attributes in declaration order, comma separated.
std::string property_getAttributes(objc_property_t property);
// The value of one attribute ("" for a flag), or nothing when it is not declared.
bool property_copyAttributeValue(objc_property_t property, std::string_view attribute, std::string* value);

void objc_setAssociatedObject(id object, const void* key, id value, objc_AssociationPolicy policy);
void objc_removeAssociatedObjects(id object);

// The value associated with object under key, or nothing; the caller owns it.
Ref<NSObject> objc_getAssociatedObject(id object, const void* key);
// A zeroed instance with one count, owned by the caller.
id class_createInstance(Class cls);
