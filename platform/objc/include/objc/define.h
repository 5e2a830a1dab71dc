// Declaring and defining runtime classes backed by C++ types. A method is
// stated once, in the class, as a selector with its C++ signature; the typed
// sender, the registration and the type encoding all derive from that line,
// and an implementation whose signature disagrees does not compile.
//
//   // Lamp.h
//   class Lamp : public NSObject {
//     OBJC_CLASS(Lamp, NSObject)
//     OBJC_INIT(initWithLevel, "initWithLevel:", Ref<Lamp>(double))
//     OBJC_METHOD(toggle, "toggle", void())
//     OBJC_PROPERTY(level, setLevel, double)
//    private:
//     Ref<Lamp> initWithLevelImpl(double level);
//     void toggleImpl();
//   };
//
//   // Lamp.cpp
//   OBJC_IMPLEMENT(Lamp)
//
//   Ref<Lamp> lamp = Lamp::make(0.5);   // alloc, then initWithLevel:
//
// Every OBJC_ line leaves the access at private, and registers what it
// declares by itself: OBJC_IMPLEMENT finds the lines of the class body, so
// there is no list to keep and nothing to forget. OBJC_CLASS names the C++
// base again, and naming any class but the direct base does not compile.
//
// What no line states (a property whose accessors are written by hand, a
// dynamic `D` attribute) goes in a static `objcRegister_name(builder)` of the
// class's own, announced by an OBJC_REGISTRATION(name) line.
#pragma once

#include <array>
#include <cstddef>
#include <new>
#include <string>
#include <utility>

#include "objc/implementation.h"
#include "objc/make.h"
#include "objc/message.h"
#include "objc/send.h"

namespace objc {

template <class T>
struct Lifecycle {
  // Value-initialised: members without an initialiser start at zero.
  static void construct(void* mem) { ::new (mem) T(); }
  static void destroy(NSObject* obj) { static_cast<T*>(obj)->~T(); }
};

// Adds a method, and fails loudly when a class defines a selector twice:
// that is always a mistake in the class's own source.
void addOwnMethod(Class cls, SEL sel, Imp imp);

// Adds a category's method; a class that already has the selector keeps its
// own, and the failure is logged (and stops a debug build).
void addCategoryMethod(Class cls, SEL sel, Imp imp, const char* category);

// ------------------------------------------------------------- properties

template <class T>
struct PropertyTraits {
  using Result = T;
  using Param = T;
  static std::string type() { return TypeEncoding<CanonArg<T>>::value; }
  static constexpr bool strong = false;
};
template <class U>
struct PropertyTraits<Ref<U>> {
  using Result = Ref<U>;
  using Param = U*;
  static std::string type() { return std::string("@\"") + U::className + "\""; }
  static constexpr bool strong = true;
};

// Declares the attributes a property's readers find through class_getProperty:
// its type, strong (&) for objects, nonatomic (N).
template <class T>
void declareProperty(Class cls, const char* name) {
  static const std::string type = PropertyTraits<T>::type();
  objc_property_attribute_t attrs[3] = {{"T", type.c_str()}, {"&", ""}, {"N", ""}};
  if (PropertyTraits<T>::strong) {
    class_addProperty(cls, name, attrs, 3);
  } else {
    attrs[1] = attrs[2];
    class_addProperty(cls, name, attrs, 2);
  }
}

// -------------------------------------------------------------- builders

template <class T>
class ClassBuilder {
 public:
  explicit ClassBuilder(Class cls) : cls_(cls) {}

  template <MessageType M, auto F>
  ClassBuilder& implement() {
    addOwnMethod(cls_, M::sel(), implementation<M, F>());
    return *this;
  }
  template <MessageType M, auto F>
  ClassBuilder& implementClass() {
    addOwnMethod(object_getClass(cls_), M::sel(), staticImplementation<M, F>());
    return *this;
  }
  template <class V>
  ClassBuilder& property(const char* name) {
    declareProperty<V>(cls_, name);
    return *this;
  }
  Class cls() const { return cls_; }

 private:
  Class cls_;
};

template <class C>
class CategoryBuilder {
 public:
  CategoryBuilder(Class target, const char* name) : cls_(target), name_(name) {}

  template <MessageType M, auto F>
  CategoryBuilder& implement() {
    addCategoryMethod(cls_, M::sel(), staticImplementation<M, F>(), name_);
    return *this;
  }
  template <MessageType M, auto F>
  CategoryBuilder& implementClass() {
    addCategoryMethod(object_getClass(cls_), M::sel(), staticImplementation<M, F>(), name_);
    return *this;
  }
  template <class V>
  CategoryBuilder& property(const char* name) {
    declareProperty<V>(cls_, name);
    return *this;
  }

