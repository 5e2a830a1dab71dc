// A zeroing weak reference: what back-pointers and delegates hold.
#pragma once

#include "objc/NSObject.h"
#include "objc/Ref.h"
#include "objc/cast.h"

namespace objc {
struct WeakBlock;
}  // namespace objc

// It answers nothing once the object is gone, and taking a strong reference
// never races with the last release.
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
