// Declaring and defining runtime classes backed by C++ types.
//
//   // UIView.h
//   class UIView : public NSObject {
//     OBJC_CLASS(UIView, NSObject)
//    public:
//     bool isHidden() { return objc::send<bool(), "isHidden">(this); }
//    private:
//     bool isHiddenImpl() { return hidden_; }
//     bool hidden_;
//   };
//
//   // UIView.cpp
//   OBJC_IMPLEMENT(UIView)
//   void UIView::registerMethods(objc::ClassBuilder<UIView>& b) {
//     b.method<"isHidden", &UIView::isHiddenImpl>();
//   }
//
// The class registers itself when its library loads, so it can be found by
// name before any C++ code names it.
#pragma once

#include <initializer_list>
#include <new>

#include "objc/message.h"

namespace objc {

template <class T>
struct Lifecycle {
  static void construct(void* mem) { ::new (mem) T; }
  static void destroy(NSObject* obj) { static_cast<T*>(obj)->~T(); }
};

// Adds a method, and fails loudly when a class defines a selector twice:
// that is always a mistake in the class's own source.
void addOwnMethod(Class cls, SEL sel, Imp imp);

template <class T>
class ClassBuilder {
 public:
  explicit ClassBuilder(Class cls) : cls_(cls) {}

  template <SelName S, auto F>
  ClassBuilder& method() {
    addOwnMethod(cls_, sel<S>(), objc::method<F>());
    return *this;
  }
  template <SelName S, auto F>
  ClassBuilder& classMethod() {
    addOwnMethod(object_getClass(cls_), sel<S>(), objc::method<F>());
    return *this;
  }
  ClassBuilder& property(std::string_view name, std::initializer_list<objc_property_attribute_t> attrs) {
    class_addProperty(cls_, name, attrs.begin(), static_cast<unsigned>(attrs.size()));
    return *this;
  }
  Class cls() const { return cls_; }

 private:
  Class cls_;
};

template <class T>
Class defineCxxClass(std::string_view name, Class superclass) {
  Class c = defineClass(name, superclass, sizeof(T), &Lifecycle<T>::construct, &Lifecycle<T>::destroy);
  ClassBuilder<T> b(c);
  T::registerMethods(b);
  return c;
}

}  // namespace objc

#define OBJC_CLASS(Name, Super)                                                           \
 public:                                                                                  \
  using Super_ = Super;                                                                   \
  static Class cls();                                                                     \
  static void registerMethods(objc::ClassBuilder<Name>& b);                               \
  static Ref<Name> alloc() { return ref_cast<Name>(objc::send<Ref<NSObject>(), "alloc">(cls())); } \
  static Ref<Name> new_() { return ref_cast<Name>(objc::send<Ref<NSObject>(), "new">(cls())); } \
                                                                                          \
 protected:                                                                               \
  Name() = default;                                                                       \
  ~Name() = default;                                                                      \
  template <class>                                                                        \
  friend struct objc::Lifecycle;                                                          \
                                                                                          \
 private:

#define OBJC_IMPLEMENT(Name)                                                      \
  Class Name::cls() {                                                             \
    static const Class c = objc::defineCxxClass<Name>(#Name, Name::Super_::cls()); \
    return c;                                                                     \
  }                                                                               \
  namespace {                                                                     \
  [[maybe_unused]] const Class registered_##Name = Name::cls();                   \
  }
