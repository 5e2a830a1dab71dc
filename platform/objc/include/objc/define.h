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
//   OBJC_IMPLEMENT(Lamp, initWithLevel, toggle, level)
//
//   Ref<Lamp> lamp = Lamp::make(0.5);   // alloc, then initWithLevel:
//
// Every OBJC_ line leaves the access at private.
//
// What no line states (a property whose accessors are written by hand, a
// dynamic `D` attribute) goes in a static `objcRegister_name(builder)` of the
// class's own, listed in OBJC_IMPLEMENT like any member.
#pragma once

#include <initializer_list>
#include <new>
#include <string>

#include "objc/message.h"

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

template <class T>
Class defineCxxClass(std::string_view name, Class superclass) {
  Class c = defineClass(name, superclass, sizeof(T), &Lifecycle<T>::construct, &Lifecycle<T>::destroy);
  ClassBuilder<T> b(c);
  T::registerMethods(b);
  return c;
}

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

// ----------------------------------------------------------------- for each

#define OBJC_PARENS ()
#define OBJC_EXPAND(...) OBJC_EXPAND4(OBJC_EXPAND4(OBJC_EXPAND4(OBJC_EXPAND4(__VA_ARGS__))))
#define OBJC_EXPAND4(...) OBJC_EXPAND3(OBJC_EXPAND3(OBJC_EXPAND3(OBJC_EXPAND3(__VA_ARGS__))))
#define OBJC_EXPAND3(...) OBJC_EXPAND2(OBJC_EXPAND2(OBJC_EXPAND2(OBJC_EXPAND2(__VA_ARGS__))))
#define OBJC_EXPAND2(...) OBJC_EXPAND1(OBJC_EXPAND1(OBJC_EXPAND1(OBJC_EXPAND1(__VA_ARGS__))))
#define OBJC_EXPAND1(...) __VA_ARGS__
#define OBJC_FOR_EACH(macro, ...) __VA_OPT__(OBJC_EXPAND(OBJC_FOR_EACH_STEP(macro, __VA_ARGS__)))
#define OBJC_FOR_EACH_STEP(macro, first, ...) \
  macro(first) __VA_OPT__(OBJC_FOR_EACH_AGAIN OBJC_PARENS(macro, __VA_ARGS__))
#define OBJC_FOR_EACH_AGAIN() OBJC_FOR_EACH_STEP
#define OBJC_REGISTER_ONE(member) objcRegister_##member(b);

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
  static void registerMethods(objc::ClassBuilder<Name>& b);                                            \
  using Super::initOverload;                                                                           \
  template <class... X>                                                                                \
  requires objc::Makeable<Name, X...>                                                                  \
  static Ref<Name> make(X&&... args) { return objc::make<Name>(std::forward<X>(args)...); }            \
  static Ref<Name> alloc() { return objc::downcast<Name>(objc::send<NSObject::allocMessage>(cls())); } \
                                                                                                       \
 protected:                                                                                            \
  Name() = default;                                                                                    \
  ~Name() = default;                                                                                   \
  template <class>                                                                                     \
  friend struct objc::Lifecycle;                                                                       \
  template <objc::MessageType M_, class... X>                                                          \
  objc::ResultOf<M_> sendSuper(X&&... args) {                                                          \
    return objc::sendSuper<M_>(Name::cls(), this, std::forward<X>(args)...);                           \
  }                                                                                                    \
                                                                                                       \
 private:

// An instance method: its message `nameMessage`, the sender `name(…)`; the
// class's implementation is the member `nameImpl`.
#define OBJC_METHOD(name, selector, ...)                                                                \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class... X>                                                                                 \
  objc::ResultOf<name##Message> name(X&&... args) {                                                     \
    return objc::send<name##Message>(this, std::forward<X>(args)...);                                   \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  static void objcRegister_##name(objc::ClassBuilder<Self_>& b) {                                       \
    b.template implement<name##Message, &Self_::name##Impl>();                                          \
  }

// A method whose message another type states (a data source's or a
// delegate's protocol): the sender and registration, the message not again.
#define OBJC_PROTOCOL_METHOD(Protocol, name)                          \
 public:                                                              \
  using name##Message = Protocol::name##Message;                      \
  template <class... X>                                               \
  objc::ResultOf<name##Message> name(X&&... args) {                   \
    return objc::send<name##Message>(this, std::forward<X>(args)...); \
  }                                                                   \
                                                                      \
 private:                                                             \
  static void objcRegister_##name(objc::ClassBuilder<Self_>& b) {     \
    b.template implement<name##Message, &Self_::name##Impl>();        \
  }

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
  static objc::ResultOf<name##Message> name(X&&... args) {                                              \
    return objc::send<name##Message>(Self_::cls(), std::forward<X>(args)...);                           \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  static void objcRegister_##name(objc::ClassBuilder<Self_>& b) {                                       \
    b.template implementClass<name##Message, &Self_::name##Impl>();                                     \
  }

