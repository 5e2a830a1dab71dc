// Small classes the runtime tests send to.
#pragma once

#include <atomic>

#include "objc/define.h"

struct CGPointLike {
  double x, y;
};
template <>
struct objc::TypeEncoding<CGPointLike> {
  static constexpr const char* value = "{CGPointLike=dd}";
};

// Counts deallocations so tests can see a release happen exactly once.
class Tracked : public NSObject {
  OBJC_CLASS(Tracked, NSObject)
  OBJC_PROPERTY(tag, setTag, int)
  OBJC_PROPERTY(child, setChild, Ref<Tracked>)
  OBJC_OVERRIDE(dealloc)
 public:
  static std::atomic<int> deallocs;

 private:
  void deallocImpl();
};

class Shape : public NSObject {
  OBJC_CLASS(Shape, NSObject)
  OBJC_CLASS_METHOD(unit, "unit", Ref<Shape>())
  OBJC_INIT(initWithSides, "initWithSides:", Ref<Shape>(long))
  OBJC_METHOD(sides, "sides", long())
  OBJC_METHOD(area, "area", double())
  OBJC_METHOD(centre, "centre", CGPointLike())
  OBJC_METHOD(name, "name", const char*())

 protected:
  long sides_ = 0;

 private:
  static Ref<Shape> unitImpl(Class self);
  Ref<Shape> initWithSidesImpl(long n);
  long sidesImpl() { return sides_; }
  double areaImpl() { return 1.0; }
  CGPointLike centreImpl() { return {0.5, 0.5}; }
  const char* nameImpl() { return "shape"; }
};

class Square : public Shape {
  OBJC_CLASS(Square, Shape)
  OBJC_OVERRIDE(area)
  OBJC_OVERRIDE(name)
  double areaImpl();
  const char* nameImpl() { return "square"; }
};

class Triangle : public Shape {
  OBJC_CLASS(Triangle, Shape)
};