 private:
  Class cls_;
  const char* name_;
};

// ------------------------------------------------------- self-registration
//
// Each registering line of a class body declares an overload of the class's
// static `objcEntry_`, keyed by the class and the line it is on. The lines are
// the same in every translation unit that includes the header, so the class
// reads the same everywhere. Registration looks for an entry on every line
// after OBJC_CLASS and calls those it finds, in the order of the source.

template <class C, int Line>
struct Entry {};

// How far below OBJC_CLASS a class body may reach; source files stay well
// under it.
inline constexpr int kMaxClassBodyLines = 1024;

// A friend of every class and category, so it may see their private entries.
struct Entries {
  template <class T, class B>
  static void registerAll(B& b) {
    registerAt<T>(b, std::make_index_sequence<Lines<T, B>::count>{});
  }

 private:
  template <class T, class B>
  struct Lines {
    template <int... I>
    static constexpr std::array<bool, sizeof...(I)> scan(std::integer_sequence<int, I...>) {
      return {requires { T::objcEntry_(Entry<T, T::objcFirstLine_ + I>{}, std::declval<B&>()); }...};
    }
    static constexpr std::array<bool, kMaxClassBodyLines> present =
        scan(std::make_integer_sequence<int, kMaxClassBodyLines>{});
    static constexpr std::size_t count = [] {
      std::size_t n = 0;
      for (bool p : present) n += p;
      return n;
    }();
    static constexpr std::array<int, count> at = [] {
      std::array<int, count> lines{};
      std::size_t n = 0;
      for (int i = 0; i < kMaxClassBodyLines; ++i)
        if (present[static_cast<std::size_t>(i)]) lines[n++] = T::objcFirstLine_ + i;
      return lines;
    }();
  };

  template <class T, class B, std::size_t... K>
  static void registerAt(B& b, std::index_sequence<K...>) {
    (T::objcEntry_(Entry<T, Lines<T, B>::at[K]>{}, b), ...);
  }
};

template <class T>
Class defineCxxClass(std::string_view name, Class superclass) {
  Class c = defineClass(name, superclass, sizeof(T), &Lifecycle<T>::construct, &Lifecycle<T>::destroy);
  ClassBuilder<T> b(c);
  // The root states its methods by hand: they are free functions.
  if constexpr (std::is_same_v<T, NSObject>)
    NSObject::registerMethods(b);
  else
    Entries::registerAll<T>(b);
  return c;
}

// What a sender with parameters A... accepts: as many arguments, each
// convertible to its parameter. Checked at the call, so a wrong call is
// reported there, naming the message, not deep inside the send.
template <class Sig, class... X>
inline constexpr bool acceptsArguments = false;
template <class R, class... A, class... X>
requires(sizeof...(A) == sizeof...(X)) inline constexpr bool acceptsArguments<R(A...), X...> =
    (std::is_convertible_v<X, ParamT<A>> && ...);

template <class M, class... X>
concept Accepts = acceptsArguments<SignatureOf<M>, X...>;

// Names the direct base, so naming another class in OBJC_CLASS fails to
// compile ("… is not a direct base of …").
struct SuperCheck {};

// `make`'s overload for an initialiser: the init message, chosen by the
// arguments it takes.
template <class M>
struct InitOverloadT;
template <class M, class R, class... A>
struct InitOverloadT<M(R(A...))> {
  using type = M(InitTag, ParamT<A>...);
};
template <MessageType M>
using InitOverload = typename InitOverloadT<M(SignatureOf<M>)>::type;

// Checked where `make` is called, once the class's initialisers are all declared.
template <class T, class... X>
concept Makeable = requires {
  T::initOverload(InitTag{}, std::declval<X>()...);
};

}  // namespace objc

// ------------------------------------------------------------------ classes