// A superclass's class method sent to this class, with this class's type
// (`NSMutableArray::array()` is a mutable array).
#define OBJC_INHERITED_CLASS_METHOD(name)                                                                           \
 public:                                                                                                            \
  template <class... X>                                                                                             \
  static Ref<Self_> name(X&&... args) {                                                                             \
    return objc::downcast<Self_>(Ref<NSObject>(objc::send<name##Message>(Self_::cls(), std::forward<X>(args)...))); \
  }                                                                                                                 \
                                                                                                                    \
 private:

// A new implementation of an inherited message, the member `nameImpl`.
#define OBJC_OVERRIDE(name)                                       \
 private:                                                         \
  static void objcRegister_##name(objc::ClassBuilder<Self_>& b) { \
    b.template implement<name##Message, &Self_::name##Impl>();    \
  }

// A stored property: the member `name_`, the getter `name()`, the setter
// `setter(…)` and attributes readable through class_getProperty.
#define OBJC_PROPERTY(name, setter, ...)                                                                       \
 public:                                                                                                       \
  using name##Message = objc::Message<#name, typename objc::PropertyTraits<__VA_ARGS__>::Result()>;            \
  using setter##Message = objc::Message<#setter ":", void(typename objc::PropertyTraits<__VA_ARGS__>::Param)>; \
  template <class... X>                                                                                        \
  objc::ResultOf<name##Message> name(X&&... args) {                                                            \
    return objc::send<name##Message>(this, std::forward<X>(args)...);                                          \
  }                                                                                                            \
  template <class... X>                                                                                        \
  void setter(X&&... args) {                                                                                   \
    return objc::send<setter##Message>(this, std::forward<X>(args)...);                                        \
  }                                                                                                            \
                                                                                                               \
 private:                                                                                                      \
  static_assert(objc::isSetterOf(#setter, #name), "the setter is not named after the property");               \
  __VA_ARGS__ name##_{};                                                                                       \
  typename objc::PropertyTraits<__VA_ARGS__>::Result name##Impl() { return name##_; }                          \
  void setter##Impl(typename objc::PropertyTraits<__VA_ARGS__>::Param v) { name##_ = v; }                      \
  static void objcRegister_##name(objc::ClassBuilder<Self_>& b) {                                              \
    b.template implement<name##Message, &Self_::name##Impl>()                                                  \
        .template implement<setter##Message, &Self_::setter##Impl>()                                           \
        .template property<__VA_ARGS__>(#name);                                                                \
  }

// In the class's source file: defines the class and registers the listed
// methods, initialisers, overrides and properties. The class registers itself
// when its library loads, so it can be found by name before C++ names it.
#define OBJC_IMPLEMENT(Name, ...)                                                  \
  Class Name::cls() {                                                              \
    static const Class c = objc::defineCxxClass<Name>(#Name, Name::Super_::cls()); \
    return c;                                                                      \
  }                                                                                \
  void Name::registerMethods([[maybe_unused]] objc::ClassBuilder<Name>& b) {       \
    OBJC_FOR_EACH(OBJC_REGISTER_ONE, __VA_ARGS__)                                  \
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
//   OBJC_IMPLEMENT_CATEGORY(UIView_Rounding, roundCornersRadius)   // in the source file
//
//   UIView_Rounding::roundCornersRadius(view, 3ul, 10.0);

#define OBJC_CATEGORY(Name, Target) \
 public:                            \
  using Self_ = Name;               \
  using Target_ = Target;           \
  static void install();            \
                                    \
 private:

#define OBJC_CATEGORY_METHOD(name, selector, ...)                                                       \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class Recv, class... X>                                                                     \
  static objc::ResultOf<name##Message> name(const Recv& receiver, X&&... args) {                        \
    return objc::send<name##Message>(receiver, std::forward<X>(args)...);                               \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  static void objcRegister_##name(objc::CategoryBuilder<Self_>& b) {                                    \
    b.template implement<name##Message, &Self_::name##Impl>();                                          \
  }

#define OBJC_CATEGORY_CLASS_METHOD(name, selector, ...)                                                 \
 public:                                                                                                \
  using name##Message = objc::Message<selector, __VA_ARGS__>;                                           \
  template <class... X>                                                                                 \
  static objc::ResultOf<name##Message> name(X&&... args) {                                              \
    return objc::send<name##Message>(Target_::cls(), std::forward<X>(args)...);                         \
  }                                                                                                     \
                                                                                                        \
 private:                                                                                               \
  static_assert(objc::followsNamingRule(selector, #name), "the C++ name does not follow the selector"); \
  static void objcRegister_##name(objc::CategoryBuilder<Self_>& b) {                                    \
    b.template implementClass<name##Message, &Self_::name##Impl>();                                     \
  }

// Defines `install()`, which adds the listed methods; call it once, where the
// methods must appear (a tweak's constructor). A second call is loud.
#define OBJC_DEFINE_CATEGORY(Name, ...)                                          \
  void Name::install() {                                                         \
    [[maybe_unused]] objc::CategoryBuilder<Name> b(Name::Target_::cls(), #Name); \
    OBJC_FOR_EACH(OBJC_REGISTER_ONE, __VA_ARGS__)                                \
  }

// The same, installed when the library loads.
#define OBJC_IMPLEMENT_CATEGORY(Name, ...)                                \
  OBJC_DEFINE_CATEGORY(Name, __VA_ARGS__)                                 \
  namespace {                                                             \
  [[maybe_unused]] const bool installed_##Name = (Name::install(), true); \
  }
