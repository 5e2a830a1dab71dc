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
 public:
  static std::atomic<int> deallocs;
  int tag() { return objc::send<int(), "tag">(this); }
  void setTag(int t) { objc::send<void(int), "setTag:">(this, t); }
  void setChild(Tracked* c) { objc::send<void(Tracked*), "setChild:">(this, c); }
  Ref<Tracked> child() { return objc::send<Ref<Tracked>(), "child">(this); }

 private:
  int tagImpl() { return tag_; }
  void setTagImpl(int t) { tag_ = t; }
  void setChildImpl(Tracked* c) { child_ = c; }
  Ref<Tracked> childImpl() { return child_; }
  void deallocImpl();
  int tag_;
  Ref<Tracked> child_;
};

class Shape : public NSObject {
  OBJC_CLASS(Shape, NSObject)
 public:
  static Ref<Shape> unit() { return ref_cast<Shape>(objc::send<Ref<NSObject>(), "unit">(cls())); }
  Ref<Shape> initWithSides(long n) { return objc::send<Ref<Shape>(long), "initWithSides:">(this, n); }
  long sides() { return objc::send<long(), "sides">(this); }
  double area() { return objc::send<double(), "area">(this); }
  CGPointLike centre() { return objc::send<CGPointLike(), "centre">(this); }
  const char* name() { return objc::send<const char*(), "name">(this); }

 protected:
  long sides_;

 private:
  Ref<Shape> initWithSidesImpl(long n);
  long sidesImpl() { return sides_; }
  double areaImpl() { return 1.0; }
  CGPointLike centreImpl() { return {0.5, 0.5}; }
  const char* nameImpl() { return "shape"; }
};

class Square : public Shape {
  OBJC_CLASS(Square, Shape)
  double areaImpl();
  const char* nameImpl() { return "square"; }
};

class Triangle : public Shape {
  OBJC_CLASS(Triangle, Shape)
};