// First in the class body. `make(…)` allocates and sends the initialiser
// whose parameters take the arguments; `sendSuper<Message>(…)` calls the
// superclass of this class, whatever the receiver's class.
#define OBJC_CLASS(Name, Super)                                                                        \
 public:                                                                                               \
  using Self_ = Name;                                                                                  \
  using Super_ = Super;                                                                                \
  static constexpr const char* className = #Name;                                                      \
  static Class cls();                                                                                  \
  using Super::initOverload;                                                                           \
  template <class... X>                                                                                \
  requires objc::Makeable<Name, X...>                                                                  \
  static Ref<Name> make(X&&... args) { return objc::make<Name>(std::forward<X>(args)...); }            \
  static Ref<Name> alloc() { return objc::downcast<Name>(objc::send<NSObject::allocMessage>(cls())); } \
                                                                                                       \
 protected:                                                                                            \
  Name() = default;                                                                                    \
  explicit Name(objc::SuperCheck) : Super() {}                                                         \
  ~Name() = default;                                                                                   \
  template <class>                                                                                     \
  friend struct objc::Lifecycle;                                                                       \
  friend struct objc::Entries;                                                                         \
  template <objc::MessageType M_, class... X>                                                          \
  objc::ResultOf<M_> sendSuper(X&&... args) {                                                          \
    return objc::sendSuper<M_>(Name::cls(), this, std::forward<X>(args)...);                           \
  }                                                                                                    \
                                                                                                       \
 private:                                                                                              \
  static constexpr int objcFirstLine_ = __LINE__;

// A registering line's entry: a static overload of `objcEntry_` for this
// class and this line, whose body is the rest of the macro's arguments.
#define OBJC_ENTRY(Builder) \
  static void objcEntry_(objc::Entry<Self_, __LINE__>, [[maybe_unused]] objc::Builder<Self_>& b)

// The sender of a message: a member template taking what the message's
// parameters accept, so a wrong call fails where it is made.
#define OBJC_SENDER(name, Message)                                    \
  template <class... X>                                               \
  requires objc::Accepts<Message, X...>                               \
  objc::ResultOf<Message> name(X&&... args) {                         \
    return objc::send<Message>(this, std::forward<X>(args)...);       \
  }

// An instance method: its message `nameMessage`, the sender `name(…)`; the
// class's implementation is the member `nameImpl`.
#define OBJC_METHOD(name, selector, ...)                                                                \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  OBJC_SENDER(name, name##Message)                                                                      \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  OBJC_ENTRY(ClassBuilder) { b.template implement<name##Message, &Self_::name##Impl>(); }

// A method whose message another type states (a data source's or a
// delegate's protocol): the sender and registration, the message not again.
#define OBJC_PROTOCOL_METHOD(Protocol, name)     \
 public:                                         \
  using name##Message = Protocol::name##Message; \
  OBJC_SENDER(name, name##Message)               \
                                                 \
 private:                                        \
  OBJC_ENTRY(ClassBuilder) { b.template implement<name##Message, &Self_::name##Impl>(); }

// An initialiser: a method that `make(…)` may send.
#define OBJC_INIT(name, selector, ...)                   \
  OBJC_METHOD(name, selector, __VA_ARGS__)               \
 public:                                                 \
  static objc::InitOverload<name##Message> initOverload; \
                                                         \
 private:

// A class method: the static sender `name(…)`; the implementation is the
// static member `R nameImpl(Class self, A…)`.
#define OBJC_CLASS_METHOD(name, selector, ...)                                                          \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class... X>                                                                                 \
  requires objc::Accepts<name##Message, X...>                                                           \
  static objc::ResultOf<name##Message> name(X&&... args) {                                              \
    return objc::send<name##Message>(Self_::cls(), std::forward<X>(args)...);                           \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  OBJC_ENTRY(ClassBuilder) { b.template implementClass<name##Message, &Self_::name##Impl>(); }

// A superclass's class method sent to this class, with this class's type
// (`NSMutableArray::array()` is a mutable array).
#define OBJC_INHERITED_CLASS_METHOD(name)                                                                           \
 public:                                                                                                            \
  template <class... X>                                                                                             \
  requires objc::Accepts<name##Message, X...>                                                                       \
  static Ref<Self_> name(X&&... args) {                                                                             \
    return objc::downcast<Self_>(Ref<NSObject>(objc::send<name##Message>(Self_::cls(), std::forward<X>(args)...))); \
  }                                                                                                                 \
                                                                                                                    \
 private:

// A new implementation of an inherited message, the member `nameImpl`.
#define OBJC_OVERRIDE(name) \
 private:                   \
  OBJC_ENTRY(ClassBuilder) { b.template implement<name##Message, &Self_::name##Impl>(); }

// A stored property: the member `name_`, the getter `name()`, the setter
// `setter(…)` and attributes readable through class_getProperty.
#define OBJC_PROPERTY(name, setter, ...)                                                                       \
 public:                                                                                                       \
  using name##Message = objc::Message<#name, typename objc::PropertyTraits<__VA_ARGS__>::Result()>;            \
  using setter##Message = objc::Message<#setter ":", void(typename objc::PropertyTraits<__VA_ARGS__>::Param)>; \
  OBJC_SENDER(name, name##Message)                                                                             \
  OBJC_SENDER(setter, setter##Message)                                                                         \
                                                                                                               \
 private:                                                                                                      \
  static_assert(objc::isSetterOf(#setter, #name), "the setter is not named after the property");               \
  __VA_ARGS__ name##_{};                                                                                       \
  typename objc::PropertyTraits<__VA_ARGS__>::Result name##Impl() { return name##_; }                          \
  void setter##Impl(typename objc::PropertyTraits<__VA_ARGS__>::Param v) { name##_ = v; }                      \
  OBJC_ENTRY(ClassBuilder) {                                                                                   \
    b.template implement<name##Message, &Self_::name##Impl>()                                                  \
        .template implement<setter##Message, &Self_::setter##Impl>()                                           \
        .template property<__VA_ARGS__>(#name);                                                                \
  }

// What no other line states, registered by the class's own
// `static void objcRegister_name(objc::ClassBuilder<Self>&)` (or
// CategoryBuilder in a category), declared beside this line.
#define OBJC_REGISTRATION(name)                                                \
 private:                                                                      \
  template <class B>                                                           \
  static void objcEntry_(objc::Entry<Self_, __LINE__>, B& b) {                 \
    objcRegister_##name(b);                                                    \
  }

// In the class's source file: defines the class and registers what its
// OBJC_ lines declare. The class registers itself when its library loads, so
// it can be found by name before C++ names it.
#define OBJC_IMPLEMENT(Name)                                                       \
  Class Name::cls() {                                                              \
    static const Class c = objc::defineCxxClass<Name>(#Name, Name::Super_::cls()); \
    return c;                                                                      \
  }                                                                                \
  namespace {                                                                      \
  [[maybe_unused]] const Class registered_##Name = Name::cls();                    \
  }

// --------------------------------------------------------------- categories
//
// Methods added to an existing class from another library:
//
//   struct UIView_Rounding {
//     OBJC_CATEGORY(UIView_Rounding, UIView)
//     OBJC_CATEGORY_METHOD(roundCornersRadius, "roundCorners:radius:", void(unsigned long, double))
//    private:
//     static void roundCornersRadiusImpl(UIView* self, unsigned long corners, double radius);
//   };
//   OBJC_IMPLEMENT_CATEGORY(UIView_Rounding)   // in the source file
//
//   UIView_Rounding::roundCornersRadius(view, 3ul, 10.0);

#define OBJC_CATEGORY(Name, Target)    \
 public:                               \
  using Self_ = Name;                  \
  using Target_ = Target;              \
  static void install();               \
                                       \
 private:                              \
  friend struct objc::Entries;         \
  static constexpr int objcFirstLine_ = __LINE__;

#define OBJC_CATEGORY_METHOD(name, selector, ...)                                                       \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class Recv, class... X>                                                                     \
  requires objc::Accepts<name##Message, X...>                                                           \
  static objc::ResultOf<name##Message> name(const Recv& receiver, X&&... args) {                        \
    return objc::send<name##Message>(receiver, std::forward<X>(args)...);                               \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  OBJC_ENTRY(CategoryBuilder) { b.template implement<name##Message, &Self_::name##Impl>(); }

#define OBJC_CATEGORY_CLASS_METHOD(name, selector, ...)                                                 \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class... X>                                                                                 \
  requires objc::Accepts<name##Message, X...>                                                           \
  static objc::ResultOf<name##Message> name(X&&... args) {                                              \
    return objc::send<name##Message>(Target_::cls(), std::forward<X>(args)...);                         \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  OBJC_ENTRY(CategoryBuilder) { b.template implementClass<name##Message, &Self_::name##Impl>(); }

// Defines `install()`, which adds the category's methods; call it once,
// where the methods must appear (a tweak's constructor). A second call is loud.
#define OBJC_DEFINE_CATEGORY(Name)                                         \
  void Name::install() {                                                   \
    objc::CategoryBuilder<Name> b(Name::Target_::cls(), #Name);            \
    objc::Entries::registerAll<Name>(b);                                   \
  }

// The same, installed when the library loads.
#define OBJC_IMPLEMENT_CATEGORY(Name)                                     \
  OBJC_DEFINE_CATEGORY(Name)                                              \
  namespace {                                                             \
  [[maybe_unused]] const bool installed_##Name = (Name::install(), true); \
  }
